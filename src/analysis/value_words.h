#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::words {

// Paths and addresses are a few dozen bytes: they are hashed and compared a word at a
// time, without a call, rather than a byte at a time.

inline std::uint64_t load64(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

inline std::uint32_t load32(const char* at) {
  std::uint32_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The last bytes of a value of `size` bytes after `at`, at most eight, in one word: read as
// overlapping loads, so that no loop runs over a length that changes from value to value.
inline std::uint64_t tailWord(const char* at, std::size_t size) {
  if (size >= 8) return load64(at + size - 8);
  if (size >= 4) return load32(at) | std::uint64_t{load32(at + size - 4)} << 32;
  if (size == 0) return 0;
  const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(at[i])}; };
  return byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16;
}

// Whether the `value.size()` bytes at `stored` are `value`'s.
inline bool sameBytes(const char* stored, std::string_view value) {
  const char* other = value.data();
  const char* text = stored;
  for (std::size_t left = value.size(); left > 8; text += 8, other += 8, left -= 8)
    if (load64(text) != load64(other)) return false;
  return tailWord(stored, value.size()) == tailWord(value.data(), value.size());
}

// A value stored as its length (32 bits), then its bytes, at `stored`.
inline std::string_view storedValue(const char* stored) {
  return {stored + sizeof(std::uint32_t), load32(stored)};
}

// Whether the value stored at `stored` (as storedValue() reads it) is `value`.
inline bool holdsValue(const char* stored, std::string_view value) {
  return load32(stored) == value.size() && sameBytes(stored + sizeof(std::uint32_t), value);
}

// Stores `value` after its length at the end of `text`, unless `text` would then pass
// `most` bytes: where it starts, or nothing.
inline std::optional<std::uint32_t> storeValue(std::string& text, std::string_view value,
                                               std::size_t most) {
  const auto length = static_cast<std::uint32_t>(value.size());
  if (value.size() > most - sizeof length || text.size() > most - sizeof length - value.size())
    return std::nullopt;
  const auto at = static_cast<std::uint32_t>(text.size());
  text.append(reinterpret_cast<const char*>(&length), sizeof length);
  text.append(value);
  return at;
}

// Moves an open-addressing table to `size` slots, a power of two, each slot going to its
// hash's place or the first free one after it. `used(slot)` tells a slot in use. (Not
// "slots": Qt, which includes this through the detail's headers, defines that word.)
template <typename Slot, typename Used>
void resizeSlots(std::vector<Slot>& table, std::size_t size, Used used) {
  std::vector<Slot> old(size);
  old.swap(table);
  const std::size_t mask = table.size() - 1;
  for (const Slot& slot : old) {
    if (!used(slot)) continue;
    std::size_t at = slot.hash & mask;
    while (used(table[at])) at = (at + 1) & mask;
    table[at] = slot;
  }
}

// As resizeSlots(), to twice the size.
template <typename Slot, typename Used>
void doubleSlots(std::vector<Slot>& table, Used used) {
  resizeSlots(table, table.size() * 2, used);
}

// Asks for the cache line at `at` to be brought in, ahead of a lookup that will read it.
inline void prefetch(const void* at) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(at);
  // GCC counts a prefetch as no effect at all: a function that does nothing else is taken
  // for one without effects, and every call to it is dropped. The empty asm is an effect.
  __asm__ volatile("" : : "r"(at));
#else
  (void)at;
#endif
}

}  // namespace tarnwick::words
