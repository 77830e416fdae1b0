#pragma once

#include <cstdint>

namespace tarnwick {

// Whether a crawler line came from that crawler.
enum class Verdict : std::uint8_t {
  Verified,    // its address is the crawler's, by published ranges or confirmed DNS
  Fake,        // its address is shown not to be the crawler's
  Unverified,  // nothing can tell
};

// One crawler's lines of a row, told apart.
struct Verdicts {
  std::uint64_t verified = 0;
  std::uint64_t fake = 0;
  std::uint64_t unverified = 0;
  // Lines whose DNS answer has not come yet: counted as unverified meanwhile.
  std::uint64_t pending = 0;

  Verdicts& operator+=(const Verdicts& other) {
    verified += other.verified;
    fake += other.fake;
    unverified += other.unverified;
    pending += other.pending;
    return *this;
  }
  friend bool operator==(const Verdicts&, const Verdicts&) = default;
};

}  // namespace tarnwick
