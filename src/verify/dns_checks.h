#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "verify/crawler_checks.h"
#include "verify/ip_address.h"
#include "verify/resolver.h"

namespace tarnwick {

struct DnsSettings {
  unsigned inFlight = 128;                  // lookups at once
  std::chrono::milliseconds timeout{2000};  // for an address's lookups together
};

// Forward-confirmed reverse DNS of many addresses at once, each asked once. Nothing here
// ever waits on the resolver: a lookup that takes too long is given up as timed out while
// its thread is left to return on its own, and another thread takes its place.
class DnsChecks {
 public:
  // A name is looked up again (to confirm it resolves back) only where it lies in one of
  // `domains`: any other name shows an impostor already.
  DnsChecks(std::shared_ptr<Resolver> resolver, std::vector<std::string> domains,
            DnsSettings settings = {});
  // Cancels; never waits for a lookup.
  ~DnsChecks();
  DnsChecks(const DnsChecks&) = delete;
  DnsChecks& operator=(const DnsChecks&) = delete;

  // What DNS said of `address`, where it has said it; otherwise asks, once.
  std::optional<DnsAnswer> answer(const IpAddress& address);
  // Addresses asked about whose answer has not come.
  std::size_t pending();
  // Addresses asked about.
  std::size_t asked() const;
  // Waits until every address asked about has its answer (each within the timeout).
  void wait();
  // Drops every lookup not answered yet, keeping the answers that came: an address
  // dropped is asked again when next asked about.
  void giveUp();
  // Drops every lookup not answered yet and asks no more: their threads stop as soon as
  // they return.
  void cancel();

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace tarnwick
