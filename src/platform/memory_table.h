#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/results_table.h"

namespace tarnwick {

// A results table held in memory: the data behind the windows' tables, and what tests
// look at.
class MemoryTable : public ResultsTable {
 public:
  struct Column {
    std::string key;
    std::string header;
    int widthTwips = 0;  // 0 until set
  };
  struct Row {
    std::string key;
    std::string text;
    std::vector<std::string> cells;  // one per column after the first; empty until set
    RowState state = RowState::Counted;
    std::string tip;
  };

  void setReportView() override { reportView_ = true; }
  void addColumn(std::string_view key, std::string_view header) override;
  void setColumnWidth(int position, int twips) override;
  void clearRows() override;
  RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text) override;
  void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) override;
  void describeRow(const RowHandle& row, RowState state, std::string_view tip) override;

  bool reportView() const { return reportView_; }
  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<Row>& rows() const { return rows_; }
  // Whether a row is keyed `key`.
  bool hasRow(std::string_view key) const { return rowIndex(key) >= 0; }
  // Index of the row keyed `key`, or -1.
  int rowIndex(std::string_view key) const;
  // Index of the column keyed `key`, or -1.
  int columnIndex(std::string_view key) const;
  // Moves every row of `other`, which has the same columns, after the rows of this table.
  void appendRowsOf(MemoryTable& other);

 private:
  Row& row(const RowHandle& handle);

  bool reportView_ = false;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  // Row index by key. Rows are only ever appended within one analysis, so an insert
  // elsewhere, which moves the rows after it, rebuilds it.
  std::unordered_map<std::string, int> rowIndex_;
};

}  // namespace tarnwick
