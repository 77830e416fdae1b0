#include "analysis/line_scanner.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARNWICK_HAVE_VECTOR_KERNELS 1
#endif

// How counting works: a token's line counts unless the same token was already found
// after the last line break before it. So the scanner keeps two things, both as
// offsets into the whole text: where each token was last found, and where the last
// line break was. Matches in the bytes a window repeats are recognised by their offset.

namespace tarnwick {

namespace {

constexpr std::int64_t kNever = -2;  // before any line break, even "none yet" (-1)

bool isBreak(unsigned char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

LineScanner::LineScanner(std::vector<std::string> tokens, Kernel kernel) {
  interesting_['\r'] = interesting_['\n'] = true;
  shortest_ = SIZE_MAX;
  bool anyActive = false;
  for (std::string& text : tokens) {
    if (text.empty() || text.find_first_of("\r\n") != std::string::npos) text.clear();
    if (!text.empty()) {
      anyActive = true;
      overlap_ = std::max(overlap_, text.size() - 1);
      shortest_ = std::min(shortest_, text.size());
      interesting_[static_cast<unsigned char>(text.front())] = true;
    }
    tokens_.push_back(std::move(text));
  }
  counts_.assign(tokens_.size(), 0);
  lastMatch_.assign(tokens_.size(), kNever);
#ifdef TARNWICK_HAVE_VECTOR_KERNELS
  __builtin_cpu_init();
  if (kernel != Kernel::Portable && anyActive && tokens_.size() <= kMaxVectorTokens &&
      __builtin_cpu_supports("avx2"))
    vector_ = (kernel == Kernel::Best && __builtin_cpu_supports("avx512bw")) ? Vector::Avx512
                                                                             : Vector::Avx2;
#else
  (void)kernel;
  (void)anyActive;
#endif
}

void LineScanner::scan(std::string_view window, std::size_t seen) {
  base_ = end_ - static_cast<std::int64_t>(seen);
  end_ = base_ + static_cast<std::int64_t>(window.size());
  if (vector_ != Vector::None)
    scanVectorised(window);
  else
    scanPortable(window, 0);
}

void LineScanner::scanPortable(std::string_view window, std::size_t from) {
  const auto* s = reinterpret_cast<const unsigned char*>(window.data());
  const std::size_t n = window.size();
  for (std::size_t j = from; j < n; ++j) {
    if (!interesting_[s[j]]) continue;
    const std::int64_t at = base_ + static_cast<std::int64_t>(j);
    if (isBreak(s[j])) {
      lastBreak_ = std::max(lastBreak_, at);
      continue;
    }
    for (std::size_t t = 0; t < tokens_.size(); ++t) {
      const std::string& token = tokens_[t];
      if (!token.empty() && j + token.size() <= n &&
          std::memcmp(s + j, token.data(), token.size()) == 0)
        onMatch(t, at, lastBreak_);
    }
  }
}

#ifdef TARNWICK_HAVE_VECTOR_KERNELS

namespace {

// One register's width of the window: where some token's fingerprint matches, and
// where the line breaks are, a bit per position.
struct Chunk {
  std::size_t start;       // its first position in the window
  std::int64_t lastBreak;  // the last line break before it, in the text
  std::uint64_t breaks;
  std::uint64_t hits;
};

struct Fingerprints {
  char first[LineScanner::kMaxVectorTokens];
  char second[LineScanner::kMaxVectorTokens];
  std::size_t distance;
};

constexpr std::size_t kBatch = 256;

// Records the chunks from window position `i` on that hold a fingerprint, at most
// kBatch, keeping `lastBreak` up to date; returns where it stopped. Every chunk is
// written and only those with a hit are kept, because whether a chunk has one follows
// no pattern a branch could predict. One version per register width and token count.
template <std::size_t T>
__attribute__((target("avx2"))) std::size_t findAvx2(const char* s, std::size_t i, std::size_t n,
                                                     std::int64_t base, const Fingerprints& fp,
                                                     std::int64_t& lastBreak, Chunk* out,
                                                     std::size_t& found) {
  const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
  __m256i first[T], second[T];
  for (std::size_t t = 0; t < T; ++t) {
    first[t] = _mm256_set1_epi8(fp.first[t]);
    second[t] = _mm256_set1_epi8(fp.second[t]);
  }
  std::int64_t lastSoFar = lastBreak;  // locals: stores to `out` could alias the references
  std::size_t count = found;
  for (; i + 32 + fp.distance <= n && count < kBatch; i += 32) {
    const __m256i near = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i far = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + fp.distance));
    __m256i hits = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (std::size_t t = 0; t < T; ++t)
      hits = _mm256_or_si256(hits, _mm256_and_si256(_mm256_cmpeq_epi8(near, first[t]),
                                                    _mm256_cmpeq_epi8(far, second[t])));
    const auto breaks = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(near, cr), _mm256_cmpeq_epi8(near, lf))));
    Chunk& c = out[count];
    c.start = i;
    c.lastBreak = lastSoFar;
    c.breaks = breaks;
    c.hits = static_cast<std::uint32_t>(_mm256_movemask_epi8(hits));
    count += c.hits != 0;
    const std::int64_t last = base + static_cast<std::int64_t>(i) + 31 - std::countl_zero(breaks);
    lastSoFar = breaks ? last : lastSoFar;
  }
  lastBreak = lastSoFar;
  found = count;
  return i;
}

