#include "app/site_selection.h"

#include <exception>

#include "analysis/results_layout.h"
#include "analysis/row_text.h"
#include "platform/file_output.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

namespace tarnwick {

std::string confirmLastDays(std::string_view days) {
  return "确认要查看最近" + std::string(days) + "天的日志吗？";
}

SiteSelection::SiteSelection(WindowServices services, SelectionTargets window,
                             const CrawlerList& crawlers, std::function<void()> wake,
                             JobSettings settings)
    : services_(services),
      window_(window),
      crawlers_(crawlers),
      wake_(std::move(wake)),
      settings_(settings) {}

SiteSelection::~SiteSelection() {
  if (job_) job_->cancel();
}

void SiteSelection::showFailure(const std::exception& error) {
  services_.box.show("分析出错：" + std::string(error.what()), MessageDialog::Buttons::Ok,
                     kMessageTitle);
}

void SiteSelection::List1_Click(int index, Mode mode, std::string_view days) {
  try {
    // The list already shows the new site: no row of the old analysis may follow.
    cancel();
    run(index, mode, days);
  } catch (const std::exception& error) {
    cancel();
    showFailure(error);
  }
}

bool SiteSelection::confirm(std::string_view text) {
  return services_.box.show(text, MessageDialog::Buttons::OkCancel, kMessageTitle) ==
         MessageDialog::Answer::Ok;
}

void SiteSelection::run(int index, Mode mode, std::string_view days) {
  fileNo_ = 0;
  window_.list3.select(index);
  const std::string folder = window_.list3.selectedText();
  AnalysisScope scope;
  scope.mode = mode;
  if (index >= 0 && index < static_cast<int>(window_.sites.size())) {
    const Site& site = window_.sites[static_cast<std::size_t>(index)];
    scope.site = site.name;
    scope.clock = site.logClock;
  }
  // Read once, so that an analysis that runs past midnight neither skips nor repeats a day.
  scope.newest = services_.clock.today(scope.clock);
  Selection selection{mode, folder, scope.newest, 1, {}};

  switch (mode) {
    case Mode::AllLogs:
      if (!confirm(kConfirmAllLogs)) return;
      window_.list2.select(index);
      getSubForderOrFile(window_.list2.selectedText(), scope);
      return;
    case Mode::LastDays:
      if (!confirm(confirmLastDays(days))) return;
      selection.days = scope.days = static_cast<int>(parsePositive(days, kMaxDays).value_or(0));
      break;
    case Mode::Today:
      if (!confirm(kConfirmToday)) return;
      break;
    case Mode::SingleFile:
      services_.cd.showOpen(kLogFileFilter, dialogFolder(folder));
      selection.chosenFile = scope.chosenFile = services_.cd.fileName();
      if (selection.chosenFile.empty()) return;
      break;
  }
  start(planAnalysis(selection, services_.folders, services_.paths), scope);
}

void SiteSelection::getSubForderOrFile(const std::string& path, const AnalysisScope& scope) {
  Plan plan =
      planAnalysis({Mode::AllLogs, path, scope.newest, 1, {}}, services_.folders, services_.paths);
  if (!plan.ok()) {
    window_.table.clearRows();
    shown_.clear();
    scope_ = scope;
    window_.status.showStatus(noLogsStatus(scope, plan.reason));
    services_.box.show(kNoLogFiles, MessageDialog::Buttons::Ok, kMessageTitle);
    return;
  }
  start(std::move(plan), scope);
}

// The open dialog starts in the site's log folder, or in the nearest folder above it
// that exists.
std::string SiteSelection::dialogFolder(const std::string& serverFolder) const {
  const auto local = services_.paths.resolve(serverFolder);
  if (!local) return {};
  for (std::filesystem::path folder = *local; !folder.empty(); folder = folder.parent_path()) {
    if (services_.folders.isFolder(folder)) return utf8Of(folder);
    if (folder == folder.parent_path()) break;
  }
  return {};
}

void SiteSelection::start(Plan plan, const AnalysisScope& scope) {
  window_.table.clearRows();
  shown_.clear();
  scope_ = scope;
  totals_ = {};
  totals_.counts.assign(crawlers_.size(), 0);
  mailbox_ = std::make_unique<RowMailbox>(wake_);
  job_ = std::make_unique<AnalysisJob>(std::move(plan.files), tokensOf(crawlers_), services_.input,
                                       *mailbox_, settings_);
  window_.status.showRunning(true);
  showProgress();
}

void SiteSelection::fullTable(const FileResult& row) {
  addResultRow(window_.table, crawlers_, row);
  fileNo_ = row.position;
  totals_.add(row);
  shown_.push_back(row);
}

std::string SiteSelection::copyRows(const std::vector<int>& rows) const {
  RowFormatter tsv(RowFormat::Tsv, crawlers_);
  std::string text = tsv.header();
  if (rows.empty()) {
    for (const FileResult& row : shown_) text += tsv.row(row);
  } else {
    for (const int r : rows)
      if (r >= 0 && r < static_cast<int>(shown_.size()))
        text += tsv.row(shown_[static_cast<std::size_t>(r)]);
  }
  return text;
}

void SiteSelection::exportCsv() {
  const std::string name = services_.cd.askSaveName("CSV 文件|*.csv|所有文件|*.*", "蜘蛛统计.csv");
  if (name.empty()) return;
  const std::string error = writeChosenFile(pathFromUtf8(name), csvFile());
  if (!error.empty())
    services_.box.show("无法写入文件：" + name + "\n原因：" + error, MessageDialog::Buttons::Ok,
                       kMessageTitle);
}

std::string SiteSelection::csvFile() const {
  RowFormatter csv(RowFormat::Csv, crawlers_);
  std::string text = "\xEF\xBB\xBF" + csv.header();
  for (const FileResult& row : shown_) text += csv.row(row);
  return text;
}

void SiteSelection::takeRows() {
  if (!mailbox_) return;
  RowMailbox::Batch batch = mailbox_->take();
  try {
    window_.table.beginUpdate();
    for (const FileResult& row : batch.rows) fullTable(row);
    window_.table.endUpdate();
  } catch (const std::exception& error) {
    window_.table.endUpdate();
    cancel();
    showFailure(error);
    return;
  }
  if (batch.finished) {
    window_.status.showStatus(finishedStatus(scope_, *batch.finished, totals_, crawlers_));
    endJob();
  }
}

void SiteSelection::showProgress() {
  if (!job_) return;
  const Progress progress = job_->progress();
  window_.status.showProgress(progress.filesDone, progress.filesPlanned);
  window_.status.showStatus(runningStatus(scope_, progress));
}

void SiteSelection::cancel() {
  if (!job_) return;
  job_->cancel();
  takeRows();  // the rows finished before the cancel stay
  if (!job_) return;
  window_.status.showStatus(cancelledStatus(scope_, totals_, job_->progress().filesPlanned));
  endJob();
}

void SiteSelection::endJob() {
  job_.reset();
  mailbox_.reset();
  window_.status.showRunning(false);
}

}  // namespace tarnwick
