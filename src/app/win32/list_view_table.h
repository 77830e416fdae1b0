#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/result_rows.h"

namespace tarnwick {

// The results table on a report-view list control that asks for its texts as it draws
// them (a virtual list): it shows the presenter's rows by index, so that a hundred
// thousand rows cost no more than their data.
class ListViewTable {
 public:
  ListViewTable(HWND list, const ResultRows& rows) : list_(list), rows_(rows) {}

  // Report view, full-row selection, and the columns, each at least the designed width
  // and wide enough for its header.
  void showColumns(const std::vector<ResultsColumn>& columns);
  // Shows the first `count` rows; where `followNewest`, scrolls to the last unless the
  // user has scrolled away from the end.
  void showRows(std::size_t count, bool followNewest);
  // The column widths again, at the window's DPI now.
  void rescale();
  // Handles the list's notifications for its texts, its look and its tips; whether it
  // handled `header`, with the answer in `result`.
  bool onNotify(const NMHDR& header, LRESULT& result);
  // The selected rows, in order.
  std::vector<std::size_t> selectedRows() const;
  // Selects `rows` of those shown and no others, the keyboard's focus on the first.
  void selectRows(const std::vector<std::size_t>& rows);

 private:
  HWND list_;
  const ResultRows& rows_;
  std::size_t shown_ = 0;
  std::wstring text_;  // the text last handed to the list; it reads it after we return
};

}  // namespace tarnwick
