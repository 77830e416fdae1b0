#pragma once

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

  explicit LineScanner(std::vector<std::string> tokens, Kernel kernel = Kernel::Best);

  // Bytes each window repeats from the end of the one before.
  std::size_t overlap() const { return overlap_; }

  // Scans `window`, whose first `seen` bytes are the repeated tail of the last window.
  void scan(std::string_view window, std::size_t seen);

  // Lines counted so far, one per token in the order given.
  const std::vector<std::uint64_t>& counts() const { return counts_; }

  // Whether a vector kernel (AVX2 or AVX-512) is in use.
  bool vectorised() const { return vectorised_; }

 private:
  struct Token {
    std::string text;
    bool active = false;         // can ever match
    bool inCountedLine = false;  // the last line of the last window holds it and goes on
  };

  void scanPortable(std::string_view window, std::vector<std::size_t>& next);
  void scanVectorised(std::string_view window, std::vector<std::size_t>& next);
  // Counts the match of token `t` at `pos`; returns where its next match may start.
  std::size_t countMatch(std::size_t t, std::string_view window, std::size_t pos);

  std::vector<Token> tokens_;
  std::vector<std::uint64_t> counts_;
  std::size_t overlap_ = 0;
  bool vectorised_ = false;
  bool avx512_ = false;
};

// Position of the first CR or LF in text[from, end), or text.size().
std::size_t findLineEnd(std::string_view text, std::size_t from);

}  // namespace tarnwick
