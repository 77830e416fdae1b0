#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/memory_table.h"

namespace tarnwick {

// The window's results table: a report-view list control that asks for its texts as it
// draws them (a virtual list), so that a hundred thousand rows cost no more than their
// data. Rows added between beginUpdate() and endUpdate() are shown in one go.
class ListViewTable : public ResultsTable {
 public:
  explicit ListViewTable(HWND list) : list_(list) {}

  void setReportView() override;
  void addColumn(std::string_view key, std::string_view header) override;
  void setColumnWidth(int position, int twips) override;
  void clearRows() override;
  RowHandle addRow(std::int64_t position, std::string_view key, std::string_view text) override;
  void setCell(const RowHandle& row, std::string_view columnKey, std::uint64_t value) override;
  void describeRow(const RowHandle& row, RowState state, std::string_view tip) override;
  void beginUpdate() override { batching_ = true; }
  void endUpdate() override;

  // The column widths again, at the window's DPI now.
  void rescale();
  // Handles the list's notifications for its texts, its look and its tips; whether it
  // handled `header`, with the answer in `result`.
  bool onNotify(const NMHDR& header, LRESULT& result);

  const MemoryTable& table() const { return table_; }

 private:
  void showRowCount();
  void redraw(const RowHandle& row);

  HWND list_;
  MemoryTable table_;
  std::vector<int> widthsTwips_;
  bool batching_ = false;
  std::wstring text_;  // the text last handed to the list; it reads it after we return
};

}  // namespace tarnwick
