#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarnwick {

// One search-engine crawler: what its log lines hold, and the results column it fills.
struct Crawler {
  std::string_view token;      // searched for in each log line, case-sensitive
  std::string_view columnKey;  // key of its results column
  std::string_view header;     // header of its results column
};

// The crawlers in column order.
inline constexpr std::array<Crawler, 4> kCrawlers{{
    {"Baiduspider", "MyBaidu", "百度蜘蛛"},
    {"Googlebot", "MyGoogle", "谷歌蜘蛛"},
    {"Yahoo!", "MyYahoo", "雅虎蜘蛛"},
    {"Sosospider", "MySoSo", "搜搜蜘蛛"},
}};

// Key and header of the first results column, which shows the day.
inline constexpr std::string_view kDateColumnKey = "MyDate";
inline constexpr std::string_view kDateColumnHeader = "日期";

// One count per crawler, in column order.
using CrawlerCounts = std::array<std::uint64_t, kCrawlers.size()>;

}  // namespace tarnwick
