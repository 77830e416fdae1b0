#pragma once

#include "app/qt/results_model.h"
#include "platform/results_table.h"

class QTreeView;

namespace tarnwick {

// The window's results table: a report-style list view showing a ResultsModel.
class ListViewTable : public ResultsTable {
 public:
  // Shows the table in `view`, which keeps its own parent.
  explicit ListViewTable(QTreeView& view);

  void setReportView() override;
  void addColumn(std::string_view key, std::string_view header) override;
  void setColumnWidth(int position, int twips) override;
  void clearRows() override { model_.clearRows(); }
  RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text) override {
    return model_.addRow(position, key, text);
  }
  void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) override {
    model_.setCell(row, columnKey, value);
  }
  void describeRow(const RowHandle& row, RowState state, std::string_view tip) override {
    model_.describeRow(row, state, tip);
  }
  void beginUpdate() override { model_.beginUpdate(); }
  void endUpdate() override { model_.endUpdate(); }

  const ResultsModel& model() const { return model_; }

 private:
  QTreeView& view_;
  ResultsModel model_;
};

}  // namespace tarnwick
