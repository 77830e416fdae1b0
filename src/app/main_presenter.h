#pragma once

#include <chrono>
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
#include "app/chart_model.h"
#include "app/detail_page.h"
#include "app/file_dialog.h"
#include "app/main_view.h"
#include "app/message_dialog.h"
#include "app/ranges_download.h"
#include "app/result_rows.h"
#include "app/row_verification.h"
#include "app/texts.h"
#include "catalogue/site_catalogue.h"
#include "platform/clock.h"
#include "platform/folder_listing.h"
#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// What the main window asks of the platform.
struct WindowServices {
  MessageDialog& box;
  FileDialog& cd;  // the open dialog of "选择单一日志", and the export's save dialog
  const Clock& clock;
  const TextInput& input;
  const FolderListing& folders;
  const PathResolver& paths;
  // What verification asks of the platform: DNS (null: none), downloads (null: none),
  // and the folder of the ranges files (none where there is no user folder).
  std::shared_ptr<Resolver> resolver = nullptr;
  std::shared_ptr<HttpClient> http = nullptr;
  std::optional<std::filesystem::path> rangesFolder = std::nullopt;
};

// How often a window shows a running analysis's progress.
inline constexpr std::chrono::milliseconds kProgressInterval{100};

// The entries of the rows' menu, in order.
enum class RowMenuEntry { Detail, Chart, Copy, ExportCsv, ExportReport, UpdateRanges };
struct RowMenuItem {
  RowMenuEntry entry;
  std::string_view text;
};
inline constexpr RowMenuItem kRowMenu[] = {{RowMenuEntry::Detail, kShowDetail},
                                           {RowMenuEntry::Chart, kShowChart},
                                           {RowMenuEntry::Copy, kCopy},
                                           {RowMenuEntry::ExportCsv, kExportCsv},
                                           {RowMenuEntry::ExportReport, kExportReport},
                                           {RowMenuEntry::UpdateRanges, kUpdateRanges}};

// How much of the rows' details the window keeps.
struct DetailLimits {
  // Distinct values (addresses, pages, …) all rows may hold together, about 100 bytes
  // each; past it, each row that arrives keeps only the `keptTop` most frequent values of
  // each list, flagged approximate.
  std::size_t budget = 1'000'000;
  std::size_t keptTop = 1000;
};

// A running analysis's detail view is brought up to date at most every this many
// progress ticks: merging many rows' details takes a while.
inline constexpr int kDetailTicks = 5;

// The main window's behaviour, for both toolkits: what the user's actions do, and what
// the window shows. A window creates its controls, hands their events to the methods
// below and paints what it is told through MainView. Everything here runs on the
// window's thread; the analysis itself runs as a job on threads of its own.
class MainPresenter {
 public:
  // `wake` is called on a job thread when rows are waiting; it must have the window's
  // thread call rowsWaiting() soon.
  MainPresenter(MainView& view, WindowServices services, const std::vector<Site>& sites,
                const CrawlerList& crawlers, std::function<void()> wake, JobSettings settings = {},
                DetailLimits limits = {});
  ~MainPresenter();
  MainPresenter(const MainPresenter&) = delete;
  MainPresenter& operator=(const MainPresenter&) = delete;

  // The window was created: fills its lists and sets up the results table.
  void load();

  // The user pressed the mouse on the site list.
  void sitePressed();
  // The site list's selection moved to `index`, by mouse or keyboard. Runs the analysis
  // of that site where it is another than the one selected before.
  void siteSelected(int index);
  // The mouse was released over site `index`: where it was the site selected before the
  // press, it runs again, in the mode set now.
  void siteClicked(int index);
  // F5 or Enter: the selected site runs again.
  void runAgain();
  // Esc or 取消: stops the running analysis, keeping the rows it finished.
  void cancel();

  // Puts the rows that have arrived into the table.
  void rowsWaiting();
  // Shows how far the running analysis has come; for the progress timer.
  void showProgress();

  // Ctrl+C: the selected rows (all where none is selected) with their header, as
  // tab-separated text.
  void copyRows();
  // Asks where to save the selected rows (all where none is selected) as csv, writes
  // them and says where in the status line.
  void exportCsv();
  // Asks where to save the selected rows (all where none is selected) as one HTML page,
  // with their details where they were read, writes it and says where.
  void exportReport();
  // An entry of the rows' menu was chosen.
  void chooseRowMenu(RowMenuEntry entry);

  // The row menu's 查看详情, a double click or Enter on the table: opens the detail view
  // of the selected rows (all where none is selected). Rows read without details are
  // read again, with them; while the view is open every analysis reads them.
  void openDetail();
  // The user closed the detail view: analyses go back to counting alone.
  void detailClosed();
  // The table's selection changed: the detail view follows it.
  void rowSelectionChanged();
  // The detail view shows each status code, or 2xx to 5xx.
  void showExactStatus(bool exact);
  // Ctrl+C in the detail view: its text, tab-separated.
  void copyDetail();
  bool detailOpen() const { return detailOpen_; }

