#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/value_words.h"

namespace tarnwick {

// Numbers the distinct values it is given 0, 1, 2, … in the order they come, up to a
// bound: whoever counts by value can then count in a plain array, by number.
class ValueIds {
 public:
  // Most text the values may take: past it, as past `bound` values, no value is numbered.
  static constexpr std::size_t kMostText = 64u << 20;
  // What idOf() gives for a value without a number. A plain number rather than an
  // optional: an optional comes back through memory, written a part at a time and read
  // whole, and that read waits on every lookup.
  static constexpr std::uint32_t kNone = UINT32_MAX;

  explicit ValueIds(std::size_t bound) : bound_(bound) {}

  // The number of `value`, whose hash is `hash` (ValueCounts::hashOf()), numbered now
  // where it is new; kNone where there is no room left for it.
  std::uint32_t idOf(std::string_view value, std::uint32_t hash);
  // Asks for the slot where `hash` is looked for to be brought into the cache.
  void prefetch(std::uint32_t hash) const {
    if (!slots_.empty()) words::prefetch(&slots_[hash & (slots_.size() - 1)]);
  }

  std::size_t size() const { return values_.size(); }
  std::string_view value(std::uint32_t id) const;
  std::uint32_t hash(std::uint32_t id) const { return values_[id].hash; }
  void clear();

 private:
  // A slot holds its value's number and where its text starts.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t id = 0;  // plus one; 0 for a free slot
    std::uint32_t offset = 0;
  };

  void grow();

  std::size_t bound_;
  std::vector<Slot> slots_;   // a power of two of them, at most half in use
  std::vector<Slot> values_;  // by number
  std::string text_;          // the values back to back, each after its length
};

}  // namespace tarnwick
