#include "verify/verifier.h"

#include <algorithm>

namespace tarnwick {

AddressLines addressLinesOf(const CrawlerDetail& detail) {
  AddressLines lines;
  lines.lines = detail.lines;
  detail.ips.forEach([&](std::string_view value, std::uint64_t count) {
    if (const auto address = parseIpAddress(value)) lines.byAddress.emplace_back(*address, count);
  });
  return lines;
}

Verifier::Verifier(const CrawlerList& crawlers, const RangesFolder& ranges, DnsChecks* dns)
    : dns_(dns) {
  for (const Crawler& crawler : crawlers) {
    const CrawlerChecks checks = checksFor(crawler);
    Rules rules;
    rules.domains = checks.domains;
    for (const std::string& name : checks.rangesFiles)
      if (const RangesFile* file = ranges.usable(name)) {
        if (!rules.ranges) rules.ranges.emplace();
        rules.ranges->join(file->ranges);
      }
    rules.checkable = rules.ranges || (dns && !rules.domains.empty());
    crawlers_.push_back(std::move(rules));
  }
}

Verdicts Verifier::tally(std::size_t crawler, const AddressLines& lines) const {
  const Rules& rules = crawlers_[crawler];
  Verdicts verdicts;
  std::uint64_t placed = 0;
  for (const auto& [address, count] : lines.byAddress) {
    placed += count;
    std::optional<bool> inRanges;
    if (rules.ranges) inRanges = rules.ranges->contains(address);
    std::optional<DnsAnswer> answer;
    if (inRanges != true && dns_ && !rules.domains.empty()) {
      answer = dns_->answer(address);
      if (!answer) {
        verdicts.pending += count;
        verdicts.unverified += count;
        continue;
      }
    }
    switch (verdictOf(rules.domains, inRanges, answer ? &*answer : nullptr)) {
      case Verdict::Verified:
        verdicts.verified += count;
        break;
      case Verdict::Fake:
        verdicts.fake += count;
        break;
      case Verdict::Unverified:
        verdicts.unverified += count;
        break;
    }
  }
  verdicts.unverified += lines.lines - std::min(placed, lines.lines);
  return verdicts;
}

std::vector<std::string> Verifier::domainsOf(const CrawlerList& crawlers) {
  std::vector<std::string> domains;
  for (const Crawler& crawler : crawlers)
    for (const std::string& domain : checksFor(crawler).domains)
      if (std::find(domains.begin(), domains.end(), domain) == domains.end())
        domains.push_back(domain);
  return domains;
}

std::vector<std::string> Verifier::rangesFilesOf(const CrawlerList& crawlers) {
  std::vector<std::string> files;
  for (const Crawler& crawler : crawlers)
    for (const std::string& file : checksFor(crawler).rangesFiles)
      if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
  return files;
}

}  // namespace tarnwick
