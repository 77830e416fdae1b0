#pragma once

#include <QAbstractTableModel>

#include "platform/memory_table.h"

namespace tarnwick {

// The results table's data for a Qt view: one row per log file, one column per key.
class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The same operations as the results table, announced to the view.
  void addColumn(std::string_view key, std::string_view header);
  void clearRows();
  RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text);
  void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value);

  const MemoryTable& table() const { return table_; }

 private:
  MemoryTable table_;
};

}  // namespace tarnwick
