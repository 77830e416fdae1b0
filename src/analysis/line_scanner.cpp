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

// Most pairs the VBMI tables tell apart, a bit each; more share eight groups.
constexpr std::size_t kVbmiPairs = 8;

bool isBreak(unsigned char c) {
  return c == '\r' || c == '\n';
}

// Which of 1024 buckets the tokens whose first byte is `near`, and whose byte the
// fingerprint distance on is `far`, are checked from: a multiplicative hash of the two.
std::size_t bucketOf(char near, char far) {
  const std::uint32_t pair =
      static_cast<unsigned char>(near) << 8 | static_cast<unsigned char>(far);
  return (pair * 0x9E3779B1u) >> 22;
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
  if (kernel != Kernel::Portable && anyActive && __builtin_cpu_supports("avx2")) {
    const bool wide = kernel != Kernel::Avx2 && __builtin_cpu_supports("avx512bw");
    vector_ = !wide                                                            ? Vector::Avx2
              : kernel == Kernel::Best && __builtin_cpu_supports("avx512vbmi") ? Vector::Avx512Vbmi
                                                                               : Vector::Avx512;
    prepareVector();
  }
#else
  (void)kernel;
  (void)anyActive;
#endif
}

void LineScanner::restart() {
  std::fill(counts_.begin(), counts_.end(), 0);
  std::fill(lastMatch_.begin(), lastMatch_.end(), kNever);
  lastBreak_ = -1;
  base_ = 0;
  end_ = 0;
}

void LineScanner::scan(std::string_view window, std::size_t seen, LineSink* sink) {
  base_ = end_ - static_cast<std::int64_t>(seen);
  end_ = base_ + static_cast<std::int64_t>(window.size());
  sink_ = sink;
  if (vector_ != Vector::None)
    scanVectorised(window, seen);
  else
    scanPortable(window, 0);
  sink_ = nullptr;
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

void LineScanner::prepareVector() {
  distance_ = shortest_ - 1;
  std::vector<std::pair<char, char>> pairs;
  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    const std::string& token = tokens_[t];
    if (token.empty()) continue;
    Check check;
    const std::size_t head = std::min<std::size_t>(token.size(), 16);
    std::copy(token.begin(), token.begin() + static_cast<std::ptrdiff_t>(head),
              check.pattern.begin());
    check.significant = (1u << head) - 1;
    check.length = token.size();
    check.token = t;
    checks_.push_back(check);
    const std::pair<char, char> pair{token.front(), token[distance_]};
    if (std::find(pairs.begin(), pairs.end(), pair) == pairs.end()) pairs.push_back(pair);
  }
  if (pairs.size() > kMaxVectorPairs) {
    vector_ = Vector::None;  // so many tokens are left to plain C++
    return;
  }
  for (std::size_t p = 0; p < pairs.size(); ++p) {
    const auto [first, second] = pairs[p];
    firstBytes_.push_back(first);
    secondBytes_.push_back(second);
    if (pairs.size() <= kVbmiPairs) {
      byteTables_[static_cast<unsigned char>(first) & 127u] |= static_cast<std::uint8_t>(1u << p);
      byteTables_[256 + (static_cast<unsigned char>(second) & 127u)] |=
          static_cast<std::uint8_t>(1u << p);
    }
  }
  // For many tokens, a third byte between the two sorts out most positions that only
  // look like a token's. Neighbours in byte order share half-bytes: grouped so, a
  // group's lookups stay narrow.
  middle_ = distance_ / 2;
  std::vector<std::array<unsigned char, 3>> triples;
  for (const std::string& token : tokens_)
    if (!token.empty())
      triples.push_back({static_cast<unsigned char>(token.front()),
                         static_cast<unsigned char>(token[middle_]),
                         static_cast<unsigned char>(token[distance_])});
  std::sort(triples.begin(), triples.end());
  triples.erase(std::unique(triples.begin(), triples.end()), triples.end());
  for (std::size_t p = 0; p < triples.size(); ++p) {
    const auto group = static_cast<std::uint8_t>(1u << (p * 8 / triples.size()));
    for (std::size_t k = 0; k < 3; ++k) {
      for (unsigned lane = 0; lane < 64; lane += 16) {
        nibbles_[128 * k + lane + (triples[p][k] & 15u)] |= group;
        nibbles_[128 * k + 64 + lane + (triples[p][k] >> 4)] |= group;
      }
      if (pairs.size() > kVbmiPairs) byteTables_[128 * k + (triples[p][k] & 127u)] |= group;
    }
  }
  const auto bucket = [&](const Check& check) {
    const std::string& token = tokens_[check.token];
    return bucketOf(token.front(), token[distance_]);
  };
  std::stable_sort(checks_.begin(), checks_.end(),
                   [&](const Check& a, const Check& b) { return bucket(a) < bucket(b); });
  for (std::size_t b = 0, k = 0; b < kBuckets; ++b) {
    bucketStart_[b] = static_cast<std::uint16_t>(k);
    while (k < checks_.size() && bucket(checks_[k]) == b) ++k;
    bucketStart_[b + 1] = static_cast<std::uint16_t>(k);
  }
}

