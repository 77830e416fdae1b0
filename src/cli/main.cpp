// tarnwick-report: the window's analysis without a window, for scripts and servers.

#include <optional>
#include <string>
#include <vector>

#include "analysis/crawler_list.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "analysis/row_text.h"
#include "app/html_report.h"
#include "app/texts.h"
#include "catalogue/site_source.h"
#include "cli/report_options.h"
#include "cli/site_choice.h"
#include "cli/site_list_output.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/file_output.h"
#include "platform/folder_listing.h"
#include "platform/http_client.h"
#include "platform/utf8_path.h"
#include "verify/ranges_update.h"
#include "verify/verifier.h"
#ifdef _WIN32
#include "platform/win32_text.h"
#endif

namespace tarnwick {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr std::string_view kOutOfMemory = "not enough memory to read it";

using Command = ReportOptions::Command;

// One line on standard error: names from a configuration or a folder may hold line
// breaks, escape sequences or bytes that are not UTF-8, and none of them reaches the
// terminal raw.
void say(std::string_view message) {
  writeError("tarnwick-report: " + terminalText(message) + '\n');
}

void warn(std::string_view message) {
  say("warning: " + std::string(message));
}

int fail(std::string_view message) {
  say(message);
  return kFailed;
}

// Wrong usage: the message, then the usage text.
int usage(std::string_view message) {
  say(message);
  writeError(reportUsage());
  return kUsage;
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
      warn("cannot read " + row.local.value_or(row.name) + ": " + row.reason);
    try {
      written_ = output_.write(formatter_.row(row));
    } catch (const std::bad_alloc&) {
      memoryShort_ = row.local.value_or(row.name);
      written_ = false;
    }
    return written_;
  }
  void finished(const Progress&) override {}

  // Whether every row so far was written; read once the job has stopped.
  bool written() const { return written_; }
  // The file whose row there was not enough memory for, where there was one.
  const std::optional<std::string>& memoryShort() const { return memoryShort_; }

 private:
  RowFormatter& formatter_;
  ReportOutput& output_;
  bool written_ = true;
  std::optional<std::string> memoryShort_;
};

// Gathers the rows into one page, written once the job is done.
class PageSink final : public RowSink {
 public:
  explicit PageSink(HtmlReport& page) : page_(page) {}
  bool row(FileResult&& row) override {
    if (row.status == FileResult::Status::Unreadable)
      warn("cannot read " + row.local.value_or(row.name) + ": " + row.reason);
    page_.add(row);
    return true;
  }
  void finished(const Progress&) override {}

 private:
  HtmlReport& page_;
};

// Holds each row until DNS has answered for its crawlers' addresses, tells their lines
// apart and hands it on, in order. A row's addresses are asked about as soon as it
// comes, so that lookups run while later files are counted.
class VerifyingSink final : public RowSink {
 public:
  VerifyingSink(RowSink& next, const Verifier& verifier, bool keepDetail)
      : next_(next), verifier_(verifier), keepDetail_(keepDetail) {}

  bool row(FileResult&& row) override {
    Held held;
    for (const CrawlerDetail& detail : row.detail) held.lines.push_back(addressLinesOf(detail));
    if (!keepDetail_) row.detail.clear();  // read for its addresses alone
    for (std::size_t c = 0; c < held.lines.size(); ++c) verifier_.tally(c, held.lines[c]);
    held.row = std::move(row);
    held_.push_back(std::move(held));
    return handOnReady();
  }
  void finished(const Progress& progress) override { next_.finished(progress); }

  // Waits for the answers still out (each within its timeout) and hands on the rest.
  bool drain(DnsChecks* dns) {
    if (dns) dns->wait();
    return !handOnReady() || held_.empty();  // stopped by the next sink, or all handed on
  }

 private:
  struct Held {
    FileResult row;
    std::vector<AddressLines> lines;
  };

  bool handOnReady() {
    while (!held_.empty()) {
      Held& first = held_.front();
      std::vector<Verdicts> verdicts;
      for (std::size_t c = 0; c < first.lines.size(); ++c) {
        verdicts.push_back(verifier_.tally(c, first.lines[c]));
        if (verdicts.back().pending) return true;  // each of its addresses is asked already
      }
      first.row.verify = std::move(verdicts);
      FileResult row = std::move(first.row);
      held_.erase(held_.begin());
      if (!next_.row(std::move(row))) return false;
    }
    return true;
  }

  RowSink& next_;
  const Verifier& verifier_;
  bool keepDetail_;
  std::vector<Held> held_;
};

// What --verify reads and asks: the ranges files, and DNS unless --no-dns.
struct Verification {
  RangesFolder ranges;
  std::unique_ptr<DnsChecks> dns;
  std::optional<Verifier> verifier;
};

