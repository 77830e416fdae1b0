#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// A row added to a results table; it stays valid until the rows are cleared.
struct RowHandle {
  std::string key;
};

// How a row's file fared, for its look.
enum class RowState {
  Counted,     // shown as usual
  Missing,     // its zeros mean "no such file": shown greyed
  Unreadable,  // its zeros mean "could not be read": shown greyed
};

// A report-style table: keyed columns, keyed rows with a text and one cell per further
// column. A duplicate row key, a row position out of range or an unknown column key is
// a programming error: the table throws std::logic_error naming it.
class ResultsTable {
 public:
  virtual ~ResultsTable() = default;
  // Shows rows as lines with one cell per column, under visible headers.
  virtual void setReportView() = 0;
  // Appends a column after the existing ones.
  virtual void addColumn(std::string_view key, std::string_view header) = 0;
  // Sets the width of the column at 1-based `position`, in twips (15 to a pixel at 96 dpi).
  virtual void setColumnWidth(int position, int twips) = 0;
  // Removes every row.
  virtual void clearRows() = 0;
  // Inserts a row at 1-based `position`, shown with `text` in the first column.
  virtual RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text) = 0;
  // Shows `value` in decimal in `row`, under the column keyed `columnKey`.
  virtual void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) = 0;
  // Sets how `row` looks and the tip shown when the pointer rests on it.
  virtual void describeRow(const RowHandle& row, RowState state, std::string_view tip) = 0;
  // Rows added between these two calls may be shown all at once at the end.
  virtual void beginUpdate() {}
  virtual void endUpdate() {}
};

}  // namespace tarnwick