template <std::size_t T>
__attribute__((target("avx512bw"))) std::size_t findAvx512(const char* s, std::size_t i,
                                                           std::size_t n, std::int64_t base,
                                                           const Fingerprints& fp,
                                                           std::int64_t& lastBreak, Chunk* out,
                                                           std::size_t& found) {
  const __m512i cr = _mm512_set1_epi8('\r'), lf = _mm512_set1_epi8('\n');
  __m512i first[T], second[T];
  for (std::size_t t = 0; t < T; ++t) {
    first[t] = _mm512_set1_epi8(fp.first[t]);
    second[t] = _mm512_set1_epi8(fp.second[t]);
  }
  std::int64_t lastSoFar = lastBreak;  // locals: stores to `out` could alias the references
  std::size_t count = found;
  for (; i + 64 + fp.distance <= n && count < kBatch; i += 64) {
    const __m512i near = _mm512_loadu_si512(s + i);
    const __m512i far = _mm512_loadu_si512(s + i + fp.distance);
    __mmask64 hits = 0;
#pragma GCC unroll 4
    for (std::size_t t = 0; t < T; ++t)
      hits |= _mm512_cmpeq_epi8_mask(near, first[t]) & _mm512_cmpeq_epi8_mask(far, second[t]);
    const std::uint64_t breaks =
        _mm512_cmpeq_epi8_mask(near, cr) | _mm512_cmpeq_epi8_mask(near, lf);
    Chunk& c = out[count];
    c.start = i;
    c.lastBreak = lastSoFar;
    c.breaks = breaks;
    c.hits = hits;
    count += hits != 0;
    const std::int64_t last = base + static_cast<std::int64_t>(i) + 63 - std::countl_zero(breaks);
    lastSoFar = breaks ? last : lastSoFar;
  }
  lastBreak = lastSoFar;
  found = count;
  return i;
}

using Finder = std::size_t (*)(const char*, std::size_t, std::size_t, std::int64_t,
                               const Fingerprints&, std::int64_t&, Chunk*, std::size_t&);

constexpr Finder kAvx2Finders[] = {findAvx2<1>, findAvx2<2>, findAvx2<3>, findAvx2<4>};
constexpr Finder kAvx512Finders[] = {findAvx512<1>, findAvx512<2>, findAvx512<3>, findAvx512<4>};

// A token as the vector kernel compares it: in 16 bytes at most, or with memcmp.
struct Check {
  __m128i pattern;       // the token's first 16 bytes
  unsigned significant;  // a bit per byte of the pattern that belongs to the token
  std::size_t length;
  const char* text;
};

}  // namespace

// Each token is recognised by its first byte and the one `distance` bytes on, the same
// distance for all so that two loads serve them all; a full comparison follows.
void LineScanner::scanVectorised(std::string_view window) {
  const char* s = window.data();
  const std::size_t n = window.size();
  const std::size_t tokenCount = tokens_.size();
  Fingerprints fp{};
  fp.distance = shortest_ - 1;
  Check checks[kMaxVectorTokens];
  for (std::size_t t = 0; t < tokenCount; ++t) {
    const std::string& token = tokens_[t];
    // A token that cannot match has length 0, which no comparison below accepts.
    fp.first[t] = token.empty() ? '\n' : token.front();
    fp.second[t] = token.empty() ? '\r' : token[fp.distance];
    char pattern[16] = {};
    std::memcpy(pattern, token.data(), std::min<std::size_t>(token.size(), 16));
    checks[t] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern)),
                 (1u << std::min<std::size_t>(token.size(), 16)) - 1, token.size(), token.data()};
  }
  const Finder find = (vector_ == Vector::Avx512 ? kAvx512Finders : kAvx2Finders)[tokenCount - 1];

  // Locals, so that the compiler keeps them in registers.
  std::int64_t lastMatch[kMaxVectorTokens];
  std::uint64_t counts[kMaxVectorTokens];
  std::copy(lastMatch_.begin(), lastMatch_.end(), lastMatch);
  std::copy(counts_.begin(), counts_.end(), counts);

  Chunk batch[kBatch];
  std::size_t i = 0;
  for (std::size_t found = kBatch; found == kBatch;) {
    found = 0;
    i = find(s, i, n, base_, fp, lastBreak_, batch, found);
    for (std::size_t k = 0; k < found; ++k) {
      const Chunk& c = batch[k];
      for (std::uint64_t hits = c.hits; hits; hits &= hits - 1) {
        const auto bit = static_cast<unsigned>(std::countr_zero(hits));
        const std::size_t pos = c.start + bit;
        const std::int64_t at = base_ + static_cast<std::int64_t>(pos);
        // A token holds no line break, so the last one before it is in this chunk, below
        // its bit, or else the last one before the chunk.
        const std::uint64_t below = c.breaks & ((std::uint64_t{1} << bit) - 1);
        const std::int64_t lastBreak =
            below ? base_ + static_cast<std::int64_t>(c.start) + 63 - std::countl_zero(below)
                  : c.lastBreak;
        // No branch on the outcome: which token is here follows no pattern.
        for (std::size_t t = 0; t < tokenCount; ++t) {
          const Check& check = checks[t];
          bool same = check.length > 0;
          if (check.length <= 16 && pos + 16 <= n) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
            const auto equal =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, check.pattern)));
            same &= (equal & check.significant) == check.significant;
          } else {
            same = same && pos + check.length <= n &&
                   std::memcmp(s + pos, check.text, check.length) == 0;
          }
          const bool fresh = same & (at > lastMatch[t]);
          counts[t] += fresh & (lastMatch[t] < lastBreak);
          lastMatch[t] = fresh ? at : lastMatch[t];
        }
      }
    }
  }
  std::copy(lastMatch, lastMatch + tokenCount, lastMatch_.begin());
  std::copy(counts, counts + tokenCount, counts_.begin());
  // The last few positions, where a full register would read past the window.
  scanPortable(window, i);
}

#else

void LineScanner::scanVectorised(std::string_view window) {
  scanPortable(window, 0);
}

#endif

}  // namespace tarnwick
