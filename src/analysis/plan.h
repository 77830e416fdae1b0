#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/filtered_reader.h"
#include "analysis/zip_archive.h"
#include "calendar/date.h"
#include "catalogue/site_logging.h"
#include "platform/folder_listing.h"
#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// Which log files an analysis reads.
enum class Mode {
  AllLogs = 1,     // every file in the site's log folder
  LastDays = 2,    // today's daily log and the n - 1 days before
  Today = 3,       // today's daily log
  SingleFile = 4,  // one file chosen by the user
};

// Most days an analysis of daily logs takes: a century. Two-digit years repeat after
// that, so more days would name some files twice.
inline constexpr int kMaxDays = 36525;

// What the user asked for.
struct Selection {
  Mode mode = Mode::Today;
  std::string logFolder;                // the site's log folder as the configuration builds it
  Date today;                           // the day the site's newest daily log is named after
  int days = 1;                         // LastDays: how many days, today included
  std::string chosenFile;               // SingleFile: a local path, as the user gave it
  LogPeriod period = LogPeriod::Daily;  // how often the site's logs roll over
  // Where the site's logs are the server's central ones: the s-sitename of its lines.
  std::optional<std::string> siteFilter = std::nullopt;
  // Where rows are local calendar days: the minutes local time is ahead of UTC. Each line
  // then goes to the day of its date and time shifted so, read from whichever of the
  // UTC-named logs hold it.
  std::optional<int> localOffsetMinutes = std::nullopt;
};

// One file of an analysis: one row of the results.
struct PlannedFile {
  std::int64_t position = 0;  // the row's 1-based position
  std::string label;          // the day label the row shows
  std::string name;           // the file as the analysis names it: a server path, or the local
                              // path the user chose
  std::optional<std::string> local;  // the local path read, in UTF-8; nothing where `name`
                                     // names nothing readable here
  std::string unresolved;            // why there is no local path
  bool listed = false;               // the folder listing showed it to be a regular file
  bool sameRow = false;  // its lines join the row of the file before it (one day's files)
  bool gzip = false;     // a gzip archive of a log, counted as its content
  std::optional<ZipMember> zipMember = std::nullopt;  // a log in the zip archive `local`
  std::string archiveProblem{};  // why an archive's logs cannot be listed, where they cannot
  // Where the file holds lines of other rows too: which of its lines are this row's.
  std::optional<LineFilter> filter = std::nullopt;
};

// The files of an analysis, in row order.
struct Plan {
  enum class Status {
    Ok,
    FolderNotFound,    // the log folder does not exist
    FolderUnreadable,  // it exists but cannot be listed
    NotHere,           // its server path names nothing on this computer: a drive not mapped,
                       // a network path, a variable that is not set
  };

  // Whether the log folder could be listed. Only "该站点所有日志" needs it; the daily
  // modes still plan their rows, each then missing.
  Status status = Status::Ok;
  std::string reason;  // why the folder could not be listed, in a few English words
  std::vector<PlannedFile> files;

  bool ok() const { return status == Status::Ok; }
  // Why the folder could not be listed, in one English line.
  std::string description() const;
};

// The files `selection` reads, in row order: every file of the log folder by name, the
// days newest first, or the chosen file. A day is its daily log ("ex" + YYMMDD + ".log",
// or the "u_ex" name IIS 7 and later write where only that one exists), with the "_x" log
// of a site that logs custom fields beside or instead of it; for an hourly site, whichever
// of its 24 hours' logs are there, together; for a weekly or monthly one, the day's lines
// of the files of its month (and of the month before, for a week begun then). Where the
// logs are central, each file counts only the site's lines. The folder is listed once.
// Zip archives are listed through `archives`, one row per log they hold; without it they
// are not read.
Plan planAnalysis(const Selection& selection, const FolderListing& folders,
                  const PathResolver& paths, const TextInput* archives = nullptr);

// Has `selection` find the logs of site `siteId` as it writes them: on its schedule, and
// its own lines of the server's central logs.
void followLogging(Selection& selection, const SiteLogging& logging, const std::string& siteId);

}  // namespace tarnwick
