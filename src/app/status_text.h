#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "platform/clock.h"

namespace tarnwick {

// What an analysis covers, as the status line names it.
struct AnalysisScope {
  std::string site;  // the site's display name
  Mode mode = Mode::Today;
  int days = 1;                    // LastDays
  Date newest;                     // the newest day of LastDays and Today
  LogClock clock = LogClock::Utc;  // the clock that names the site's logs
  std::string chosenFile;          // SingleFile
};

// What the rows of a finished or cancelled analysis add up to.
struct RowTotals {
  std::vector<std::uint64_t> counts;  // one per crawler
  std::size_t rows = 0;
  std::size_t missing = 0;
  std::size_t unreadable = 0;

  void add(const FileResult& row);
};

// The site, the mode and the range: "「Default Web Site」最近 7 天（2008-07-07 至 2008-07-13，
// 按 UTC 日期）".
std::string describeScope(const AnalysisScope& scope);

// While it runs: files done of planned, megabytes read and the rate.
std::string runningStatus(const AnalysisScope& scope, const Progress& progress);

// Once every row is in: the number of files, the time taken and the totals per crawler.
std::string finishedStatus(const AnalysisScope& scope, const Progress& progress,
                           const RowTotals& totals, const CrawlerList& crawlers);

// After the user cancelled: which rows stay.
std::string cancelledStatus(const AnalysisScope& scope, const RowTotals& totals,
                            std::size_t planned);

// Where the site's log folder could not be listed.
std::string noLogsStatus(const AnalysisScope& scope, const std::string& reason);

}  // namespace tarnwick
