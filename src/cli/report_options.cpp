#include "cli/report_options.h"

#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// Most values a detail's list may show.
constexpr long long kMostTop = 100000;

using Command = ReportOptions::Command;

std::optional<ReportOptions::Format> format(std::string_view text) {
  if (text == "table") return ReportOptions::Format::Table;
  if (text == "csv") return ReportOptions::Format::Csv;
  if (text == "json") return ReportOptions::Format::Json;
  return std::nullopt;
}

// "+08:00" or "-05:30" as minutes ahead of UTC.
std::optional<int> parseUtcOffset(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  for (const std::size_t i : {1, 2, 4, 5})
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  const int hours = (text[1] - '0') * 10 + (text[2] - '0');
  const int minutes = (text[4] - '0') * 10 + (text[5] - '0');
  if (minutes >= 60 || hours * 60 + minutes > 14 * 60) return std::nullopt;
  return (text[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
}

// How often options that may be given once were.
struct GivenCounts {
  int commands = 0;
  int siteChoices = 0;
  int tops = 0;
};

// Why the options given do not go together; empty where they do.
std::string combinationError(const ReportOptions& options, const GivenCounts& given) {
  const bool updating = options.command == Command::UpdateRanges;
  const bool needsSite = options.command == Command::All || options.command == Command::Last ||
                         options.command == Command::Today;
  if (options.source.root && options.source.config)
    return "--root and --config cannot be used together";
  if (given.commands == 0) return "no command given";
  if (given.commands > 1) return "give exactly one command";
  if (given.siteChoices > 1) return "give one --site or --site-id";
  if (needsSite && given.siteChoices == 0)
    return "--all, --last and --today need --site NAME or --site-id ID";
  if (!needsSite && given.siteChoices > 0)
    return "--site and --site-id go with --all, --last or --today";
  if (options.html && options.command == Command::ListSites)
    return "--format html goes with --all, --last, --today or --file";
  if (options.detail && options.command == Command::ListSites)
    return "--detail goes with --all, --last, --today or --file";
  if (given.tops > 0 && !options.detail) return "--top goes with --detail";
  if (options.verify && (options.command == Command::ListSites || updating))
    return "--verify goes with --all, --last, --today or --file";
  if (options.noDns && !options.verify) return "--no-dns goes with --verify";
  if (options.ranges && !options.verify && !updating)
    return "--ranges goes with --verify or --update-ranges";
  if (options.from && !updating) return "--from goes with --update-ranges";
  if (options.localDays && options.command != Command::Today && options.command != Command::Last)
    return "--local-days goes with --today or --last";
  if (options.utcOffsetMinutes && !options.localDays) return "--utc-offset goes with --local-days";
  if (updating && (!options.source.localServer() || options.html || options.detail ||
                   options.output || options.crawlers || options.date))
    return "--update-ranges takes only --ranges and --from";
  return {};
}

}  // namespace

std::string_view reportUsage() {
  return "usage: tarnwick-report [SOURCE] COMMAND [--format table|csv|json|html] [--date "
         "YYYY-MM-DD]\n"
         "                       [--crawlers FILE] [--detail [--top N]] [--output FILE]\n"
         "                       [--verify [--ranges DIR] [--no-dns]]\n"
         "                       [--local-days [--utc-offset +HH:MM]]\n"
         "       tarnwick-report --update-ranges [--ranges DIR] [--from BASE_URL]\n"
         "SOURCE (on Windows, none: this server's own configuration):\n"
         "  --root DIR        DIR is a copy or mount of the server's system drive (C:)\n"
         "  --config FILE     an applicationHost.config or a MetaBase.xml\n"
         "  --drive X=DIR     Windows drive X: is the local folder DIR (repeatable)\n"
         "COMMAND:\n"
         "  --list-sites               the server's sites\n"
         "  --site NAME --all          every file in the site's log folder\n"
         "  --site NAME --last N       today's daily log and the N-1 days before (N <= 36525)\n"
         "  --site NAME --today        today's daily log\n"
         "  --site-id ID ...           as --site, choosing the site by its id alone\n"
         "  --file PATH                one log file\n"
         "--detail: what each crawler's lines say (status codes, bytes, addresses, pages, hours),\n"
         "  its lists cut to the N most frequent values (--top N, 10 unless given)\n"
         "--verify: tell each crawler's lines verified, fake or unverified, by the published\n"
         "  address ranges in DIR (--ranges DIR, else the user's own ranges folder) and by\n"
         "  reverse DNS confirmed forward (--no-dns: ranges alone)\n"
         "--local-days: rows are local calendar days of this computer (or of --utc-offset),\n"
         "  each line placed by its own date and time, for --today and --last\n"
         "--update-ranges: download the published ranges files (from BASE_URL/NAME with --from)\n"
         "--output FILE: write to FILE, whole or not at all (csv with a byte-order mark)\n"
         "--format html: one page with a chart, to open in any browser or print\n"
         "NAME is a site's display name or its numeric id.\n"
         "--crawlers FILE adds crawlers: one a line, the token, then a tab and a header.\n";
}

ReportOptionsResult parseReportOptions(std::span<const std::string_view> args) {
  ReportOptionsResult result;
  ReportOptions& options = result.options;
  GivenCounts given;
  auto value = [&](std::size_t& i) -> std::optional<std::string_view> {
    if (i + 1 >= args.size()) {
      result.error = std::string(args[i]) + " needs a value";
      return std::nullopt;
    }
    return args[++i];
  };

  for (std::size_t i = 0; i < args.size() && result.error.empty(); ++i) {
    const std::string_view arg = args[i];
    if (takeSourceOption(args, i, options.source, result.error)) {
      --i;  // the loop's own step moves past the option's value
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--list-sites") {
      options.command = Command::ListSites, ++given.commands;
    } else if (arg == "--all") {
      options.command = Command::All, ++given.commands;
    } else if (arg == "--today") {
      options.command = Command::Today, ++given.commands;
    } else if (arg == "--last") {
      options.command = Command::Last, ++given.commands;
      const auto text = value(i);
      if (!text) break;
      const auto days = parsePositive(*text, kMaxDays);
      if (!days)
        result.error = "--last takes a whole number from 1 to " + std::to_string(kMaxDays) +
                       ", not \"" + std::string(*text) + "\"";
      else
        options.days = static_cast<int>(*days);
    } else if (arg == "--file") {
      options.command = Command::File, ++given.commands;
      if (const auto text = value(i)) options.file = *text;
    } else if (arg == "--site" || arg == "--site-id") {
      ++given.siteChoices;
      options.siteById = arg == "--site-id";
      if (const auto text = value(i)) options.site = *text;
    } else if (arg == "--format") {
      const auto text = value(i);
      if (!text) break;
      options.html = *text == "html";
      if (const auto chosen = format(*text))
        options.format = *chosen;
      else if (!options.html)
        result.error =
            "--format takes table, csv, json or html, not \"" + std::string(*text) + "\"";
    } else if (arg == "--date") {
      const auto text = value(i);
      if (!text) break;
      options.date = parseIsoDate(*text);
      if (!options.date)
        result.error = "--date takes a day as YYYY-MM-DD, not \"" + std::string(*text) + "\"";
    } else if (arg == "--crawlers") {
      if (const auto text = value(i)) options.crawlers = pathFromUtf8(*text);
    } else if (arg == "--output") {
      if (const auto text = value(i)) options.output = pathFromUtf8(*text);
    } else if (arg == "--detail") {
      options.detail = true;
    } else if (arg == "--verify") {
      options.verify = true;
    } else if (arg == "--no-dns") {
      options.noDns = true;
    } else if (arg == "--ranges") {
      if (const auto text = value(i)) options.ranges = pathFromUtf8(*text);
    } else if (arg == "--update-ranges") {
      options.command = Command::UpdateRanges, ++given.commands;
    } else if (arg == "--from") {
      if (const auto text = value(i)) options.from = std::string(*text);
    } else if (arg == "--local-days") {
      options.localDays = true;
    } else if (arg == "--utc-offset") {
      const auto text = value(i);
      if (!text) break;
      options.utcOffsetMinutes = parseUtcOffset(*text);
      if (!options.utcOffsetMinutes)
        result.error = "--utc-offset takes +HH:MM or -HH:MM (up to 14 hours), not \"" +
                       std::string(*text) + "\"";
    } else if (arg == "--top") {
      ++given.tops;
      const auto text = value(i);
      if (!text) break;
      if (const auto top = parsePositive(*text, kMostTop))
        options.top = static_cast<std::size_t>(*top);
      else
        result.error = "--top takes a whole number from 1 to " + std::to_string(kMostTop) +
                       ", not \"" + std::string(*text) + "\"";
    } else {
      result.error = "unknown option \"" + std::string(arg) + "\"";
    }
  }
  if (!result.error.empty() || options.help) return result;

  result.error = combinationError(options, given);
  return result;
}

}  // namespace tarnwick
