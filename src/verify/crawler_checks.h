#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "verify/verdicts.h"

namespace tarnwick {

// How a crawler's lines are told from an impostor's: the domains its reverse DNS names end
// in, and the files of its published address ranges.
struct CrawlerChecks {
  std::vector<std::string> domains;      // lower case, without a final dot
  std::vector<std::string> rangesFiles;  // names in the ranges folder; all found are read

  bool any() const { return !domains.empty() || !rangesFiles.empty(); }
};

// The checks of `crawler`: those its operator publishes for its token, and its own from
// the crawler list.
CrawlerChecks checksFor(const Crawler& crawler);

// Every ranges file name a known crawler uses, for the update.
const std::vector<std::string>& publishedRangesFiles();

// Whether host `name` lies in `domain`: is it, or ends in "." and it ("notbaidu.com" is
// not in "baidu.com"). Case does not matter, nor a final dot.
bool inDomain(std::string_view name, std::string_view domain);

// Whether `name` is a host name at all: letters, digits, hyphens and dots, at most 253
// bytes. A reverse DNS record can hold anything.
bool hostName(std::string_view name);

// What forward-confirmed reverse DNS said of an address.
struct DnsAnswer {
  enum class Status {
    Confirmed,  // it has a name, and the name resolves back to it
    Named,      // it has a name in none of the domains asked about, not looked up again
    Mismatch,   // it has a name that does not resolve back to it
    BadName,    // its name is not a host name
    NoName,     // it has no name
    Failed,     // the lookup failed
    TimedOut,   // no answer in time
  };
  Status status = Status::Failed;
  std::string name;  // the reverse name, where it has one
};

// The verdict on an address for a crawler with `domains`: `inRanges` says what its ranges
// files say (none where it has none), `answer` what DNS said (none where it is off).
Verdict verdictOf(const std::vector<std::string>& domains, std::optional<bool> inRanges,
                  const DnsAnswer* answer);

}  // namespace tarnwick
