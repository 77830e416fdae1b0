#include "app/main_presenter.h"

#include <algorithm>
#include <exception>

#include "analysis/row_text.h"
#include "app/html_report.h"
#include "platform/file_output.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// The day counts the drop-down list offers, and the one it shows at first.
constexpr int kMostDays = 9;
constexpr int kFirstDays = 7;

}  // namespace

MainPresenter::MainPresenter(MainView& view, WindowServices services,
                             const std::vector<Site>& sites, const CrawlerList& crawlers,
                             std::function<void()> wake, JobSettings settings, DetailLimits limits)
    : view_(view),
      services_(services),
      sites_(sites),
      crawlers_(crawlers),
      wake_(std::move(wake)),
      settings_(settings),
      dialogPaths_(services.paths),
      rows_(crawlers),
      limits_(limits) {}

MainPresenter::~MainPresenter() {
  if (job_) job_->cancel();
}

void MainPresenter::load() {
  std::vector<std::string> days;
  for (int n = 1; n <= kMostDays; ++n) days.push_back(std::to_string(n));
  view_.showDayChoices(days, std::to_string(kFirstDays));
  view_.showColumns(rows_.columns());
  std::vector<std::string> names;
  for (const Site& site : sites_) names.push_back(site.name);
  view_.showSites(names);
}

void MainPresenter::sitePressed() {
  selectedAtPress_ = listSelection_;
}

void MainPresenter::siteSelected(int index) {
  // A click on the site already selected reports a selection too (Windows does); it
  // runs again through siteClicked() alone, so that one click asks one question.
  if (index == listSelection_) return;
  listSelection_ = index;
  run(index);
}

void MainPresenter::siteClicked(int index) {
  const int before = selectedAtPress_;
  selectedAtPress_ = -1;
  if (index >= 0 && index == before && index == listSelection_) run(index);
}

void MainPresenter::runAgain() {
  if (listSelection_ >= 0) run(listSelection_);
}

void MainPresenter::showFailure(const std::exception& error) {
  services_.box.show(analysisFailed(error.what()), MessageDialog::Buttons::Ok, kMessageTitle);
}

bool MainPresenter::confirm(std::string_view text) {
  if (services_.box.show(text, MessageDialog::Buttons::OkCancel, kMessageTitle) ==
      MessageDialog::Answer::Ok)
    return true;
  giveBackHighlight();
  return false;
}

// The rows stay as they were: the list shows their site again, so that nobody reads one
// site's numbers under another's name.
void MainPresenter::giveBackHighlight() {
  listSelection_ = shownSite_;
  view_.highlightSite(shownSite_);
}

void MainPresenter::run(int index) {
  try {
    // The list already shows the new site: no row of the old analysis may follow.
    cancel();
    if (index < 0 || index >= static_cast<int>(sites_.size())) return;
    const Site& site = sites_[static_cast<std::size_t>(index)];
    AnalysisScope scope;
    scope.mode = view_.mode();
    scope.site = site.name;
    scope.clock = site.logClock;
    scope.folder = site.logFolder;
    scope.period = site.logging.period;
    // A file the user chooses is read whatever the site's settings say.
    const Uncountable why =
        scope.mode == Mode::SingleFile ? Uncountable::None : uncountable(site.logging);
    if (why != Uncountable::None) {
      services_.box.show(uncountableMessage(why, site.logging), MessageDialog::Buttons::Ok,
                         kMessageTitle);
      return giveBackHighlight();
    }
    Selection selection{scope.mode, site.logFolder, {}, 1, {}};
    followLogging(selection, site.logging, site.id);
    chooseDays(site, scope, selection);

    switch (scope.mode) {
      case Mode::AllLogs:
        if (!confirm(kConfirmAllLogs)) return;
        break;
      case Mode::LastDays: {
        const std::string days = view_.dayCount();
        if (!confirm(confirmLastDays(days))) return;
        selection.days = scope.days = static_cast<int>(parsePositive(days, kMaxDays).value_or(0));
        break;
      }
      case Mode::Today:
        if (!confirm(kConfirmToday)) return;
        break;
      case Mode::SingleFile:
        services_.cd.showOpen(kLogFileFilter, dialogFolder(site.logFolder));
        selection.chosenFile = scope.chosenFile = services_.cd.fileName();
        if (selection.chosenFile.empty()) return giveBackHighlight();
        break;
    }
    start(selection, scope, index);
  } catch (const std::exception& error) {
    cancel();
    showFailure(error);
  }
}

