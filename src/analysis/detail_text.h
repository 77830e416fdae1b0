#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/crawlers.h"
#include "verify/verdicts.h"

namespace tarnwick {

// A row's (or the total's) details as text: one per crawler, in column order, each list
// of values cut to its `top` most frequent.

// {"<token>":{"lines":…,"unparsed":…,"status":{…},"bytes":…,"time_taken_ms":…,"ips":…,
// "top_ips":[[value,lines],…],"top_segments":…,"top_pages":…,"top_dirs":…,"hours":[24 numbers]},…}
// With `verdicts`, each crawler's object also has "verified", "fake" and "unverified".
std::string detailJson(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                       std::size_t top, const std::vector<Verdicts>* verdicts = nullptr);

// csv lines "day,file,crawler,measure,key,value", one per crawler, measure and key; null
// values are left out. With `verdicts`, measures "verified", "fake" and "unverified" too.
std::string detailCsv(std::string_view day, std::string_view file,
                      const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                      std::size_t top, const std::vector<Verdicts>* verdicts = nullptr);

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

// "verified":n,"fake":n,"unverified":n
std::string verdictMembers(const Verdicts& verdicts);

// The words of the table's verification line.
struct VerifyWords {
  std::string_view heading;  // before the crawlers' verdicts
  std::string_view verified, fake, unverified;
};

// The verification line under a row of the table: each crawler's verified, fake and
// unverified lines, for crawlers that had lines.
std::string verifyTable(const std::vector<Verdicts>& verdicts, const CrawlerList& crawlers,
                        const VerifyWords& words);

// `verdicts` of a row, one per crawler: a row without any (a file that was not read) has
// no lines to tell.
std::vector<Verdicts> verdictsOf(const std::vector<Verdicts>& verdicts, std::size_t crawlers);

// Readable lines under a row of the table, for crawlers that had lines.
std::string detailTable(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                        std::size_t top, const DetailWords& words);

}  // namespace tarnwick
