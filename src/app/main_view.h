#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/plan.h"
#include "app/chart_model.h"
#include "app/result_rows.h"

namespace tarnwick {

// What the presenter asks of a main window: what the user set, and what to show. Each
// toolkit's window implements it by drawing and nothing more.
class MainView {
 public:
  virtual ~MainView() = default;

  // Which of the four mode options is set.
  virtual Mode mode() const = 0;
  // The day count shown in the drop-down list: "1" to "9".
  virtual std::string dayCount() const = 0;
  // The rows of the results table the user has selected, 0-based and in order.
  virtual std::vector<std::size_t> selectedRows() const = 0;

  // Fills the drop-down list with `choices` and shows `chosen` in it.
  virtual void showDayChoices(const std::vector<std::string>& choices,
                              const std::string& chosen) = 0;
  // Fills the site list.
  virtual void showSites(const std::vector<std::string>& names) = 0;
  // Sets up the results table's columns.
  virtual void showColumns(const std::vector<ResultsColumn>& columns) = 0;
  // The table shows the first `count` of the presenter's rows: fewer than it shows now
  // means the rows were cleared and refilled. Where `followNewest`, the last row is
  // scrolled into view, unless the user has scrolled away from the end.
  virtual void showRows(std::size_t count, bool followNewest) = 0;
  // Selects rows `rows` of the table (0-based, in order) and no others, as the user
  // would: the rows they had selected, once the same files were read again.
  virtual void selectRows(const std::vector<std::size_t>& rows) = 0;
  // Cells of rows shown already changed: their verdicts came.
  virtual void refreshRows() = 0;
  // Whether 仅计已验证 can be ticked: only while 验证蜘蛛 is.
  virtual void enableVerifiedOnly(bool enabled) = 0;
  // Selects site `index` in the site list without it counting as the user's selection;
  // -1 selects none.
  virtual void highlightSite(int index) = 0;
  // Shows the progress bar and the cancel button, and runs the progress timer, or stops.
  virtual void showRunning(bool running) = 0;
  // Files done of files planned.
  virtual void showProgress(std::size_t done, std::size_t planned) = 0;
  // The status line.
  virtual void showStatus(std::string_view text) = 0;
  // Opens the detail view where it is closed, and shows `page` in it: lines of
  // tab-separated cells.
  virtual void showDetail(std::string_view title, std::string_view page) = 0;
  // Opens the chart where it is closed, and shows `chart` in it with rows `selected`
  // (0-based, in order) marked.
  virtual void showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) = 0;
  // Puts `text` on the clipboard.
  virtual void copyText(std::string_view text) = 0;
};

}  // namespace tarnwick
