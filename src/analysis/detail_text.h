#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/crawlers.h"

namespace tarnwick {

// A row's (or the total's) details as text: one per crawler, in column order, each list
// of values cut to its `top` most frequent.

// {"<token>":{"lines":…,"unparsed":…,"status":{…},"bytes":…,"time_taken_ms":…,"ips":…,
// "top_ips":[[value,lines],…],"top_segments":…,"top_pages":…,"top_dirs":…,"hours":[24 numbers]},…}
std::string detailJson(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                       std::size_t top);

// csv lines "day,file,crawler,measure,key,value", one per crawler, measure and key; null
// values are left out.
std::string detailCsv(std::string_view day, std::string_view file,
                      const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                      std::size_t top);

// "512 B", "1.5 KB", "7.0 GB": bytes in steps of 1024.
std::string readableBytes(std::uint64_t bytes);

// The words of the table's readable lines.
struct DetailWords {
  std::string_view lines;           // after the number of lines
  std::string_view unparsed;        // after the number of lines whose fields were not read
  std::string_view status;          // before the status codes
  std::string_view notLogged;       // a field the server does not log
  std::string_view bytes;           // before the bytes
  std::string_view bytesNotLogged;  // where sc-bytes is not logged
  std::string_view averageTime;     // before the average time taken
  std::string_view ips;             // before the number of addresses
  std::string_view approximate;     // after a number that is at least the one given
  std::string_view pages;           // before the top pages
  std::string_view total;           // the total's heading
};

// Readable lines under a row of the table, for crawlers that had lines.
std::string detailTable(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                        std::size_t top, const DetailWords& words);

}  // namespace tarnwick
