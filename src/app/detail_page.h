#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/crawlers.h"
#include "app/result_rows.h"
#include "platform/clock.h"

namespace tarnwick {

// How the detail view shows what it shows.
struct DetailOptions {
  bool exactStatus = false;  // each status code as logged, rather than 2xx to 5xx
  std::size_t top = 10;      // values in each top list
};

// What the chosen rows' crawler lines say, per crawler, merged over the rows, with the
// hours moved into this computer's time zone.
struct DetailSummary {
  std::vector<CrawlerDetail> crawlers;  // one per crawler; hours in local time
  std::size_t rows = 0;                 // chosen rows that carry details
  std::size_t rowsWithout = 0;          // chosen rows read without them
  int utcOffsetMinutes = 0;             // of the newest chosen day
  bool offsetChanges = false;           // the chosen days lie on both sides of a clock change
};

// Merges the details of rows `chosen`. An hour of a day with a clock offset that is not
// whole hours goes to the local hour it starts in.
DetailSummary summarizeDetail(const ResultRows& rows, const std::vector<std::size_t>& chosen,
                              std::size_t crawlerCount, const Clock& clock);

// A crawler as a section of details names it: "百度蜘蛛（Baiduspider）", or the token alone
// where that is its header too.
std::string crawlerTitle(const Crawler& crawler);

// "2xx" for "200"; the code itself where it is not three digits.
std::string statusGroup(const std::string& code);

// The detail view's text: one section per crawler, lines of tab-separated cells; what
// the view shows and what Ctrl+C copies.
std::string detailPage(const DetailSummary& summary, const CrawlerList& crawlers,
                       const std::string& zoneName, const DetailOptions& options);

}  // namespace tarnwick