  // The row menu's 趋势图: opens the chart of the rows, which follows them as they arrive
  // (at each progress tick, however fast they come) and marks the selected ones.
  void openChart();
  // The user closed the chart.
  void chartClosed();

  // 验证蜘蛛 was ticked or cleared: with it, each crawler's lines are told verified, fake
  // or unverified in columns of their own, which fill in as DNS answers. Rows read
  // without the lines' addresses are read again.
  void verifyToggled(bool on);
  // 仅计已验证 was ticked or cleared: the crawlers' columns and the chart count verified
  // lines alone.
  void verifiedOnlyToggled(bool on);
  // 按本地时间分日 was ticked or cleared: the rows of 最近 n 天 and 当天日志 are this
  // computer's calendar days, each line placed by its own date and time. Rows shown in
  // those modes are read again.
  void localDaysToggled(bool on);
  // The rows' menu's 更新 IP 段文件: downloads the published ranges files in the
  // background, and verifies the rows again with them.
  void updateRanges();

  // The rows of the table.
  const ResultRows& rows() const { return rows_; }
  bool running() const { return job_ != nullptr; }
  // Whether anything still runs: the analysis, DNS lookups or a download.
  bool busy() const;
  // The site whose rows are shown, or -1.
  int shownSite() const { return shownSite_; }

  // The csv of the selected rows (all where none is selected), as a file gets it: with a
  // UTF-8 byte-order mark and the window's headers.
  std::string csvFile() const;
  // The HTML page of the selected rows (all where none is selected).
  std::string reportFile() const;

 private:
  void run(int index);
  bool confirm(std::string_view text);
  void giveBackHighlight();
  void start(const Selection& selection, const AnalysisScope& scope, int site);
  void showNoLogs();
  void endJob();
  std::string dialogFolder(const std::string& serverFolder) const;
  std::vector<std::size_t> chosenRows() const;
  void showFailure(const std::exception& error);
  void showDetail();
  void showChart();
  ChartModel chart() const;
  void keepWithinBudget(std::vector<CrawlerDetail>& details);
  // Puts verdicts that have come into the rows; gives up waiting where `giveUp`.
  void settleVerdicts(bool giveUp = false);
  void applyVerdicts(const std::vector<std::pair<std::size_t, std::vector<Verdicts>>>& verdicts);
  void checkDownload();
  void rerun();
  // The same site again with `selection`, without asking.
  void restart(Selection selection, AnalysisScope scope);
  void chooseDays(const Site& site, AnalysisScope& scope, Selection& selection) const;
  // Asks where to save, writes what `contents` gives there and says where.
  void saveRows(std::string_view title, std::string_view filter, std::string_view suggested,
                const std::function<std::string()>& contents);

  MainView& view_;
  WindowServices services_;
  const std::vector<Site>& sites_;
  const CrawlerList& crawlers_;
  std::function<void()> wake_;
  JobSettings settings_;
  // The open dialog's own: a job's thread may be waiting on a slow share in the shared one.
  PathResolver dialogPaths_;

  ResultRows rows_;
  AnalysisScope scope_;  // what the rows on screen are
  RowTotals totals_;
  int shownSite_ = -1;        // the site whose rows are shown
  int listSelection_ = -1;    // the site the list shows selected
  int selectedAtPress_ = -1;  // the list's selection when the mouse went down
  Selection selection_;       // what the rows on screen were read from
  bool rowsHaveDetail_ = false;
  // The rows the user had selected when the detail asked for the same files again: they
  // are selected again once they are back.
  std::vector<std::size_t> reselect_;
  DetailLimits limits_;
  std::size_t detailValues_ = 0;  // held by the rows' details
  bool detailOpen_ = false;
  bool chartOpen_ = false;
  bool chartBehind_ = false;  // rows came since the chart was brought up to date
  DetailOptions detailOptions_;
  std::string detailText_;     // what the detail view shows
  bool detailBehind_ = false;  // rows came since the detail view was brought up to date
  int ticksSinceDetail_ = 0;
  bool localDays_ = false;
  bool verify_ = false;
  bool verifiedOnly_ = false;
  std::unique_ptr<RowVerification> verification_;  // made when first switched on
  std::string doneStatus_;                         // the status line once the rows are in
  std::unique_ptr<RangesDownload> download_;
  // The mailbox outlives the job that fills it.
  std::unique_ptr<RowMailbox> mailbox_;
  std::unique_ptr<AnalysisJob> job_;
};

}  // namespace tarnwick
