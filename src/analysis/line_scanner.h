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
  // How the bytes are searched: the fastest the processor offers, AVX-512 without its
  // byte lookups (VBMI) at most, AVX2 at most, or plain C++. Each gives the same counts.
  enum class Kernel { Best, Avx512, Avx2, Portable };

  // Most distinct fingerprints the vector kernels take: the designed four and all a
  // crawler list may add fit.
  static constexpr std::size_t kMaxVectorPairs = 128;

  // Told of each line as it is counted, for a caller that reads the lines themselves.
  class LineSink {
   public:
    virtual ~LineSink() = default;
    // The line that starts at `lineStart` in the text (0, or just after a line break)
    // holds token `token`. Lines come in the order of the text; one line may come once
    // for each token it holds.
    virtual void counted(std::size_t token, std::int64_t lineStart) = 0;
  };

  explicit LineScanner(std::vector<std::string> tokens, Kernel kernel = Kernel::Best);

  // Bytes each window repeats from the end of the one before.
  std::size_t overlap() const { return overlap_; }

  // Scans `window`, whose first `seen` bytes are the repeated tail of the last window,
  // telling `sink` of the lines it counts, where given. Offsets in the text count from
  // the start of the first window after a restart.
  void scan(std::string_view window, std::size_t seen, LineSink* sink = nullptr);

  // Forgets the text scanned so far, to scan another from its start.
  void restart();

  // Lines counted so far, one per token in the order given.
  const std::vector<std::uint64_t>& counts() const { return counts_; }

 private:
  enum class Vector { None, Avx2, Avx512, Avx512Vbmi };

  // A token as the vector kernels compare it: its first 16 bytes under a mask, and the
  // rest with memcmp.
  struct Check {
    std::array<char, 16> pattern{};
    unsigned significant = 0;  // a bit per byte of `pattern` that belongs to the token
    std::size_t length = 0;    // the whole token's
    std::size_t token = 0;     // its index in tokens_
  };

  void prepareVector();
  void scanPortable(std::string_view window, std::size_t from);
  void scanVectorised(std::string_view window, std::size_t seen);
  // Token `t` is at `at` in the text, after the line break at `lastBreak`.
  void onMatch(std::size_t t, std::int64_t at, std::int64_t lastBreak) {
    if (at <= lastMatch_[t]) return;  // found already, in the bytes a window repeats
    if (lastMatch_[t] < lastBreak) {
      ++counts_[t];
      if (sink_) sink_->counted(t, lastBreak + 1);
    }
    lastMatch_[t] = at;
  }

  std::vector<std::string> tokens_;  // only tokens that can match; others stay empty
  std::vector<std::uint64_t> counts_;
  std::vector<std::int64_t> lastMatch_;  // where each token was last found in the text
  std::int64_t lastBreak_ = -1;          // where the last line break was; -1 for none yet
  std::int64_t base_ = 0;                // where the current window starts in the text
  std::int64_t end_ = 0;                 // how much of the text has been seen
  LineSink* sink_ = nullptr;             // during a scan
  std::array<bool, 256> interesting_{};  // line breaks and the first bytes of tokens
  std::size_t overlap_ = 0;
  std::size_t shortest_ = 0;  // the shortest token's length
  Vector vector_ = Vector::None;

  // For the vector kernels: each token is recognised by its first byte and the byte
  // `distance_` on, the same distance for all, so that two loads serve them all.
  std::size_t distance_ = 0;
  std::vector<char> firstBytes_, secondBytes_;  // one per distinct pair of bytes
  // For more pairs than a kernel compares one by one: the tokens' first bytes, the bytes
  // middle_ on and the bytes distance_ on, in eight groups; for each half-byte value the
  // groups whose first bytes have it as their low half, then as their high half, then
  // the same for the middle and the last bytes. A position where all three bytes look up
  // a common group may hold a token. Each table of 16 is written four times over, as a
  // register of 64 bytes holds it.
  std::array<std::uint8_t, 384> nibbles_{};
  std::size_t middle_ = 0;
  // For a processor that looks bytes up in a table of 128 (VBMI): for each byte value
  // (its low seven bits), the pairs whose first byte it is, a bit each, for up to eight
  // pairs; a table for the bytes middle_ on, used only for more pairs; then one for the
  // bytes distance_ on. For more than eight pairs, the bits are the eight groups.
  std::array<std::uint8_t, 384> byteTables_{};
  // One per token that can match, by the bucket of its first byte and its byte
  // distance_ on (bucketOf()): those of bucket b are checks_[bucketStart_[b]] up to
  // checks_[bucketStart_[b + 1]]. A position's two bytes mostly lead to one token alone,
  // even where several start alike ("Baiduspider", "Bytespider").
  static constexpr std::size_t kBuckets = 1024;
  std::vector<Check> checks_;
  std::array<std::uint16_t, kBuckets + 1> bucketStart_{};
};

}  // namespace tarnwick
