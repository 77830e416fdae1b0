// tarnwick-report: the window's analysis without a window, for scripts and servers.

#include <string>
#include <vector>

#include "analysis/crawler_list.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "analysis/row_text.h"
#include "catalogue/site_source.h"
#include "cli/report_options.h"
#include "cli/site_choice.h"
#include "cli/site_list_output.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/utf8_path.h"
#ifdef _WIN32
#include "platform/win32_text.h"
#endif

namespace tarnwick {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

using Command = ReportOptions::Command;

int fail(const std::string& message) {
  writeError("tarnwick-report: " + message + '\n');
  return kFailed;
}

// Prints each row as it arrives and warns of files that could not be read; stops the
// job at the first write that fails.
class PrintingSink final : public RowSink {
 public:
  explicit PrintingSink(RowFormatter& formatter) : formatter_(formatter) {}

  bool row(FileResult&& row) override {
    if (row.status == FileResult::Status::Unreadable)
      writeError("tarnwick-report: warning: cannot read " + row.local.value_or(row.name) + ": " +
                 row.reason + '\n');
    written_ = writeOut(formatter_.row(row));
    return written_;
  }
  void finished(const Progress&) override {}

  // Whether every row so far was written; read once the job has stopped.
  bool written() const { return written_; }

 private:
  RowFormatter& formatter_;
  bool written_ = true;
};

int printRows(const ReportOptions& options, Plan plan, const CrawlerList& crawlers,
              const TextInput& input) {
  RowFormatter formatter(options.format, crawlers);
  if (!writeOut(formatter.header())) return fail("cannot write the output");
  PrintingSink sink(formatter);
  AnalysisJob job(std::move(plan.files), tokensOf(crawlers), input, sink);
  job.wait();
  if (!sink.written()) return fail("cannot write the output");
  if (!writeOut(formatter.footer()) || !flushOut()) return fail("cannot write the output");
  return kDone;
}

int listSites(const SiteSource& source, ReportOptions::Format format) {
  std::vector<ReportSite> sites;
  for (const Site& site : source.sites) {
    const auto local = source.paths().resolve(site.logFolder);
    sites.push_back({site, local ? utf8Of(*local) : std::string()});
  }
  if (!writeOut(formatSites(sites, format)) || !flushOut()) return fail("cannot write the output");
  return kDone;
}

int analyseFile(const ReportOptions& options, const CrawlerList& crawlers, const TextInput& input) {
  const OpenedFile opened = input.open(pathFromUtf8(options.file));
  if (!opened.ok()) return fail("cannot read " + options.file + ": " + opened.reason);
  Selection selection;
  selection.mode = Mode::SingleFile;
  selection.chosenFile = options.file;
  const SystemFolderListing folders;
  return printRows(options, planAnalysis(selection, folders, {}), crawlers, input);
}

int analyseSite(const ReportOptions& options, const SiteSource& source, const Site& site,
                const CrawlerList& crawlers, const TextInput& input) {
  Selection selection;
  selection.logFolder = site.logFolder;
  selection.today = options.date ? *options.date : SystemClock().today(site.logClock);
  selection.mode = options.command == Command::All    ? Mode::AllLogs
                   : options.command == Command::Last ? Mode::LastDays
                                                      : Mode::Today;
  selection.days = options.command == Command::Last ? options.days : 1;
  const SystemFolderListing folders;
  Plan plan = planAnalysis(selection, folders, source.paths());
  const std::string folderProblem =
      "site \"" + site.name + "\": log folder " + site.logFolder + " " + plan.description();
  if (!plan.ok() && selection.mode == Mode::AllLogs) return fail(folderProblem);
  if (!plan.ok()) writeError("tarnwick-report: warning: " + folderProblem + '\n');
  return printRows(options, std::move(plan), crawlers, input);
}

int run(const std::vector<std::string_view>& args) {
  const ReportOptionsResult parsed = parseReportOptions(args);
  if (parsed.options.help) {
    return writeOut(reportUsage()) && flushOut() ? kDone : kFailed;
  }
  if (!parsed.error.empty()) {
    writeError("tarnwick-report: " + parsed.error + '\n' + std::string(reportUsage()));
    return kUsage;
  }
  const ReportOptions& options = parsed.options;
  const SystemTextInput input;

  const CrawlerListResult crawlers = chooseCrawlers(options.crawlers, input, environmentVariable);
  if (!crawlers.ok())
    return fail("cannot read the crawler list " +
                (options.crawlers ? utf8Of(*options.crawlers) : std::string("")) + ": " +
                crawlers.description());
  for (const CrawlerListProblem& problem : crawlers.problems)
    writeError("tarnwick-report: warning: crawler list, " + problem.description() +
               " (left out)\n");
  if (crawlers.problemsNotKept)
    writeError("tarnwick-report: warning: crawler list, " +
               std::to_string(crawlers.problemsNotKept) + " more lines left out\n");

  if (options.command == Command::File) return analyseFile(options, crawlers.crawlers, input);

  const SiteSource source = readSites(options.source, input);
  if (source.usage()) {
    writeError("tarnwick-report: " + source.error() + '\n' + std::string(reportUsage()));
    return kUsage;
  }
  if (!source.ok()) return fail(source.error());
  if (options.command == Command::ListSites) return listSites(source, options.format);

  const SiteChoice choice = chooseSite(source.sites, options.site, options.siteById);
  if (!choice.site) return fail(choice.error + " in " + source.config.file);
  return analyseSite(options, source, *choice.site, crawlers.crawlers, input);
}

}  // namespace
}  // namespace tarnwick

namespace {

int runReport(const std::vector<std::string>& texts) {
  tarnwick::prepareConsole();
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  try {
    return tarnwick::run(args);
  } catch (const std::exception& error) {
    return tarnwick::fail(error.what());
  }
}

}  // namespace

#ifdef _WIN32
// The arguments in UTF-16, whatever the ANSI code page: Chinese names arrive intact.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> texts;
  for (int i = 1; i < argc; ++i) texts.push_back(tarnwick::narrow(argv[i]));
  return runReport(texts);
}
#else
int main(int argc, char** argv) {
  return runReport(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
