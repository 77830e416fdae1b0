#include "app/row_verification.h"

#include "platform/utf8_path.h"

namespace tarnwick {

RowVerification::RowVerification(const CrawlerList& crawlers, const TextInput& input,
                                 std::shared_ptr<Resolver> resolver,
                                 std::optional<std::filesystem::path> rangesFolder)
    : crawlers_(crawlers), input_(input), folder_(std::move(rangesFolder)) {
  if (resolver)
    dns_ = std::make_unique<DnsChecks>(std::move(resolver), Verifier::domainsOf(crawlers));
  readRanges();
}

void RowVerification::readRanges() {
  ranges_ = folder_ ? readRangesFolder(*folder_, Verifier::rangesFilesOf(crawlers_), input_)
                    : RangesFolder{};
  verifier_.emplace(crawlers_, ranges_, dns_.get());
}

std::vector<Verdicts> RowVerification::tally(std::size_t row) const {
  std::vector<Verdicts> verdicts;
  for (std::size_t c = 0; c < addresses_[row].size(); ++c)
    verdicts.push_back(verifier_->tally(c, addresses_[row][c]));
  return verdicts;
}

std::vector<Verdicts> RowVerification::add(const FileResult& row) {
  std::vector<AddressLines> lines;
  for (const CrawlerDetail& detail : row.detail) lines.push_back(addressLinesOf(detail));
  addresses_.push_back(std::move(lines));
  std::vector<Verdicts> verdicts = tally(addresses_.size() - 1);
  for (const Verdicts& v : verdicts)
    if (v.pending) {
      unsettled_.push_back(addresses_.size() - 1);
      break;
    }
  return verdicts;
}

void RowVerification::clear() {
  addresses_.clear();
  unsettled_.clear();
  if (dns_) dns_->giveUp();
}

std::vector<std::pair<std::size_t, std::vector<Verdicts>>> RowVerification::settle() {
  std::vector<std::pair<std::size_t, std::vector<Verdicts>>> settled;
  std::erase_if(unsettled_, [&](std::size_t row) {
    std::vector<Verdicts> verdicts = tally(row);
    bool waiting = false;
    for (const Verdicts& v : verdicts) waiting = waiting || v.pending;
    settled.emplace_back(row, std::move(verdicts));
    return !waiting;
  });
  return settled;
}

std::vector<std::pair<std::size_t, std::vector<Verdicts>>> RowVerification::again() {
  unsettled_.clear();
  for (std::size_t row = 0; row < addresses_.size(); ++row) unsettled_.push_back(row);
  return settle();
}

std::vector<std::pair<std::size_t, std::vector<Verdicts>>> RowVerification::giveUp() {
  std::vector<std::pair<std::size_t, std::vector<Verdicts>>> settled;
  for (const std::size_t row : unsettled_) {
    std::vector<Verdicts> verdicts = tally(row);
    for (Verdicts& v : verdicts) v.pending = 0;  // unverified, as counted meanwhile
    settled.emplace_back(row, std::move(verdicts));
  }
  unsettled_.clear();
  if (dns_) dns_->giveUp();
  return settled;
}

}  // namespace tarnwick
