#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "platform/text_input.h"
#include "verify/dns_checks.h"
#include "verify/ranges_folder.h"
#include "verify/verifier.h"

namespace tarnwick {

// The window's verification of its rows' crawler lines: the ranges files, DNS lookups on
// threads of their own, and each row's verdicts, settled as the answers come. Everything
// here runs on the window's thread and never waits for DNS.
class RowVerification {
 public:
  // `resolver` is null where DNS is not to be asked; `rangesFolder` where there is none.
  RowVerification(const CrawlerList& crawlers, const TextInput& input,
                  std::shared_ptr<Resolver> resolver,
                  std::optional<std::filesystem::path> rangesFolder);

  // Reads the ranges files again: at switching on, and after an update.
  void readRanges();
  const RangesFolder& ranges() const { return ranges_; }

  // A row came: keeps its addresses and asks about them; its verdicts so far.
  std::vector<Verdicts> add(const FileResult& row);
  // The rows went.
  void clear();
  // The verdicts of rows whose answers have come since, by row.
  std::vector<std::pair<std::size_t, std::vector<Verdicts>>> settle();
  // Every row's verdicts again, after the ranges files changed.
  std::vector<std::pair<std::size_t, std::vector<Verdicts>>> again();
  // Stops waiting: rows still waiting settle with their lines unverified.
  std::vector<std::pair<std::size_t, std::vector<Verdicts>>> giveUp();
  // Whether some row still waits for DNS.
  bool waiting() const { return !unsettled_.empty(); }
  // Addresses asked about, and those whose answer has not come.
  std::size_t asked() const { return dns_ ? dns_->asked() : 0; }
  std::size_t pending() const { return dns_ ? dns_->pending() : 0; }

 private:
  std::vector<Verdicts> tally(std::size_t row) const;

  const CrawlerList& crawlers_;
  const TextInput& input_;
  std::optional<std::filesystem::path> folder_;
  RangesFolder ranges_;
  std::unique_ptr<DnsChecks> dns_;
  std::optional<Verifier> verifier_;
  std::vector<std::vector<AddressLines>> addresses_;  // by row, then crawler
  std::vector<std::size_t> unsettled_;                // rows waiting for DNS, in order
};

}  // namespace tarnwick
