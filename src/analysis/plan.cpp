#include "analysis/plan.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "analysis/day_label.h"
#include "analysis/w3c_fields.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// The site's log folder, resolved and listed once for the whole analysis.
struct LogFolder {
  std::optional<std::filesystem::path> local;
  std::string prefix;  // the local folder in UTF-8 with a separator, for its files' paths
  std::string unresolved;
  FolderContents contents;

  LogFolder(const std::string& folder, const FolderListing& folders, const PathResolver& paths)
      : local(paths.resolve(folder)) {
    if (!local) {
      unresolved = paths.whyUnresolved(folder);
      contents = {FolderContents::Status::NotFound, {}, unresolved};
      return;
    }
    constexpr auto separator = static_cast<char>(std::filesystem::path::preferred_separator);
    prefix = utf8Of(*local);
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != separator) prefix += separator;
    contents = folders.list(*local);
  }
};

// File `name` of the log folder, known to the server as `shown`. Its path is text, not a
// std::filesystem::path: tens of thousands of those take longer to build than their
// files take to count.
PlannedFile inFolder(const LogFolder& log, std::int64_t position, const std::string& name,
                     std::string shown, std::string label, bool listed) {
  PlannedFile file{position,     std::move(label), std::move(shown),
                   std::nullopt, log.unresolved,   listed};
  if (log.local) file.local = log.prefix + name;
  return file;
}

// Whether `name` is a gzipped log: "u_ex261206.log.gz", in any case.
bool isGzipLog(std::string_view name) {
  return endsWithIgnoringCase(name, ".LOG.GZ");
}