void MainPresenter::showNoLogs() {
  view_.showStatus(noLogsStatus(scope_));
  services_.box.show(kNoLogFiles, MessageDialog::Buttons::Ok, kMessageTitle);
}

// The open dialog starts in the site's log folder, or in the nearest folder above it
// that exists.
std::string MainPresenter::dialogFolder(const std::string& serverFolder) const {
  const auto local = dialogPaths_.resolve(serverFolder);
  if (!local) return {};
  for (std::filesystem::path folder = *local; !folder.empty(); folder = folder.parent_path()) {
    if (services_.folders.isFolder(folder)) return utf8Of(folder);
    if (folder == folder.parent_path()) break;
  }
  return {};
}

void MainPresenter::start(const Selection& selection, const AnalysisScope& scope, int site) {
  rows_.clear();
  reselect_.clear();
  if (verification_) verification_->clear();
  doneStatus_.clear();
  selection_ = selection;
  rowsHaveDetail_ = settings_.detail;
  detailValues_ = 0;
  detailBehind_ = true;
  view_.showRows(0, false);
  showChart();
  scope_ = scope;
  shownSite_ = site;
  totals_ = {};
  totals_.counts.assign(crawlers_.size(), 0);
  mailbox_ = std::make_unique<RowMailbox>(wake_);
  // The site's files are worked out on the job's thread: a folder on a slow or hanging
  // share never holds the window, and its time counts in the job's.
  const FolderListing& folders = services_.folders;
  const PathResolver& paths = services_.paths;
  job_ = std::make_unique<AnalysisJob>(
      [selection, &folders, &paths, &input = services_.input] {
        return planAnalysis(selection, folders, paths, &input);
      },
      tokensOf(crawlers_), services_.input, *mailbox_, settings_);
  view_.showRunning(true);
  showProgress();
  showDetail();
}

void MainPresenter::rowsWaiting() {
  if (!mailbox_) return;
  RowMailbox::Batch batch = mailbox_->take();
  if (batch.planned) {
    if (scope_.mode != Mode::SingleFile) scope_.folderStatus = *batch.planned;
    if (scope_.mode == Mode::AllLogs && *batch.planned != Plan::Status::Ok) {
      endJob();
      return showNoLogs();
    }
  }
  for (FileResult& row : batch.rows) {
    totals_.add(row);
    if (verify_ && verification_) row.verify = verification_->add(row);
    keepWithinBudget(row.detail);
    rows_.add(std::move(row));
  }
  detailBehind_ = detailBehind_ || !batch.rows.empty();
  // "该站点所有日志" lists the oldest first: today's row comes last.
  if (!batch.rows.empty()) view_.showRows(rows_.size(), scope_.mode == Mode::AllLogs);
  chartBehind_ = chartBehind_ || !batch.rows.empty();
  if (batch.finished) {
    doneStatus_ = finishedStatus(scope_, *batch.finished, totals_, crawlers_);
    view_.showStatus(doneStatus_);
    endJob();
    settleVerdicts();
  }
  // Once the job has ended where it has, so that the detail the selection brings says so.
  if (!reselect_.empty() && (reselect_.back() < rows_.size() || batch.finished)) {
    std::erase_if(reselect_, [&](std::size_t row) { return row >= rows_.size(); });
    view_.selectRows(std::exchange(reselect_, {}));
  }
}

