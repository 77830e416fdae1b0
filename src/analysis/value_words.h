#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// Asks for the cache line at `at` to be brought in, ahead of a lookup that will read it.
inline void prefetch(const void* at) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(at);
#else
  (void)at;
#endif
}

}  // namespace tarnwick::words
