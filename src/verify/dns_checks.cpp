#include "verify/dns_checks.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace tarnwick {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct AddressHash {
  std::size_t operator()(const IpAddress& address) const {
    return static_cast<std::size_t>(address.high * 0x9E3779B97F4A7C15ull ^ address.low);
  }
};

bool inAnyDomain(std::string_view name, const std::vector<std::string>& domains) {
  return std::any_of(domains.begin(), domains.end(),
                     [&](const std::string& domain) { return inDomain(name, domain); });
}

}  // namespace

struct DnsChecks::State : std::enable_shared_from_this<DnsChecks::State> {
  struct Entry {
    std::optional<DnsAnswer> answer;
    SteadyClock::time_point started;
  };

  std::shared_ptr<Resolver> resolver;
  std::vector<std::string> domains;
  DnsSettings settings;

  std::mutex mutex;
  std::condition_variable work;  // an address is queued, or the checks stop
  std::condition_variable done;  // an answer came
  std::unordered_map<IpAddress, Entry, AddressHash> entries;
  std::deque<IpAddress> queue;
  std::vector<IpAddress> running;  // taken by a thread, not answered yet
  std::size_t pending = 0;
  unsigned threads = 0;  // alive
  unsigned idle = 0;     // waiting for work
  unsigned stuck = 0;    // in a lookup given up as timed out
  bool stopped = false;

  // Forward-confirmed reverse DNS of one address.
  DnsAnswer lookUp(const IpAddress& address) const {
    DnsAnswer answer;
    const Resolver::Reverse reverse = resolver->reverse(address);
    if (reverse.status != Resolver::Status::Found) {
      answer.status = reverse.status == Resolver::Status::NoName ? DnsAnswer::Status::NoName
                                                                 : DnsAnswer::Status::Failed;
      return answer;
    }
    answer.name = reverse.name.substr(0, 300);
    if (!hostName(reverse.name)) {
      answer.status = DnsAnswer::Status::BadName;
      return answer;
    }
    if (!inAnyDomain(reverse.name, domains)) {
      answer.status = DnsAnswer::Status::Named;
      return answer;
    }
    const Resolver::Forward forward = resolver->forward(reverse.name);
    if (forward.status == Resolver::Status::Failed) {
      answer.status = DnsAnswer::Status::Failed;
    } else {
      const bool back = std::find(forward.addresses.begin(), forward.addresses.end(), address) !=
                        forward.addresses.end();
      answer.status = back ? DnsAnswer::Status::Confirmed : DnsAnswer::Status::Mismatch;
    }
    return answer;
  }

  // Gives up lookups that took too long; a new thread takes each one's place.
  void expire(std::unique_lock<std::mutex>&) {
    const SteadyClock::time_point now = SteadyClock::now();
    std::erase_if(running, [&](const IpAddress& address) {
      Entry& entry = entries[address];
      if (now - entry.started < settings.timeout) return false;
      entry.answer = DnsAnswer{DnsAnswer::Status::TimedOut, {}};
      --pending;
      ++stuck;
      return true;
    });
    for (std::size_t coming = idle; queue.size() > coming && threads < settings.inFlight + stuck;
         ++coming)
      spawn();
    done.notify_all();
  }

  void spawn();
  static void serve(std::shared_ptr<State> state);
};

void DnsChecks::State::spawn() {
  ++threads;
  try {
    std::thread(serve, shared_from_this()).detach();
  } catch (const std::system_error&) {
    --threads;  // the threads already there carry on
  }
}

void DnsChecks::State::serve(std::shared_ptr<State> state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    if (state->stopped) break;
    if (state->queue.empty()) {
      ++state->idle;
      state->work.wait(lock);
      --state->idle;
      continue;
    }
    const IpAddress address = state->queue.front();
    state->queue.pop_front();
    state->entries[address].started = SteadyClock::now();
    state->running.push_back(address);
    lock.unlock();
    DnsAnswer answer = state->lookUp(address);
    lock.lock();
    const auto kept = std::find(state->running.begin(), state->running.end(), address);
    if (kept != state->running.end()) {
      state->running.erase(kept);
      state->entries[address].answer = std::move(answer);
      --state->pending;
      state->done.notify_all();
    } else if (state->stuck > 0) {
      --state->stuck;  // given up already: a thread took this one's place
    }
    if (state->threads > state->settings.inFlight + state->stuck) break;
  }
  --state->threads;
}

DnsChecks::DnsChecks(std::shared_ptr<Resolver> resolver, std::vector<std::string> domains,
                     DnsSettings settings)
    : state_(std::make_shared<State>()) {
  state_->resolver = std::move(resolver);
  state_->domains = std::move(domains);
  state_->settings = settings;
  state_->settings.inFlight = std::max(1u, settings.inFlight);
}

DnsChecks::~DnsChecks() {
  cancel();
}

std::optional<DnsAnswer> DnsChecks::answer(const IpAddress& address) {
  std::unique_lock lock(state_->mutex);
  if (state_->stopped) return std::nullopt;
  const auto [entry, added] = state_->entries.try_emplace(address);
  if (!added) {
    if (!entry->second.answer && !state_->running.empty()) state_->expire(lock);
    return entry->second.answer;
  }
  state_->queue.push_back(address);
  ++state_->pending;
  if (state_->queue.size() <= state_->idle)
    state_->work.notify_one();
  else if (state_->threads < state_->settings.inFlight + state_->stuck)
    state_->spawn();
  return std::nullopt;
}

std::size_t DnsChecks::pending() {
  std::unique_lock lock(state_->mutex);
  if (!state_->running.empty()) state_->expire(lock);
  return state_->pending;
}

std::size_t DnsChecks::asked() const {
  std::lock_guard lock(state_->mutex);
  return state_->entries.size();
}

void DnsChecks::wait() {
  std::unique_lock lock(state_->mutex);
  while (state_->pending > 0 && !state_->stopped) {
    state_->expire(lock);
    state_->done.wait_for(lock, std::chrono::milliseconds(20));
  }
}

void DnsChecks::giveUp() {
  std::lock_guard lock(state_->mutex);
  for (const IpAddress& address : state_->queue) state_->entries.erase(address);
  for (const IpAddress& address : state_->running) state_->entries.erase(address);
  state_->stuck += static_cast<unsigned>(state_->running.size());  // their threads still run
  state_->queue.clear();
  state_->running.clear();
  state_->pending = 0;
  state_->done.notify_all();
}

void DnsChecks::cancel() {
  std::lock_guard lock(state_->mutex);
  state_->stopped = true;
  state_->queue.clear();
  state_->running.clear();
  state_->pending = 0;
  state_->work.notify_all();
  state_->done.notify_all();
}

}  // namespace tarnwick