// "07" for 7.
std::string twoDigits(int n) {
  return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// Whether the folder could be listed, and why not.
void noteFolder(const LogFolder& log, Plan& plan) {
  if (log.contents.ok()) return;
  plan.status = !log.local ? Plan::Status::NotHere
                : log.contents.status == FolderContents::Status::NotFound
                    ? Plan::Status::FolderNotFound
                    : Plan::Status::FolderUnreadable;
  plan.reason = log.contents.reason;
}

bool isZip(std::string_view name) {
  return endsWithIgnoringCase(name, ".ZIP");
}

// A row for each log zip archive `name` of the folder holds, at `position`: one file each,
// all in one row where `oneRow`. An archive that cannot be listed is one row that says why.
// Returns how many files it planned.
std::size_t planZip(const Selection& selection, const LogFolder& log, const std::string& name,
                    std::int64_t position, bool oneRow, const TextInput* archives,
                    std::vector<PlannedFile>& files) {
  const auto row = [&](std::string shown, std::string label) {
    files.push_back(inFolder(log, position, name, std::move(shown), std::move(label), true));
    if (selection.siteFilter) files.back().filter = LineFilter{std::nullopt, selection.siteFilter};
    return &files.back();
  };
  ZipListing listing;
  if (!archives || !log.local) {
    listing.problem = "zip archives are not read here";
  } else if (OpenedFile opened = archives->open(pathFromUtf8(log.prefix + name)); !opened.ok()) {
    listing.problem = opened.reason;
  } else {
    listing = listZip(*opened.file);
  }
  if (!listing.ok) {
    row(selection.logFolder + name, dayLabel(name))->archiveProblem = listing.problem;
    return 1;
  }
  std::size_t planned = 0;
  for (const ZipMember& member : listing.members) {
    if (!endsWithIgnoringCase(member.name, ".LOG")) continue;
    PlannedFile* file = row(selection.logFolder + name + "\\" + member.name, dayLabel(member.name));
    file->zipMember = member;
    file->sameRow = oneRow && planned > 0;
    if (!oneRow) file->position = position + static_cast<std::int64_t>(planned);
    ++planned;
  }
  return planned;
}

// A log the server rolled over by size, and the day of its first line.
struct SizedLog {
  std::string name;
  std::uint64_t number = 0;
  std::optional<Date> first;  // none where it could not be read
};

// The `date` of the first line of `file` that has one, looking at its first 64 kB.
std::optional<Date> firstDate(InputFile& file) {
  std::vector<char> head(64 << 10);
  const std::ptrdiff_t got = file.readAt(head.data(), head.size(), 0);
  if (got <= 0) return std::nullopt;
  const std::string_view text(head.data(), static_cast<std::size_t>(got));
  std::optional<FieldLayout> layout;
  std::vector<std::string_view> fields;
  for (std::size_t start = 0, end; (end = lineEndAt(text, start)) != std::string_view::npos;
       start = end + 1) {
    const std::string_view line = text.substr(start, end - start);
    if (std::optional<FieldLayout> named = directiveAt(line, 0)) {
      layout = named;
    } else if (layout && layout->date >= 0 && splitFields(line, layout->count, fields)) {
      if (auto date = parseIsoDate(fields[static_cast<std::size_t>(layout->date)])) return date;
    }
  }
  return std::nullopt;
}

// The folder's by-size logs in the order the server wrote them, each with its first day:
// a log holds the days from its own first to the next one's.
std::vector<SizedLog> sizedLogs(const LogFolder& log, const TextInput* archives) {
  std::vector<SizedLog> logs;
  for (const std::string& name : log.contents.names) {
    const auto server = serverLogName(name);
    if (!server || server->kind != ServerLogName::Kind::BySize || server->digits.size() > 18)
      continue;
    SizedLog sized{name, 0, std::nullopt};
    std::from_chars(server->digits.data(), server->digits.data() + server->digits.size(),
                    sized.number);
    if (archives && log.local)
      if (OpenedFile opened = archives->open(pathFromUtf8(log.prefix + name)); opened.ok())
        sized.first = firstDate(*opened.file);
    logs.push_back(std::move(sized));
  }
  std::sort(logs.begin(), logs.end(),
            [](const SizedLog& a, const SizedLog& b) { return a.number < b.number; });
  return logs;
}

// Whether by-size log `k` can hold a line of day `day`: one whose first day cannot be
// read might.
bool holdsDay(const std::vector<SizedLog>& logs, std::size_t k, const Date& day) {
  const std::string wanted = isoDate(day);
  if (logs[k].first && isoDate(*logs[k].first) > wanted) return false;
  for (std::size_t next = k + 1; next < logs.size(); ++next)
    if (logs[next].first) return isoDate(*logs[next].first) >= wanted;
  return true;
}

void planFolder(const Selection& selection, const LogFolder& log, Plan& plan,
                const TextInput* archives) {
  noteFolder(log, plan);
  if (!plan.ok()) return;
  // Something other than a file under a log's name (a folder, a pipe) gets its row too,
  // which says what it is; other folders are not visited.
  std::unordered_set<std::string> notFiles;
  for (const std::string& other : log.contents.others)
    if (endsWithIgnoringCase(other, ".LOG")) notFiles.insert(other);
  std::vector<std::string> withOthers;
  if (!notFiles.empty()) {
    withOthers = log.contents.names;
    withOthers.insert(withOthers.end(), notFiles.begin(), notFiles.end());
    sortLikeWindows(withOthers);
  }
  const std::vector<std::string>& names = notFiles.empty() ? log.contents.names : withOthers;
  plan.files.reserve(names.size());
  std::int64_t position = 0;
  // A listed file is read by its own name, whatever characters it holds.
  for (const std::string& name : names) {
    if (isZip(name)) {
      position += static_cast<std::int64_t>(
          planZip(selection, log, name, position + 1, false, archives, plan.files));
      continue;
    }
    const bool gzip = isGzipLog(name);
    plan.files.push_back(inFolder(log, ++position, name, selection.logFolder + name,
                                  dayLabel(gzip ? name.substr(0, name.size() - 3) : name),
                                  notFiles.empty() || !notFiles.count(name)));
    plan.files.back().gzip = gzip;
    if (selection.siteFilter)
      plan.files.back().filter = LineFilter{std::nullopt, selection.siteFilter};
  }
}

// What the log folder holds, by name as NTFS compares names: case ignored.
class FolderNames {
 public:
  // Whatever is there under a day's name, file or not: a folder named like a log is read
  // (and refused for what it is), never taken for a missing day.
  explicit FolderNames(const FolderContents& contents) {
    for (const std::string& name : contents.names) present_.emplace(asciiUpper(name), name);
    for (const std::string& other : contents.others)
      if (present_.emplace(asciiUpper(other), other).second) notFiles_.insert(other);
    // Which spellings the folder holds at all: a day asks only for those. A year of
    // hourly logs asks for 8,760 names.
    for (const auto& [upper, name] : present_) {
      anyEx = anyEx || upper.starts_with("EX");
      anyCustom = anyCustom || upper.find("_X.") != std::string::npos;
      anyGzip = anyGzip || upper.ends_with(".GZ");
      anyZip = anyZip || upper.ends_with(".ZIP");
    }
  }

  // `name` as the folder spells it, where it holds it.
  std::optional<std::string> spelledAs(const std::string& name) const {
    const auto found = present_.find(asciiUpper(name));
    return found == present_.end() ? std::optional<std::string>() : found->second;
  }
  bool isFile(const std::string& name) const { return !notFiles_.count(name); }

  bool anyEx = false, anyCustom = false, anyGzip = false, anyZip = false;

 private:
  std::unordered_map<std::string, std::string> present_;  // by the upper-case name
  std::unordered_set<std::string> notFiles_;
};

// The days whose logs hold the lines of row `date`: its own, and where rows are local
// days the UTC day that begins or ends in it. `filter` then picks the row's lines.
std::vector<Date> logDaysOf(const Selection& selection, const Date& date,
                            std::optional<LineFilter>& filter) {
  std::vector<Date> logDays{date};
  if (selection.localOffsetMinutes && *selection.localOffsetMinutes != 0) {
    if (!filter) filter.emplace();
    filter->day = date;
    filter->shiftMinutes = *selection.localOffsetMinutes;
    if (*selection.localOffsetMinutes > 0) logDays.insert(logDays.begin(), daysBefore(date, 1));
    if (*selection.localOffsetMinutes < 0) logDays.push_back(daysBefore(date, -1));
  }
  return logDays;
}

// The names the server may have given the logs of `logDays`, without prefix and
// extension, in the order they are read. A file of many days (weekly, monthly, by size)
// holds other rows' lines too: `filter` then picks those of row `date`.
std::vector<std::string> stemsOf(LogPeriod period, const std::vector<Date>& logDays,
                                 const Date& date, std::optional<LineFilter>& filter) {
  std::vector<std::string> stems;
  const auto addStem = [&](const std::string& stem) {
    if (std::find(stems.begin(), stems.end(), stem) == stems.end()) stems.push_back(stem);
  };
  for (const Date& logDay : logDays) {
    const std::string digits = yymmdd(logDay);
    switch (period) {
      case LogPeriod::Hourly:
        for (int hour = 0; hour < 24; ++hour) addStem(digits + twoDigits(hour));
        break;
      case LogPeriod::Weekly:
      case LogPeriod::Monthly: {
        // A file of many days: the day's lines of those of its month, and of the month
        // before where a week begun then may hold it.
        if (period == LogPeriod::Weekly && logDay.day <= 7)
          for (int week = 1; week <= 5; ++week)
            addStem(yymmdd(daysBefore(logDay, logDay.day)).substr(0, 4) + twoDigits(week));
        for (int week = 1; week <= 5; ++week)
          addStem(period == LogPeriod::Monthly ? digits.substr(0, 4)
                                               : digits.substr(0, 4) + twoDigits(week));
        if (!filter) filter.emplace();
        filter->day = date;
        break;
      }
      case LogPeriod::BySize:
        // Its own names, not stems: the by-size logs whose days reach this one.
        if (!filter) filter.emplace();
        filter->day = date;
        break;
      default:
        addStem(digits);
    }
  }
  return stems;
}

// One row of planDays(): the files of day `k` (0 for today), added to `files`; whether
// the folder holds any.
bool planDay(const Selection& selection, const LogFolder& log, const FolderNames& names,
             const std::vector<SizedLog>& sized, int k, std::vector<PlannedFile>& files,
             const TextInput* archives) {
  const Date date = daysBefore(selection.today, k);
  const std::string day = yymmdd(date);
  std::optional<LineFilter> filter;
  if (selection.siteFilter) filter = LineFilter{std::nullopt, selection.siteFilter};
  const std::vector<Date> logDays = logDaysOf(selection, date, filter);
  const std::vector<std::string> stems = stemsOf(selection.period, logDays, date, filter);
  bool first = true;
  const auto add = [&](PlannedFile file) {
    file.sameRow = !first;
    file.filter = filter;
    first = false;
    files.push_back(std::move(file));
  };
  for (std::size_t f = 0; f < sized.size(); ++f) {
    bool holds = false;
    for (const Date& logDay : logDays) holds = holds || holdsDay(sized, f, logDay);
    if (holds)
      add(inFolder(log, k + 1, sized[f].name, selection.logFolder + sized[f].name, day,
                   names.isFile(sized[f].name)));
  }
  for (const std::string& stem : stems) {
    // "ex", the name of the design, wins over IIS 7's "u_ex" where both are there.
    bool ex = false;
    if (names.anyEx)
      for (const char* name : {".log", "_x.log", ".log.gz", "_x.log.gz"})
        ex = ex || names.spelledAs("ex" + stem + name);
    const std::string prefix = ex ? "ex" : "u_ex";
    for (const char* custom : {"", "_x"}) {
      if (*custom && !names.anyCustom) continue;
      const std::string base = prefix + stem + custom;
      // A log a scheduled task has gzipped is read where the log itself is gone.
      auto spelled = names.spelledAs(base + ".log");
      const bool gzip = !spelled && names.anyGzip && (spelled = names.spelledAs(base + ".log.gz"));
      if (spelled) {
        PlannedFile file = inFolder(log, k + 1, *spelled, selection.logFolder + *spelled, day,
                                    names.isFile(*spelled));
        file.gzip = gzip;
        add(std::move(file));
        continue;
      }
      const std::optional<std::string> zip =
          names.anyZip ? names.spelledAs(base + ".zip") : std::nullopt;
      const std::size_t before = files.size();
      if (!zip || planZip(selection, log, *zip, k + 1, true, archives, files) == 0) continue;
      for (std::size_t f = before; f < files.size(); ++f) {
        files[f].label = day;
        if (files[f].archiveProblem.empty()) files[f].filter = filter;
      }
      files[before].sameRow = !first;
      first = false;
    }
  }
  return !first;
}

void planDays(const Selection& selection, const LogFolder& log, Plan& plan,
              const TextInput* archives) {
  noteFolder(log, plan);
  const FolderNames names(log.contents);
  plan.files.reserve(static_cast<std::size_t>(std::max(selection.days, 0)) *
                     (selection.period == LogPeriod::Hourly ? 24 : 1));
  const std::vector<SizedLog> sized =
      selection.period == LogPeriod::BySize ? sizedLogs(log, archives) : std::vector<SizedLog>{};
  for (int k = 0; k < selection.days; ++k) {
    if (planDay(selection, log, names, sized, k, plan.files, archives)) continue;
    // Nothing there: the row names the log the day would have, and is missing.
    const Date date = daysBefore(selection.today, k);
    const std::string name =
        selection.period == LogPeriod::BySize
            ? "u_extend1.log"
            : "ex" + yymmdd(date) + (selection.period == LogPeriod::Hourly ? "00" : "") + ".log";
    plan.files.push_back(
        inFolder(log, k + 1, name, selection.logFolder + name, yymmdd(date), false));
  }
}

}  // namespace