std::optional<std::filesystem::path> rangesFolderOf(const ReportOptions& options) {
  return options.ranges ? options.ranges : userRangesFolder(environmentVariable);
}

// The ranges and DNS for --verify; warns of ranges files it cannot use, and of old ones.
std::optional<std::string> prepareVerification(const ReportOptions& options,
                                               const CrawlerList& crawlers, const TextInput& input,
                                               Verification& out) {
  const auto folder = rangesFolderOf(options);
  if (options.ranges && !SystemFolderListing().isFolder(*options.ranges))
    return "cannot read the ranges folder " + utf8Of(*options.ranges) + ": not a folder";
  if (folder) out.ranges = readRangesFolder(*folder, Verifier::rangesFilesOf(crawlers), input);
  const Date today = SystemClock().today(LogClock::Utc);
  for (const FoundRanges& found : out.ranges.found) {
    const std::string name = utf8Of(out.ranges.folder / pathFromUtf8(found.name));
    if (!found.file.ok())
      warn("ranges file " + name + ": " + found.file.description() + " (ignored)");
    else if (found.file.created &&
             isoDate(*found.file.created) < isoDate(daysBefore(today, kRangesOldDays)))
      warn("ranges file " + name + " was published " + isoDate(*found.file.created) +
           ", more than " + std::to_string(kRangesOldDays) +
           " days ago: run tarnwick-report --update-ranges");
  }
  if (!options.noDns)
    out.dns = std::make_unique<DnsChecks>(std::make_shared<SystemResolver>(),
                                          Verifier::domainsOf(crawlers));
  out.verifier.emplace(crawlers, out.ranges, out.dns.get());
  return std::nullopt;
}

JobSettings jobSettings(const ReportOptions& options) {
  JobSettings settings;
  settings.detail = options.detail || options.verify;  // verifying reads each line's c-ip
  return settings;
}

// Runs the job, its rows through `sink` (verified first with --verify): whether it ran
// to the end without running out of memory.
std::optional<int> runJob(const ReportOptions& options, Plan plan, const CrawlerList& crawlers,
                          const TextInput& input, RowSink& sink) {
  Verification verification;
  std::optional<VerifyingSink> verifying;
  if (options.verify) {
    if (const auto problem = prepareVerification(options, crawlers, input, verification))
      return fail(*problem);
    verifying.emplace(sink, *verification.verifier, options.detail);
  }
  AnalysisJob job(std::move(plan.files), tokensOf(crawlers), input,
                  verifying ? static_cast<RowSink&>(*verifying) : sink, jobSettings(options));
  job.wait();
  if (job.outOfMemory()) return fail("not enough memory to count the logs");
  if (verifying && !verifying->drain(verification.dns.get()))
    return fail("DNS lookups did not finish");
  return std::nullopt;
}

int printPage(const ReportOptions& options, Plan plan, const CrawlerList& crawlers,
              const TextInput& input, const AnalysisScope& scope) {
  HtmlReport page(crawlers, describeScope(scope), options.top);
  PageSink sink(page);
  if (const auto failed = runJob(options, std::move(plan), crawlers, input, sink)) return *failed;
  ReportOutput output(options);
  if (!output.write(page.page())) return output.failed();
  return output.finish();
}

int printRows(const ReportOptions& options, Plan plan, const CrawlerList& crawlers,
              const TextInput& input, const AnalysisScope& scope) {
  if (options.html) return printPage(options, std::move(plan), crawlers, input, scope);
  ReportOutput output(options);
  RowFormatter formatter(options.format, crawlers);
  if (options.detail) formatter.showDetail(options.top, kDetailWords);
  if (options.verify) formatter.showVerify(kVerifyWords);
  if (!output.write(formatter.header())) return output.failed();
  PrintingSink sink(formatter, output);
  if (const auto failed = runJob(options, std::move(plan), crawlers, input, sink)) return *failed;
  if (sink.memoryShort())
    return fail("cannot read " + *sink.memoryShort() + ": " + std::string(kOutOfMemory));
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
  AnalysisScope scope;
  scope.mode = Mode::SingleFile;
  scope.chosenFile = options.file;
  return printRows(options, planAnalysis(selection, folders, {}), crawlers, input, scope);
}

