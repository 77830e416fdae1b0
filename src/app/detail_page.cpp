#include "app/detail_page.h"

#include <algorithm>

#include "analysis/day_label.h"
#include "analysis/detail_text.h"
#include "app/texts.h"

namespace tarnwick {

namespace {

// The longest bar of the hours' chart, in blocks.
constexpr std::uint64_t kBarWidth = 24;

// The local hour that UTC hour `hour` starts in, `offset` minutes ahead of UTC.
std::size_t localHour(std::size_t hour, int offset) {
  const int minutes = static_cast<int>(hour) * 60 + offset;
  return static_cast<std::size_t>(((minutes / 60 - (minutes % 60 < 0)) % 24 + 24) % 24);
}

std::string twoDigits(std::size_t number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
}

// "label\tlines\tvalue" for the first value, "\tlines\tvalue" for the others: the
// numbers line up, however long the values.
void addTop(std::string& out, std::string_view label,
            const std::vector<std::pair<std::string, std::uint64_t>>& shown) {
  if (shown.empty()) return;
  for (std::size_t i = 0; i < shown.size(); ++i)
    out += std::string(i ? "" : label) + "\t" + std::to_string(shown[i].second) + "\t" +
           shown[i].first + "\n";
}

void addStatus(std::string& out, const CrawlerDetail& d, bool exact) {
  if (d.status.empty()) {
    out += std::string(kDetailStatus) + "\t" + std::string(kDetailNotLogged) + "\n";
    return;
  }
  std::map<std::string, std::uint64_t> shown;
  for (const auto& [code, lines] : d.status) shown[exact ? code : statusGroup(code)] += lines;
  bool first = true;
  for (const auto& [code, lines] : shown) {
    out +=
        std::string(first ? kDetailStatus : "") + "\t" + std::to_string(lines) + "\t" + code + "\n";
    first = false;
  }
}

void addHours(std::string& out, const CrawlerDetail& d) {
  const std::uint64_t most = *std::max_element(d.hours.begin(), d.hours.end());
  for (std::size_t hour = 0; hour < 24; ++hour) {
    const std::uint64_t lines = d.hours[hour];
    // Any hour with lines shows at least one block.
    const std::uint64_t blocks = most ? (lines * kBarWidth + most - 1) / most : 0;
    std::string bar;
    for (std::uint64_t b = 0; b < blocks; ++b) bar += "\u2588";
    out += std::string(hour ? "" : kDetailHours) + "\t" + twoDigits(hour) +
           std::string(kDetailHourSuffix) + "\t" + std::to_string(lines) + "\t" + bar + "\n";
  }
}

void addSection(std::string& out, const Crawler& crawler, const CrawlerDetail& d,
                const DetailOptions& options) {
  out += crawlerTitle(crawler) + "\n";
  out += std::string(kDetailLines) + "\t" + std::to_string(d.lines) + "\n";
  if (d.lines == 0) return;
  if (d.unparsed) out += std::string(kDetailUnparsed) + "\t" + std::to_string(d.unparsed) + "\n";
  addStatus(out, d, options.exactStatus);
  out += std::string(kDetailBytes) + "\t" +
         (d.bytes ? readableBytes(*d.bytes) : std::string(kDetailBytesNotLogged)) + "\n";
  if (const auto average = d.averageTimeMs())
    out += std::string(kDetailAverageTime) + "\t" + std::to_string(*average) + " " +
           std::string(kDetailMilliseconds) + "\n";
  out += std::string(kDetailIps) + "\t" + std::to_string(d.ips.distinct()) +
         (d.ips.approximate() ? std::string(kDetailApproximate) : "") + "\n";
  addTop(out, kDetailPages, d.pages.top(options.top));
  addTop(out, kDetailDirs, d.dirs.top(options.top));
  addTop(out, kDetailSegments, d.topSegments(options.top));
  addHours(out, d);
}

}  // namespace

std::string crawlerTitle(const Crawler& crawler) {
  return crawler.header == crawler.token ? crawler.token
                                         : crawler.header + "（" + crawler.token + "）";
}

std::string statusGroup(const std::string& code) {
  const bool threeDigits = code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) {
                             return c >= '0' && c <= '9';
                           });
  return threeDigits ? code.substr(0, 1) + "xx" : code;
}

DetailSummary summarizeDetail(const ResultRows& rows, const std::vector<std::size_t>& chosen,
                              std::size_t crawlerCount, const Clock& clock) {
  DetailSummary summary;
  summary.crawlers.resize(crawlerCount);
  bool offsetSeen = false;
  for (const std::size_t index : chosen) {
    const FileResult& row = rows[index];
    if (row.status != FileResult::Status::Counted) continue;
    if (row.detail.size() != crawlerCount) {
      ++summary.rowsWithout;
      continue;
    }
    ++summary.rows;
    const std::optional<Date> day = parseIsoDate(labelDate(row.label));
    const int offset = clock.utcOffsetMinutes(day ? *day : Date{1970, 1, 1});
    if (offsetSeen && offset != summary.utcOffsetMinutes) summary.offsetChanges = true;
    summary.utcOffsetMinutes = offset;
    offsetSeen = true;
    for (std::size_t c = 0; c < crawlerCount; ++c) {
      CrawlerDetail& merged = summary.crawlers[c];
      const std::array<std::uint64_t, 24> hours = merged.hours;
      merged.merge(row.detail[c]);
      merged.hours = hours;
      for (std::size_t hour = 0; hour < 24; ++hour)
        merged.hours[localHour(hour, offset)] += row.detail[c].hours[hour];
    }
  }
  return summary;
}

std::string detailPage(const DetailSummary& summary, const CrawlerList& crawlers,
                       const std::string& zoneName, const DetailOptions& options) {
  std::string out;
  if (summary.rows == 0) return std::string(kDetailNoRows) + "\n";
  out += detailZoneLine(zoneName, summary.utcOffsetMinutes, summary.offsetChanges) + "\n";
  if (summary.rowsWithout) out += detailRowsWithout(summary.rowsWithout) + "\n";
  for (std::size_t c = 0; c < crawlers.size() && c < summary.crawlers.size(); ++c) {
    out += "\n";
    addSection(out, crawlers[c], summary.crawlers[c], options);
  }
  return out;
}

}  // namespace tarnwick