#ifdef TARNWICK_HAVE_VECTOR_KERNELS

namespace {

// One register's width of the window: where some token's fingerprint matches, a bit
// per position.
struct Chunk {
  std::size_t start;  // its first position in the window
  std::uint64_t hits;
};

struct Fingerprints {
  const char* first;   // the pairs' first bytes
  const char* second;  // and the bytes `distance` on
  std::size_t count;
  std::size_t distance;
  const std::uint8_t* nibbles;  // the groups' half-byte tables
  std::size_t middle;           // where the third byte the groups look at is
  const std::uint8_t* bytes;    // the tables of 128 for VBMI
};

constexpr std::size_t kBatch = 256;

// Half-byte table `k` of the groups, in every 16-byte lane of a register.
__attribute__((target("avx2"))) inline __m256i tableAvx2(const Fingerprints& fp, int k) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fp.nibbles + 64 * k));
}

// For each byte, the groups whose bytes share both its halves.
__attribute__((target("avx2"))) inline __m256i groupsAvx2(__m256i bytes, __m256i lows,
                                                          __m256i highs) {
  const __m256i low = _mm256_set1_epi8(0x0f);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), low);
  return _mm256_and_si256(_mm256_shuffle_epi8(lows, _mm256_and_si256(bytes, low)),
                          _mm256_shuffle_epi8(highs, high));
}

__attribute__((target("avx512bw"))) inline __m512i tableAvx512(const Fingerprints& fp, int k) {
  return _mm512_loadu_si512(fp.nibbles + 64 * k);
}

__attribute__((target("avx512bw"))) inline __m512i groupsAvx512(__m512i bytes, __m512i lows,
                                                                __m512i highs) {
  const __m512i low = _mm512_set1_epi8(0x0f);
  const __m512i high = _mm512_and_si512(_mm512_srli_epi16(bytes, 4), low);
  return _mm512_and_si512(_mm512_shuffle_epi8(lows, _mm512_and_si512(bytes, low)),
                          _mm512_shuffle_epi8(highs, high));
}

// Records the chunks from window position `i` on that hold a fingerprint, at most
// kBatch; returns where it stopped. Every chunk is written and only those with a hit are
// kept, because whether a chunk has one follows no pattern a branch could predict. One
// version per register width and number of pairs, up to six, each compared in turn;
// version 0 takes any number, looking up three bytes of each token by groups.
template <std::size_t T>
__attribute__((target("avx2"))) std::size_t findAvx2(const char* s, std::size_t i, std::size_t n,
                                                     const Fingerprints& fp, Chunk* out,
                                                     std::size_t& found) {
  __m256i first[T ? T : 1], second[T ? T : 1], tables[6];
  for (std::size_t t = 0; t < T; ++t) {
    first[t] = _mm256_set1_epi8(fp.first[t]);
    second[t] = _mm256_set1_epi8(fp.second[t]);
  }
  if constexpr (T == 0)
    for (int k = 0; k < 6; ++k) tables[k] = tableAvx2(fp, k);
  std::size_t count = found;  // a local: stores to `out` could alias the reference
  for (; i + 32 + fp.distance <= n && count < kBatch; i += 32) {
    const __m256i near = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i far = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + fp.distance));
    std::uint32_t hits = 0;
    if constexpr (T == 0) {
      const __m256i middle =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + fp.middle));
      const __m256i groups =
          _mm256_and_si256(_mm256_and_si256(groupsAvx2(near, tables[0], tables[1]),
                                            groupsAvx2(middle, tables[2], tables[3])),
                           groupsAvx2(far, tables[4], tables[5]));
      hits = ~static_cast<std::uint32_t>(
          _mm256_movemask_epi8(_mm256_cmpeq_epi8(groups, _mm256_setzero_si256())));
    } else {
      __m256i pairs = _mm256_setzero_si256();
#pragma GCC unroll 6
      for (std::size_t t = 0; t < T; ++t)
        pairs = _mm256_or_si256(pairs, _mm256_and_si256(_mm256_cmpeq_epi8(near, first[t]),
                                                        _mm256_cmpeq_epi8(far, second[t])));
      hits = static_cast<std::uint32_t>(_mm256_movemask_epi8(pairs));
    }
    out[count] = {i, hits};
    count += hits != 0;
  }
  found = count;
  return i;
}

