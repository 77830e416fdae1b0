#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/crawlers.h"
#include "verify/address_ranges.h"
#include "verify/crawler_checks.h"
#include "verify/dns_checks.h"
#include "verify/ranges_folder.h"
#include "verify/verdicts.h"

namespace tarnwick {

// One crawler's lines of a row by the address they came from.
struct AddressLines {
  std::vector<std::pair<IpAddress, std::uint64_t>> byAddress;
  std::uint64_t lines = 0;  // all its lines, those without an address they came from too
};

// The lines of `detail` by address; values of c-ip that are no address count in `lines`
// alone.
AddressLines addressLinesOf(const CrawlerDetail& detail);

// Tells each crawler's lines from an impostor's, by the crawler's ranges files and by
// forward-confirmed reverse DNS.
class Verifier {
 public:
  // `dns` is null where DNS is off; it outlives the verifier.
  Verifier(const CrawlerList& crawlers, const RangesFolder& ranges, DnsChecks* dns);

  // The verdicts on crawler `crawler`'s lines: asks DNS where it must, and counts lines
  // whose answer has not come as pending.
  Verdicts tally(std::size_t crawler, const AddressLines& lines) const;
  // Whether crawler `crawler` can be checked at all.
  bool checkable(std::size_t crawler) const { return crawlers_[crawler].checkable; }

  // Every domain of every crawler: the names worth confirming.
  static std::vector<std::string> domainsOf(const CrawlerList& crawlers);
  // Every ranges file the crawlers read.
  static std::vector<std::string> rangesFilesOf(const CrawlerList& crawlers);

 private:
  struct Rules {
    std::vector<std::string> domains;
    std::optional<AddressRanges> ranges;  // where any of its files is usable
    bool checkable = false;
  };
  std::vector<Rules> crawlers_;
  DnsChecks* dns_;
};

}  // namespace tarnwick
