#include "analysis/line_scanner.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARNWICK_HAVE_AVX2_KERNEL 1
#endif

namespace tarnwick {

namespace {

// The vectorised kernel keeps one register pair per token.
constexpr std::size_t kMaxVectorTokens = 4;

bool processorHasAvx2() {
#ifdef TARNWICK_HAVE_AVX2_KERNEL
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

}  // namespace

std::size_t findLineEnd(std::string_view text, std::size_t from) {
  const char* s = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time: the lowest byte flagged by the zero-byte test is exact.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      const std::uint64_t cr = word ^ (kOnes * '\r');
      const std::uint64_t lf = word ^ (kOnes * '\n');
      const std::uint64_t hits = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
      if (hits) return i + static_cast<std::size_t>(std::countr_zero(hits)) / 8;
    }
  }
  for (; i < n; ++i)
    if (s[i] == '\r' || s[i] == '\n') return i;
  return n;
}

LineScanner::LineScanner(std::vector<std::string> tokens, Kernel kernel) {
  for (std::string& text : tokens) {
    Token token;
    token.active = !text.empty() && text.find_first_of("\r\n") == std::string::npos;
    if (token.active) overlap_ = std::max(overlap_, text.size() - 1);
    token.text = std::move(text);
    tokens_.push_back(std::move(token));
  }
  counts_.assign(tokens_.size(), 0);
  vectorised_ = kernel == Kernel::Best && processorHasAvx2() && !tokens_.empty() &&
                tokens_.size() <= kMaxVectorTokens;
}

std::size_t LineScanner::countMatch(std::size_t t, std::string_view window, std::size_t pos) {
  ++counts_[t];
  // The rest of this line cannot count again: go on after its end.
  const std::size_t end = findLineEnd(window, pos + tokens_[t].text.size());
  if (end == window.size()) {
    tokens_[t].inCountedLine = true;
    return window.size();
  }
  return end + 1;
}

void LineScanner::scan(std::string_view window, std::size_t seen) {
  const std::size_t n = window.size();
  std::vector<std::size_t> next(tokens_.size());  // where each token's next match may start
  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    Token& token = tokens_[t];
    if (!token.active) {
      next[t] = n;
    } else if (token.inCountedLine) {
      const std::size_t end = findLineEnd(window, seen);
      token.inCountedLine = end == n;
      next[t] = end == n ? n : end + 1;
    } else {
      // Matches that ended within the repeated bytes were counted with the last window.
      const std::size_t length = token.text.size();
      next[t] = seen + 1 > length ? seen + 1 - length : 0;
    }
  }
  if (vectorised_)
    scanVectorised(window, next);
  else
    scanPortable(window, next);
}

void LineScanner::scanPortable(std::string_view window, std::vector<std::size_t>& next) {
  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    const std::string_view token = tokens_[t].text;
    std::size_t pos = next[t];
    while (pos < window.size()) {
      const std::size_t found = window.find(token, pos);
      if (found == std::string_view::npos) break;
      pos = countMatch(t, window, found);
    }
    next[t] = window.size();
  }
}

#ifdef TARNWICK_HAVE_AVX2_KERNEL

// Candidates are positions where a token's first and last bytes both match, 32
// positions at a time for all tokens at once; only those are compared in full.
__attribute__((target("avx2"))) void LineScanner::scanVectorised(std::string_view window,
                                                                 std::vector<std::size_t>& next) {
  const char* s = window.data();
  const std::size_t n = window.size();
  const std::size_t count = tokens_.size();
  __m256i first[kMaxVectorTokens];
  __m256i last[kMaxVectorTokens];
  std::size_t lastOffset[kMaxVectorTokens];
  std::size_t reach = 0;
  for (std::size_t t = 0; t < count; ++t) {
    const std::string& text = tokens_[t].text;
    const bool active = tokens_[t].active;
    first[t] = _mm256_set1_epi8(active ? text.front() : 0);
    last[t] = _mm256_set1_epi8(active ? text.back() : 0);
    lastOffset[t] = active ? text.size() - 1 : 0;
    reach = std::max(reach, lastOffset[t]);
  }

  std::size_t i = *std::min_element(next.begin(), next.end());
  for (; i + 32 + reach <= n; i += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i hit[kMaxVectorTokens];
    __m256i any = _mm256_setzero_si256();
    for (std::size_t t = 0; t < count; ++t) {
      const __m256i tail =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + lastOffset[t]));
      hit[t] =
          _mm256_and_si256(_mm256_cmpeq_epi8(block, first[t]), _mm256_cmpeq_epi8(tail, last[t]));
      any = _mm256_or_si256(any, hit[t]);
    }
    if (_mm256_testz_si256(any, any)) continue;

    for (std::size_t t = 0; t < count; ++t) {
      auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(hit[t]));
      const std::string& text = tokens_[t].text;
      while (bits) {
        if (next[t] >= i + 32) break;
        if (next[t] > i) bits &= ~0u << (next[t] - i);
        if (!bits) break;
        const std::size_t pos = i + static_cast<std::size_t>(std::countr_zero(bits));
        if (std::memcmp(s + pos, text.data(), text.size()) == 0)
          next[t] = countMatch(t, window, pos);
        else
          bits &= bits - 1;
      }
    }
  }
  // The last few positions, where a full register would read past the window.
  for (std::size_t& from : next) from = std::max(from, i);
  scanPortable(window, next);
}

#else

void LineScanner::scanVectorised(std::string_view window, std::vector<std::size_t>& next) {
  scanPortable(window, next);
}

#endif

}  // namespace tarnwick
