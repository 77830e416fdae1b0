#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Counts, for each of a few tokens, the lines of a text that hold it. A line ends at
// a carriage return, a line feed, or both together; a line counts once however often
// its token occurs, and the comparison is exact byte for byte. A token that is empty
// or holds a line break never counts.
//
// The text arrives in windows of any size. Each window starts with the last overlap()
// bytes of the one before (fewer at the start of the text), so that a token split
// between two reads is still found; nothing else is kept between windows.
class LineScanner {
 public:
  // How the bytes are searched: the fastest the processor offers, AVX2 at most, or
  // plain C++. Each gives the same counts.
  enum class Kernel { Best, Avx2, Portable };

  // Most tokens the vector kernels take; more are searched in plain C++.
  static constexpr std::size_t kMaxVectorTokens = 4;

  explicit LineScanner(std::vector<std::string> tokens, Kernel kernel = Kernel::Best);

  // Bytes each window repeats from the end of the one before.
  std::size_t overlap() const { return overlap_; }

  // Scans `window`, whose first `seen` bytes are the repeated tail of the last window.
  void scan(std::string_view window, std::size_t seen);

  // Lines counted so far, one per token in the order given.
  const std::vector<std::uint64_t>& counts() const { return counts_; }

 private:
  enum class Vector { None, Avx2, Avx512 };

  void scanPortable(std::string_view window, std::size_t from);
  void scanVectorised(std::string_view window);
  // Token `t` is at `at` in the text, after the line break at `lastBreak`.
  void onMatch(std::size_t t, std::int64_t at, std::int64_t lastBreak) {
    if (at <= lastMatch_[t]) return;  // found already, in the bytes a window repeats
    counts_[t] += lastMatch_[t] < lastBreak;
    lastMatch_[t] = at;
  }

  std::vector<std::string> tokens_;  // only tokens that can match; others stay empty
  std::vector<std::uint64_t> counts_;
  std::vector<std::int64_t> lastMatch_;  // where each token was last found in the text
  std::int64_t lastBreak_ = -1;          // where the last line break was; -1 for none yet
  std::int64_t base_ = 0;                // where the current window starts in the text
  std::int64_t end_ = 0;                 // how much of the text has been seen
  std::array<bool, 256> interesting_{};  // line breaks and the first bytes of tokens
  std::size_t overlap_ = 0;
  std::size_t shortest_ = 0;  // the shortest token's length
  Vector vector_ = Vector::None;
};

}  // namespace tarnwick