template <std::size_t T>
__attribute__((target("avx512bw"))) std::size_t findAvx512(const char* s, std::size_t i,
                                                           std::size_t n, const Fingerprints& fp,
                                                           Chunk* out, std::size_t& found) {
  __m512i first[T ? T : 1], second[T ? T : 1], tables[6];
  for (std::size_t t = 0; t < T; ++t) {
    first[t] = _mm512_set1_epi8(fp.first[t]);
    second[t] = _mm512_set1_epi8(fp.second[t]);
  }
  if constexpr (T == 0)
    for (int k = 0; k < 6; ++k) tables[k] = tableAvx512(fp, k);
  std::size_t count = found;  // a local: stores to `out` could alias the reference
  for (; i + 64 + fp.distance <= n && count < kBatch; i += 64) {
    const __m512i near = _mm512_loadu_si512(s + i);
    const __m512i far = _mm512_loadu_si512(s + i + fp.distance);
    __mmask64 hits = 0;
    if constexpr (T == 0) {
      const __m512i middle = _mm512_loadu_si512(s + i + fp.middle);
      hits = _mm512_test_epi8_mask(_mm512_and_si512(groupsAvx512(near, tables[0], tables[1]),
                                                    groupsAvx512(middle, tables[2], tables[3])),
                                   groupsAvx512(far, tables[4], tables[5]));
    } else {
#pragma GCC unroll 6
      for (std::size_t t = 0; t < T; ++t)
        hits |= _mm512_cmpeq_epi8_mask(near, first[t]) & _mm512_cmpeq_epi8_mask(far, second[t]);
    }
    out[count] = {i, hits};
    count += hits != 0;
  }
  found = count;
  return i;
}

// With VBMI, a byte's pairs (or groups) are looked up in a table of 128 in one
// instruction, for all 64 positions at once: the near and the far byte's, and for more
// than eight pairs the middle byte's too. A position whose lookups share a bit may hold a
// token. A byte past 127 looks up as its low seven bits would: a position that only looks
// like a token's is ruled out when the token is compared.
template <bool kMiddle>
__attribute__((target("avx512bw,avx512vbmi"))) std::size_t findVbmi(const char* s, std::size_t i,
                                                                    std::size_t n,
                                                                    const Fingerprints& fp,
                                                                    Chunk* out,
                                                                    std::size_t& found) {
  const __m512i nearLow = _mm512_loadu_si512(fp.bytes),
                nearHigh = _mm512_loadu_si512(fp.bytes + 64);
  const __m512i middleLow = _mm512_loadu_si512(fp.bytes + 128);
  const __m512i middleHigh = _mm512_loadu_si512(fp.bytes + 192);
  const __m512i farLow = _mm512_loadu_si512(fp.bytes + 256);
  const __m512i farHigh = _mm512_loadu_si512(fp.bytes + 320);
  std::size_t count = found;  // a local: stores to `out` could alias the reference
  for (; i + 64 + fp.distance <= n && count < kBatch; i += 64) {
    const __m512i near = _mm512_loadu_si512(s + i);
    const __m512i far = _mm512_loadu_si512(s + i + fp.distance);
    __m512i shared = _mm512_and_si512(_mm512_permutex2var_epi8(nearLow, near, nearHigh),
                                      _mm512_permutex2var_epi8(farLow, far, farHigh));
    if constexpr (kMiddle) {
      const __m512i middle = _mm512_loadu_si512(s + i + fp.middle);
      shared = _mm512_and_si512(shared, _mm512_permutex2var_epi8(middleLow, middle, middleHigh));
    }
    const __mmask64 hits = _mm512_test_epi8_mask(shared, shared);
    out[count] = {i, hits};
    count += hits != 0;
  }
  found = count;
  return i;
}

using Finder = std::size_t (*)(const char*, std::size_t, std::size_t, const Fingerprints&, Chunk*,
                               std::size_t&);

// The line breaks among the 32 bytes at `p`, a bit each.
__attribute__((target("avx2"))) inline std::uint32_t breaksAt(const char* p) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r')),
                                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')))));
}