// Many rows of many distinct values would fill the memory: past the budget a row keeps
// what matters most of each list.
void MainPresenter::keepWithinBudget(std::vector<CrawlerDetail>& details) {
  std::size_t values = 0;
  for (const CrawlerDetail& detail : details) values += detail.values();
  if (detailValues_ + values > limits_.budget) {
    values = 0;
    for (CrawlerDetail& detail : details) {
      detail.keepTop(limits_.keptTop);
      values += detail.values();
    }
  }
  detailValues_ += values;
}

void MainPresenter::showProgress() {
  checkDownload();
  if (!job_) return settleVerdicts();
  if (job_->outOfMemory()) {
    const std::size_t planned = job_->progress().filesPlanned;
    cancel();
    view_.showStatus(outOfMemoryStatus(scope_, totals_, planned));
    services_.box.show(kOutOfMemory, MessageDialog::Buttons::Ok, kMessageTitle);
    return;
  }
  const Progress progress = job_->progress();
  view_.showProgress(progress.filesDone, progress.filesPlanned);
  view_.showStatus(runningStatus(scope_, progress));
  if (detailBehind_ && ++ticksSinceDetail_ >= kDetailTicks) showDetail();
  if (chartBehind_) showChart();
  settleVerdicts();
}

bool MainPresenter::busy() const {
  return job_ || download_ || (verification_ && verification_->waiting());
}

void MainPresenter::settleVerdicts(bool giveUp) {
  if (!verification_ || !verification_->waiting()) return;
  applyVerdicts(giveUp ? verification_->giveUp() : verification_->settle());
  if (job_) return;  // the analysis's own progress has the status line
  if (verification_->waiting()) {
    const std::size_t asked = verification_->asked();
    view_.showStatus(doneStatus_ + verifyingStatus(asked - verification_->pending(), asked));
    view_.showProgress(asked - verification_->pending(), asked);
  } else {
    view_.showStatus(doneStatus_ +
                     rangesNote(verification_->ranges(), services_.clock.today(LogClock::Utc)));
    view_.showRunning(busy());
  }
}

void MainPresenter::applyVerdicts(
    const std::vector<std::pair<std::size_t, std::vector<Verdicts>>>& verdicts) {
  if (verdicts.empty()) return;
  for (const auto& [row, rowVerdicts] : verdicts)
    if (row < rows_.size()) rows_.setVerdicts(row, rowVerdicts);
  view_.refreshRows();
  if (verifiedOnly_) chartBehind_ = true;
  detailBehind_ = true;
}

void MainPresenter::checkDownload() {
  if (!download_) return;
  const auto updates = download_->result();
  if (!updates) return;
  download_.reset();
  std::string status = rangesUpdatedStatus(*updates);
  if (verification_) {
    verification_->readRanges();
    applyVerdicts(verification_->again());
    status += rangesNote(verification_->ranges(), services_.clock.today(LogClock::Utc));
  }
  view_.showStatus(status);
  view_.showRunning(busy());
}

void MainPresenter::verifyToggled(bool on) {
  if (on == verify_) return;
  verify_ = on;
  settings_.detail = verify_ || detailOpen_;
  view_.enableVerifiedOnly(on);
  rows_.showVerification(on, verifiedOnly_);
  view_.showColumns(rows_.columns());
  view_.showRows(rows_.size(), false);
  if (!on) {
    settleVerdicts(true);
    showChart();
    return;
  }
  if (!verification_)
    verification_ = std::make_unique<RowVerification>(crawlers_, services_.input,
                                                      services_.resolver, services_.rangesFolder);
  else
    verification_->readRanges();
  view_.showStatus(rangesNote(verification_->ranges(), services_.clock.today(LogClock::Utc)));
  // The rows on screen were counted without their addresses: read them again.
  if (shownSite_ >= 0) rerun();
}