int analyseSite(const ReportOptions& options, const SiteSource& source, const Site& site,
                const CrawlerList& crawlers, const TextInput& input) {
  const Uncountable why = uncountable(site.logging);
  if (why != Uncountable::None)
    return fail("site \"" + site.name + "\" " + uncountableReason(why, site.logging));
  Selection selection;
  selection.logFolder = site.logFolder;
  followLogging(selection, site.logging, site.id);
  const SystemClock clock;
  // Local days of logs named by UTC days: today is this computer's (or --utc-offset's).
  selection.today = options.date ? *options.date
                                 : clock.today(options.localDays ? LogClock::Local : site.logClock);
  if (!options.date && options.utcOffsetMinutes)
    selection.today = dateOf(std::chrono::floor<std::chrono::days>(
        std::chrono::system_clock::now() + std::chrono::minutes(*options.utcOffsetMinutes)));
  if (options.localDays && site.logClock == LogClock::Utc)
    selection.localOffsetMinutes = options.utcOffsetMinutes
                                       ? *options.utcOffsetMinutes
                                       : clock.utcOffsetMinutes(selection.today);
  selection.mode = options.command == Command::All    ? Mode::AllLogs
                   : options.command == Command::Last ? Mode::LastDays
                                                      : Mode::Today;
  selection.days = options.command == Command::Last ? options.days : 1;
  const SystemFolderListing folders;
  Plan plan = planAnalysis(selection, folders, source.paths(), &input);
  const std::string folderProblem =
      "site \"" + site.name + "\": log folder " + site.logFolder + " " + plan.description();
  if (!plan.ok() && selection.mode == Mode::AllLogs) return fail(folderProblem);
  if (!plan.ok()) warn(folderProblem);
  AnalysisScope scope;
  scope.site = site.name;
  scope.mode = selection.mode;
  scope.days = selection.days;
  scope.newest = selection.today;
  scope.clock = site.logClock;
  scope.folder = site.logFolder;
  scope.period = site.logging.period;
  if (options.localDays) scope.clock = LogClock::Local;
  return printRows(options, std::move(plan), crawlers, input, scope);
}

// Downloads the published ranges files into the ranges folder, and says what it got.
int updateRangesFolder(const ReportOptions& options) {
  const auto folder = rangesFolderOf(options);
  if (!folder) return fail("no ranges folder: give --ranges DIR");
  SystemHttpClient http;
  int status = kDone;
  for (const RangesUpdate& update : updateRanges(*folder, rangesSources(options.from), http)) {
    const std::string name = utf8Of(*folder / pathFromUtf8(update.name));
    if (!update.ok) {
      say("cannot update " + name + ", kept as it was: " + update.reason);
      status = kFailed;
      continue;
    }
    std::string got = name + ": " + std::to_string(update.prefixes) + " prefixes";
    if (update.created) got += ", published " + isoDate(*update.created);
    if (!writeOut(terminalText(got) + '\n')) return fail("cannot write the output");
  }
  return flushOut() || status != kDone ? status : fail("cannot write the output");
}

// `reading` names what is being read at each step, for a message should memory run out.
int run(const std::vector<std::string_view>& args, std::string& reading) {
  const ReportOptionsResult parsed = parseReportOptions(args);
  if (parsed.options.help) {
    return writeOut(reportUsage()) && flushOut() ? kDone : kFailed;
  }
  if (!parsed.error.empty()) {
    return usage(parsed.error);
  }
  const ReportOptions& options = parsed.options;
  const SystemTextInput input;
  if (options.command == Command::UpdateRanges) return updateRangesFolder(options);

  reading = options.crawlers ? utf8Of(*options.crawlers) : "the crawler list";
  const CrawlerListResult crawlers = chooseCrawlers(options.crawlers, input, environmentVariable);
  if (!crawlers.ok())
    return fail("cannot read the crawler list " +
                (options.crawlers ? utf8Of(*options.crawlers) : std::string("")) + ": " +
                crawlers.description());
  for (const CrawlerListProblem& problem : crawlers.problems)
    warn("crawler list, " + problem.description() + " (left out)");
  if (crawlers.problemsNotKept)
    warn("crawler list, " + std::to_string(crawlers.problemsNotKept) + " more lines left out");

  reading = options.command == Command::File ? options.file : "the site configuration";
  if (options.command == Command::File) return analyseFile(options, crawlers.crawlers, input);

  const SiteSource source = readSites(options.source, input);
  if (source.usage()) {
    return usage(source.error());
  }
  if (!source.ok()) return fail(source.error());
  if (options.command == Command::ListSites) return listSites(options, source);

  const SiteChoice choice = chooseSite(source.sites, options.site, options.siteById);
  if (!choice.ok()) return fail(choice.description() + " in " + source.config.file);
  reading = choice.site->logFolder;
  return analyseSite(options, source, *choice.site, crawlers.crawlers, input);
}

}  // namespace
}  // namespace tarnwick

namespace {

int runReport(const std::vector<std::string>& texts) {
  tarnwick::prepareConsole();
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  std::string reading;
  try {
    return tarnwick::run(args, reading);
  } catch (const std::bad_alloc&) {
    return tarnwick::fail("cannot read " + reading + ": " + std::string(tarnwick::kOutOfMemory));
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
