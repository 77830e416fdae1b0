#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "analysis/row_mailbox.h"
#include "app/status_text.h"
#include "app/status_view.h"
#include "catalogue/site_catalogue.h"
#include "catalogue/site_list.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/folder_listing.h"
#include "platform/message_dialog.h"
#include "platform/results_table.h"
#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// Texts the user sees during a selection.
inline constexpr std::string_view kConfirmAllLogs =
    "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。";
inline constexpr std::string_view kConfirmToday = "确认要查看当天的日志吗？";
inline constexpr std::string_view kNoLogFiles = "该站点无日志文件。";
inline constexpr std::string_view kLogFileFilter = "日志文件|*.log|所有文件|*.*";
std::string confirmLastDays(std::string_view days);

// What the window and its selections ask of the platform.
struct WindowServices {
  MessageDialog& box;
  FileDialog& cd;  // the open dialog of "选择单一日志", and the export's save dialog
  const Clock& clock;
  const TextInput& input;
  const FolderListing& folders;
  const PathResolver& paths;
};

// The parts of the window a selection reads and fills.
struct SelectionTargets {
  ResultsTable& table;
  const std::vector<Site>& sites;  // parallel to the site list
  SiteList& list2;                 // log folders, for "该站点所有日志"
  SiteList& list3;                 // log folders, for the other modes
  StatusView& status;
};

// What happens when the user selects a site: the analysis in the chosen mode, run as a
// job whose rows reach the table while the window goes on answering. Everything here
// runs on the window's thread.
class SiteSelection {
 public:
  // `wake` is called on a job thread when rows are waiting; it must have the window's
  // thread call takeRows() soon.
  SiteSelection(WindowServices services, SelectionTargets window, const CrawlerList& crawlers,
                std::function<void()> wake, JobSettings settings = {});
  ~SiteSelection();

  // The site at 0-based `index` of the site list was selected while `mode` was set and
  // `days` ("1" to "9") was the day count. Cancels a running analysis, asks for
  // confirmation where the mode needs it, then replaces the table's rows as the new
  // analysis delivers them. A failure is shown in a message, never thrown.
  void List1_Click(int index, Mode mode, std::string_view days);

  // Puts the rows that have arrived into the table.
  void takeRows();
  // Shows how far the running analysis has come; for a timer while running() is true.
  void showProgress();
  // Stops the running analysis, keeping the rows it finished.
  void cancel();
  bool running() const { return job_ != nullptr; }

  // Rows of the current analysis so far; reset by each selection.
  std::int64_t fileNo() const { return fileNo_; }

  // The header line and the rows on screen at 0-based `rows` (all rows where it is empty),
  // as tab-separated text that pastes into a spreadsheet as columns.
  std::string copyRows(const std::vector<int>& rows) const;
  // Every row on screen as a csv file, as the report writes it, with a UTF-8 byte-order
  // mark so that spreadsheet programs read the Chinese right.
  std::string csvFile() const;
  // Asks where to save csvFile() and writes it there; says so where it cannot.
  void exportCsv();

 private:
  void run(int index, Mode mode, std::string_view days);
  bool confirm(std::string_view text);
  void getSubForderOrFile(const std::string& path, const AnalysisScope& scope);
  void start(Plan plan, const AnalysisScope& scope);
  void fullTable(const FileResult& row);
  void endJob();
  std::string dialogFolder(const std::string& serverFolder) const;
  void showFailure(const std::exception& error);

  WindowServices services_;
  SelectionTargets window_;
  const CrawlerList& crawlers_;
  std::function<void()> wake_;
  JobSettings settings_;

  std::int64_t fileNo_ = 0;
  AnalysisScope scope_;  // what the rows on screen are
  RowTotals totals_;
  std::vector<FileResult> shown_;  // the rows on screen
  // The mailbox outlives the job that fills it.
  std::unique_ptr<RowMailbox> mailbox_;
  std::unique_ptr<AnalysisJob> job_;
};

}  // namespace tarnwick
