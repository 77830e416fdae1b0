// tarnwick-report: the window's analysis without a window, for scripts and servers.

#include <optional>
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
#include "platform/file_output.h"
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

// Where the report's text goes: standard output, or with --output a file that takes its
// name only once complete; a csv file starts with a byte-order mark there, for
// spreadsheets on a Chinese Windows.
class ReportOutput {
 public:
  explicit ReportOutput(const ReportOptions& options) {
    if (!options.output) return;
    name_ = utf8Of(*options.output);
    file_.emplace(*options.output);
    if (options.format == RowFormat::Csv) write("\xEF\xBB\xBF");
  }

  // Appends `text`; false once anything failed.
  bool write(std::string_view text) { return file_ ? file_->write(text) : writeOut(text); }
  // Delivers all that was written: the status to exit with.
  int finish() {
    if (!file_) return flushOut() ? kDone : fail("cannot write the output");
    const WriteResult written = file_->commit();
    return written.ok() ? kDone : failed(written);
  }
  // The status after a write that failed.
  int failed() { return file_ ? failed(file_->commit()) : fail("cannot write the output"); }

 private:
  int failed(const WriteResult& written) {
    return fail("cannot write " + name_ + ": " + written.description());
  }

  std::string name_;
  std::optional<WholeFileWriter> file_;
};

// Prints each row as it arrives and warns of files that could not be read; stops the
// job at the first write that fails.
class PrintingSink final : public RowSink {
 public:
  PrintingSink(RowFormatter& formatter, ReportOutput& output)
      : formatter_(formatter), output_(output) {}

  bool row(FileResult&& row) override {
    if (row.status == FileResult::Status::Unreadable)
      writeError("tarnwick-report: warning: cannot read " + row.local.value_or(row.name) + ": " +
                 row.reason + '\n');
    written_ = output_.write(formatter_.row(row));
    return written_;
  }
  void finished(const Progress&) override {}

  // Whether every row so far was written; read once the job has stopped.
  bool written() const { return written_; }

 private:
  RowFormatter& formatter_;
  ReportOutput& output_;
  bool written_ = true;
};

int printRows(const ReportOptions& options, Plan plan, const CrawlerList& crawlers,
              const TextInput& input) {
  ReportOutput output(options);
  RowFormatter formatter(options.format, crawlers);
  if (!output.write(formatter.header())) return output.failed();
  PrintingSink sink(formatter, output);
  AnalysisJob job(std::move(plan.files), tokensOf(crawlers), input, sink);
  job.wait();
  if (!sink.written() || !output.write(formatter.footer())) return output.failed();
  return output.finish();
}

int listSites(const ReportOptions& options, const SiteSource& source) {
  std::vector<ReportSite> sites;
  for (const Site& site : source.sites) {
    const auto local = source.paths().resolve(site.logFolder);
    sites.push_back({site, local ? utf8Of(*local) : std::string()});
  }
  ReportOutput output(options);
  if (!output.write(formatSites(sites, options.format))) return output.failed();
  return output.finish();
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
  if (options.command == Command::ListSites) return listSites(options, source);

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