// Which calendar the days are of: the one that names the site's logs, or where the user
// asked for local days of logs named by UTC days, this computer's.
void MainPresenter::chooseDays(const Site& site, AnalysisScope& scope, Selection& selection) const {
  const bool localDays = localDays_ && site.logClock == LogClock::Utc &&
                         (scope.mode == Mode::LastDays || scope.mode == Mode::Today);
  scope.clock = localDays ? LogClock::Local : site.logClock;
  // Read once, so that an analysis that runs past midnight neither skips nor repeats a day.
  selection.today = scope.newest = services_.clock.today(scope.clock);
  selection.localOffsetMinutes = std::nullopt;
  if (localDays) selection.localOffsetMinutes = services_.clock.utcOffsetMinutes(scope.newest);
}

void MainPresenter::localDaysToggled(bool on) {
  localDays_ = on;
  // Rows of days are read again, as the other kind of day, without asking again.
  if (shownSite_ < 0 || (scope_.mode != Mode::LastDays && scope_.mode != Mode::Today)) return;
  AnalysisScope scope = scope_;
  Selection selection = selection_;
  chooseDays(sites_[static_cast<std::size_t>(shownSite_)], scope, selection);
  restart(selection, scope);
}

void MainPresenter::verifiedOnlyToggled(bool on) {
  verifiedOnly_ = on;
  rows_.showVerification(verify_, on);
  view_.refreshRows();
  showChart();
}

void MainPresenter::updateRanges() {
  if (download_) return;
  if (!services_.http || !services_.rangesFolder) {
    view_.showStatus(rangesUpdatedStatus({}));
    return;
  }
  download_ = std::make_unique<RangesDownload>(services_.http, *services_.rangesFolder,
                                               rangesSources(std::nullopt));
  view_.showStatus(kUpdatingRanges);
  view_.showRunning(true);
}

void MainPresenter::rerun() {
  restart(selection_, scope_);
}

void MainPresenter::restart(Selection selection, AnalysisScope scope) {
  cancel();
  try {
    start(selection, scope, shownSite_);
  } catch (const std::exception& error) {
    cancel();
    showFailure(error);
  }
}

void MainPresenter::cancel() {
  if (!job_) {
    if (verification_ && verification_->waiting()) settleVerdicts(true);
    return;
  }
  job_->cancel();
  rowsWaiting();  // the rows finished before the cancel stay
  if (!job_) return;
  view_.showStatus(cancelledStatus(scope_, totals_, job_->progress().filesPlanned));
  endJob();
}

void MainPresenter::endJob() {
  job_.reset();
  mailbox_.reset();
  view_.showRunning(busy());
  if (detailBehind_) showDetail();
  if (chartBehind_) showChart();
}

std::vector<std::size_t> MainPresenter::chosenRows() const {
  std::vector<std::size_t> chosen;
  for (const std::size_t row : view_.selectedRows())
    if (row < rows_.size()) chosen.push_back(row);
  if (chosen.empty())
    for (std::size_t row = 0; row < rows_.size(); ++row) chosen.push_back(row);
  return chosen;
}

void MainPresenter::copyRows() {
  RowFormatter tsv(RowFormat::Tsv, crawlers_);
  std::string text = tsv.header();
  for (const std::size_t row : chosenRows()) text += tsv.row(rows_[row]);
  view_.copyText(text);
}

std::string MainPresenter::csvFile() const {
  RowFormatter csv(RowFormat::WindowCsv, crawlers_, &kWindowCsvHeaders);
  std::string text = "\xEF\xBB\xBF" + csv.header();
  for (const std::size_t row : chosenRows()) text += csv.row(rows_[row]);
  return text;
}

std::string MainPresenter::reportFile() const {
  HtmlReport report(crawlers_, describeScope(scope_), detailOptions_.top);
  for (const std::size_t row : chosenRows()) report.add(rows_[row]);
  return report.page();
}

