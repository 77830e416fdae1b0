#pragma once

#include <QAbstractTableModel>

#include "platform/memory_table.h"

namespace tarnwick {

// The results table's data for a Qt view: one row per log file, one column per key.
// Rows added between beginUpdate() and endUpdate() reach the view in one insertion, so
// that a hundred thousand rows cost the view one update, not a hundred thousand.
class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The results table's operations, announced to the view.
  void addColumn(std::string_view key, std::string_view header);
  void clearRows();
  RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text);
  void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value);
  void describeRow(const RowHandle& row, RowState state, std::string_view tip);
  void beginUpdate() { batching_ = true; }
  void endUpdate();

  // The rows the view shows.
  const MemoryTable& table() const { return table_; }

 private:
  void flush();
  // The table that holds `row`: the shown one, or the batch not yet shown.
  MemoryTable& holder(const RowHandle& row);

  MemoryTable table_;
  MemoryTable pending_;  // appended rows not yet shown, with the same columns
  bool batching_ = false;
};

}  // namespace tarnwick
