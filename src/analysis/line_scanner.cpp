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

bool processorHas(const char* feature) {
#ifdef TARNWICK_HAVE_AVX2_KERNEL
  __builtin_cpu_init();
  if (std::string_view(feature) == "avx512bw") return __builtin_cpu_supports("avx512bw");
  return __builtin_cpu_supports("avx2");
#else
  (void)feature;
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
  vectorised_ = kernel != Kernel::Portable && processorHas("avx2") && !tokens_.empty() &&
                tokens_.size() <= kMaxVectorTokens;
  avx512_ = vectorised_ && kernel == Kernel::Best && processorHas("avx512bw");
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

namespace {

// Chunks of the window where some token's first and last bytes both match: for each
// token, a bit per position of the chunk.
struct Candidate {
  std::size_t chunk;
  std::uint64_t bits[kMaxVectorTokens];
};

// The bytes each token is recognised by before it is compared in full.
struct Fingerprints {
  char first[kMaxVectorTokens];
  char last[kMaxVectorTokens];
  std::size_t lastOffset[kMaxVectorTokens];
  std::size_t count;
  std::size_t reach;  // the largest lastOffset
};

constexpr std::size_t kCandidateBatch = 512;

#ifdef TARNWICK_HAVE_AVX2_KERNEL

// Collects candidate chunks from position `i` while `out` has room; returns where it stopped.
template <std::size_t N>
__attribute__((target("avx2"))) std::size_t candidatesAvx2(const char* s, std::size_t i,
                                                            std::size_t end, const Fingerprints& f,
                                                            Candidate* out, std::size_t& found) {
  __m256i first[N], last[N];
  for (std::size_t t = 0; t < N; ++t) {
    first[t] = _mm256_set1_epi8(f.first[t]);
    last[t] = _mm256_set1_epi8(f.last[t]);
  }
  for (; i + 32 + f.reach <= end && found < kCandidateBatch; i += 32) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i hit[N];
    __m256i any = _mm256_setzero_si256();
    for (std::size_t t = 0; t < N; ++t) {
      const __m256i tail =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + f.lastOffset[t]));
      hit[t] = _mm256_and_si256(_mm256_cmpeq_epi8(block, first[t]), _mm256_cmpeq_epi8(tail, last[t]));
      any = _mm256_or_si256(any, hit[t]);
    }
    if (_mm256_testz_si256(any, any)) continue;
    Candidate& c = out[found++];
    c.chunk = i;
    for (std::size_t t = 0; t < N; ++t)
      c.bits[t] = static_cast<std::uint32_t>(_mm256_movemask_epi8(hit[t]));
  }
  return i;
}

template <std::size_t N>
__attribute__((target("avx512bw"))) std::size_t candidatesAvx512(const char* s, std::size_t i,
                                                                  std::size_t end,
                                                                  const Fingerprints& f,
                                                                  Candidate* out, std::size_t& found) {
  __m512i first[N], last[N];
  for (std::size_t t = 0; t < N; ++t) {
    first[t] = _mm512_set1_epi8(f.first[t]);
    last[t] = _mm512_set1_epi8(f.last[t]);
  }
  for (; i + 64 + f.reach <= end && found < kCandidateBatch; i += 64) {
    const __m512i block = _mm512_loadu_si512(s + i);
    __mmask64 hit[N];
    __mmask64 any = 0;
    for (std::size_t t = 0; t < N; ++t) {
      const __m512i tail = _mm512_loadu_si512(s + i + f.lastOffset[t]);
      hit[t] = _mm512_cmpeq_epi8_mask(block, first[t]) & _mm512_cmpeq_epi8_mask(tail, last[t]);
      any |= hit[t];
    }
    if (!any) continue;
    Candidate& c = out[found++];
    c.chunk = i;
    for (std::size_t t = 0; t < N; ++t) c.bits[t] = hit[t];
  }
  return i;
}

#endif

}  // namespace

#ifdef TARNWICK_HAVE_AVX2_KERNEL

using CandidateFinder = std::size_t (*)(const char*, std::size_t, std::size_t, const Fingerprints&,
                                        Candidate*, std::size_t&);

template <std::size_t N>
CandidateFinder finderFor(bool avx512) {
  return avx512 ? candidatesAvx512<N> : candidatesAvx2<N>;
}

// Candidates are positions where a token's first and last bytes both match, a
// register's width of positions at a time for all tokens at once; only those are
// compared in full.
void LineScanner::scanVectorised(std::string_view window, std::vector<std::size_t>& next) {
  const char* s = window.data();
  const std::size_t n = window.size();
  Fingerprints f{};
  f.count = tokens_.size();
  for (std::size_t t = 0; t < f.count; ++t) {
    const Token& token = tokens_[t];
    // An inactive token never gets this far: its next position is the window's end.
    f.first[t] = token.active ? token.text.front() : '\0';
    f.last[t] = token.active ? token.text.back() : '\0';
    f.lastOffset[t] = token.active ? token.text.size() - 1 : 0;
    f.reach = std::max(f.reach, f.lastOffset[t]);
  }
  static const CandidateFinder finders[2][kMaxVectorTokens] = {
      {finderFor<1>(false), finderFor<2>(false), finderFor<3>(false), finderFor<4>(false)},
      {finderFor<1>(true), finderFor<2>(true), finderFor<3>(true), finderFor<4>(true)}};
  const CandidateFinder find = finders[avx512_ ? 1 : 0][f.count - 1];

  Candidate batch[kCandidateBatch];
  std::size_t i = *std::min_element(next.begin(), next.end());
  for (;;) {
    std::size_t found = 0;
    const std::size_t stopped = find(s, i, n, f, batch, found);
    for (std::size_t k = 0; k < found; ++k) {
      const Candidate& c = batch[k];
      for (std::size_t t = 0; t < f.count; ++t) {
        std::uint64_t bits = c.bits[t];
        const std::string& text = tokens_[t].text;
        while (bits) {
          const std::size_t pos = c.chunk + static_cast<std::size_t>(std::countr_zero(bits));
          bits &= bits - 1;
          if (pos < next[t] || std::memcmp(s + pos, text.data(), text.size()) != 0) continue;
          next[t] = countMatch(t, window, pos);
        }
      }
    }
    i = stopped;
    if (found < kCandidateBatch) break;
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