// Where the last line break among window positions `from` up to `to` is: npos for none.
// Searched from `to` back, 64 bytes at a time, so that it mostly stops within the line.
__attribute__((target("avx2"))) std::size_t lastBreakIn(const char* s, std::size_t from,
                                                        std::size_t to) {
  for (; to >= from + 64; to -= 64) {
    const std::uint64_t breaks = breaksAt(s + to - 64) | std::uint64_t{breaksAt(s + to - 32)} << 32;
    if (breaks) return to - 1 - static_cast<std::size_t>(std::countl_zero(breaks));
  }
  for (; to >= from + 32; to -= 32)
    if (const std::uint32_t breaks = breaksAt(s + to - 32))
      return to - 1 - static_cast<std::size_t>(std::countl_zero(breaks));
  for (; to > from; --to)
    if (s[to - 1] == '\r' || s[to - 1] == '\n') return to - 1;
  return std::string_view::npos;
}

constexpr Finder kAvx2Finders[] = {findAvx2<0>, findAvx2<1>, findAvx2<2>, findAvx2<3>,
                                   findAvx2<4>, findAvx2<5>, findAvx2<6>};
constexpr Finder kAvx512Finders[] = {findAvx512<0>, findAvx512<1>, findAvx512<2>, findAvx512<3>,
                                     findAvx512<4>, findAvx512<5>, findAvx512<6>};

// Whether `token`, whose first bytes are `pattern` under `significant`, starts at `pos` of
// the `n` bytes at `s`.
inline bool startsHere(const char* s, std::size_t pos, std::size_t n, const std::string* token,
                       const __m128i& pattern, unsigned significant, std::size_t length) {
  if (length <= 16 && pos + 16 <= n) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
    const auto equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, pattern)));
    return (equal & significant) == significant;
  }
  return pos + length <= n && std::memcmp(s + pos, token->data(), length) == 0;
}

}  // namespace

// At each hit only the tokens in the bucket of its two fingerprint bytes are compared:
// mostly one, and mostly the one there, so the comparison is rarely mispredicted. The
// line break before a token is looked for only where one is found, back from it to
// where the last search stopped: lines that hold no token are never looked at for their
// breaks.
void LineScanner::scanVectorised(std::string_view window, std::size_t seen) {
  const char* s = window.data();
  const std::size_t n = window.size();
  constexpr std::size_t kFew = 6;  // the four crawlers and two more tokens
  const Fingerprints fp{firstBytes_.data(), secondBytes_.data(), firstBytes_.size(),
                        distance_,          nibbles_.data(),     middle_,
                        byteTables_.data()};
  const std::size_t finder = fp.count <= kFew ? fp.count : 0;
  const Finder find = vector_ == Vector::Avx512Vbmi
                          ? (fp.count <= kVbmiPairs ? findVbmi<false> : findVbmi<true>)
                      : vector_ == Vector::Avx512 ? kAvx512Finders[finder]
                                                  : kAvx2Finders[finder];
  // The breaks of the bytes the window repeats are known from the last window: a token
  // found there anew runs past them, so no break stands between it and lastBreak_.
  std::size_t searched = std::min(seen, n);  // lastBreak_ is the last break before this
  const auto breakBefore = [&](std::size_t pos) {
    if (pos > searched) {
      if (const std::size_t found = lastBreakIn(s, searched, pos); found != std::string_view::npos)
        lastBreak_ = base_ + static_cast<std::int64_t>(found);
      searched = pos;
    }
    return lastBreak_;
  };
  Chunk batch[kBatch];
  std::size_t i = 0;
  for (std::size_t found = kBatch; found == kBatch;) {
    found = 0;
    i = find(s, i, n, fp, batch, found);
    for (std::size_t k = 0; k < found; ++k) {
      const Chunk& c = batch[k];
      for (std::uint64_t hits = c.hits; hits; hits &= hits - 1) {
        const auto bit = static_cast<unsigned>(std::countr_zero(hits));
        const std::size_t pos = c.start + bit;
        const std::int64_t at = base_ + static_cast<std::int64_t>(pos);
        const std::size_t b = bucketOf(s[pos], s[pos + distance_]);
        for (std::size_t k2 = bucketStart_[b]; k2 < bucketStart_[b + 1]; ++k2) {
          const Check& check = checks_[k2];
          const __m128i pattern =
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(check.pattern.data()));
          if (startsHere(s, pos, n, &tokens_[check.token], pattern, check.significant,
                         check.length))
            onMatch(check.token, at, breakBefore(pos));
        }
      }
    }
  }
  // The last few positions, where a full register would read past the window.
  breakBefore(i);
  scanPortable(window, i);
}

#else

void LineScanner::scanVectorised(std::string_view window, std::size_t) {
  scanPortable(window, 0);
}

#endif

}  // namespace tarnwick