std::string Plan::description() const {
  switch (status) {
    case Status::Ok:
      return {};
    case Status::FolderNotFound:
      return "does not exist";
    case Status::FolderUnreadable:
      return "cannot be read (" + reason + ")";
    case Status::NotHere:
      return "names nothing on this computer (" + reason + ")";
  }
  return reason;
}

void followLogging(Selection& selection, const SiteLogging& logging, const std::string& siteId) {
  selection.period = logging.period;
  if (logging.logging == Logging::Central) selection.siteFilter = "W3SVC" + siteId;
}

Plan planAnalysis(const Selection& selection, const FolderListing& folders,
                  const PathResolver& paths, const TextInput* archives) {
  Plan plan;
  switch (selection.mode) {
    case Mode::AllLogs:
      planFolder(selection, LogFolder(selection.logFolder, folders, paths), plan, archives);
      break;
    case Mode::LastDays:
    case Mode::Today: {
      Selection days = selection;
      if (selection.mode == Mode::Today) days.days = 1;
      planDays(days, LogFolder(selection.logFolder, folders, paths), plan, archives);
      break;
    }
    case Mode::SingleFile: {
      const bool gzip = isGzipLog(selection.chosenFile);
      plan.files.push_back(
          {1,
           dayLabel(gzip ? selection.chosenFile.substr(0, selection.chosenFile.size() - 3)
                         : selection.chosenFile),
           selection.chosenFile,
           selection.chosenFile,
           {},
           false});
      plan.files.back().gzip = gzip;
      break;
    }
  }
  return plan;
}

}  // namespace tarnwick
