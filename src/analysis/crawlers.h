#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One search-engine crawler: what its log lines hold, and the results column it fills.
struct Crawler {
  std::string token;      // searched for in each log line, case-sensitive
  std::string columnKey;  // key of its results column
  std::string header;     // header of its results column
  // Its own checks from the crawler list, beside those known for its token: domains its
  // reverse DNS names end in, and ranges files of its addresses.
  std::vector<std::string> domains{};
  std::vector<std::string> rangesFiles{};
};

// The crawlers counted, in column order.
using CrawlerList = std::vector<Crawler>;

// The four designed crawlers: Baidu, Google, Yahoo and Soso, always first.
const CrawlerList& designedCrawlers();

// The tokens of `crawlers`, in order.
std::vector<std::string> tokensOf(const CrawlerList& crawlers);

// Key and header of the first results column, which shows the day.
inline constexpr std::string_view kDateColumnKey = "MyDate";
inline constexpr std::string_view kDateColumnHeader = "日期";

}  // namespace tarnwick