void MainPresenter::exportCsv() {
  saveRows(kCsvDialogTitle, kCsvFilter, kCsvSuggestedName, [this] { return csvFile(); });
}

void MainPresenter::exportReport() {
  saveRows(kReportDialogTitle, kReportFilter, kReportSuggestedName,
           [this] { return reportFile(); });
}

void MainPresenter::saveRows(std::string_view title, std::string_view filter,
                             std::string_view suggested,
                             const std::function<std::string()>& contents) {
  const std::string name = services_.cd.askSaveName(title, filter, suggested);
  if (name.empty()) return;
  const std::size_t count = chosenRows().size();
  const WriteResult written = writeFileWhole(pathFromUtf8(name), contents());
  if (!written.ok())
    services_.box.show(cannotWrite(name, written.description()), MessageDialog::Buttons::Ok,
                       kMessageTitle);
  else
    view_.showStatus(exportedStatus(count, name));
}

void MainPresenter::chooseRowMenu(RowMenuEntry entry) {
  switch (entry) {
    case RowMenuEntry::Detail:
      return openDetail();
    case RowMenuEntry::Chart:
      return openChart();
    case RowMenuEntry::Copy:
      return copyRows();
    case RowMenuEntry::ExportCsv:
      return exportCsv();
    case RowMenuEntry::ExportReport:
      return exportReport();
    case RowMenuEntry::UpdateRanges:
      return updateRanges();
  }
}

void MainPresenter::openDetail() {
  detailOpen_ = true;
  settings_.detail = true;
  // The same files again, without asking: the user asked for their details, of the
  // rows they selected.
  if (!rowsHaveDetail_ && shownSite_ >= 0) {
    std::vector<std::size_t> selected = view_.selectedRows();
    rerun();
    reselect_ = std::move(selected);
    return;
  }
  showDetail();
}

void MainPresenter::detailClosed() {
  detailOpen_ = false;
  settings_.detail = verify_;
}

void MainPresenter::rowSelectionChanged() {
  showDetail();
  showChart();
}

void MainPresenter::openChart() {
  chartOpen_ = true;
  showChart();
}

void MainPresenter::chartClosed() {
  chartOpen_ = false;
}

ChartModel MainPresenter::chart() const {
  std::vector<std::string> labels;
  labels.reserve(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) labels.push_back(rows_[row].label);
  if (!rows_.verifiedOnly())
    return rowsChart(
        std::move(labels),
        [this](std::size_t row) -> const std::vector<std::uint64_t>& { return rows_[row].counts; },
        crawlers_);
  std::vector<std::vector<std::uint64_t>> verified(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row)
    for (std::size_t c = 0; c < crawlers_.size(); ++c)
      verified[row].push_back(rows_.shownCount(row, c));
  return rowsChart(std::move(labels), verified, crawlers_);
}

void MainPresenter::showChart() {
  chartBehind_ = false;
  if (!chartOpen_) return;
  std::vector<std::size_t> selected;
  for (const std::size_t row : view_.selectedRows())
    if (row < rows_.size()) selected.push_back(row);
  view_.showChart(chart(), selected);
}

void MainPresenter::showExactStatus(bool exact) {
  detailOptions_.exactStatus = exact;
  showDetail();
}

void MainPresenter::copyDetail() {
  view_.copyText(detailText_);
}

void MainPresenter::showDetail() {
  if (!detailOpen_) return;
  detailBehind_ = false;
  ticksSinceDetail_ = 0;
  const std::vector<std::size_t> chosen = chosenRows();
  const DetailSummary summary = summarizeDetail(rows_, chosen, crawlers_.size(), services_.clock);
  detailText_ = summary.rows == 0 && running()
                    ? std::string(kDetailReading) + "\n"
                    : detailPage(summary, crawlers_, services_.clock.zoneName(), detailOptions_);
  view_.showDetail(detailTitle(scope_, chosen.size(), rows_.size(), running()), detailText_);
}

}  // namespace tarnwick
