#include "analysis/line_splitter.h"

#include <bit>

#include "analysis/w3c_fields.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TARNWICK_HAVE_SPLIT_KERNEL 1
#endif

namespace tarnwick {

namespace {

#ifdef TARNWICK_HAVE_SPLIT_KERNEL

// A bit for each byte of the two halves that is all ones.
__attribute__((target("avx2"))) inline std::uint64_t bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

// Where the spaces and the line breaks are among the 64 bytes at `p`, a bit each.
__attribute__((target("avx2"))) inline void marksAt(const char* p, std::uint64_t& spaces,
                                                    std::uint64_t& breaks) {
  const __m256i space = _mm256_set1_epi8(' '), cr = _mm256_set1_epi8('\r'),
                lf = _mm256_set1_epi8('\n');
  const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  spaces = bits(_mm256_cmpeq_epi8(low, space), _mm256_cmpeq_epi8(high, space));
  breaks = bits(_mm256_or_si256(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(low, lf)),
                _mm256_or_si256(_mm256_cmpeq_epi8(high, cr), _mm256_cmpeq_epi8(high, lf)));
}

// Notes where the `found` spaces among 64 bytes are, a bit each in `spaces`, as places
// from `at` on. Eight at a time, whether there are as many or not: a stretch of a log
// line mostly holds fewer than eight, so the loop ends at the same place for every
// stretch, where a loop over the spaces themselves would end at a place no branch can
// foresee. Writes up to 15 places past the last.
__attribute__((target("bmi"))) inline void noteSpaces(std::uint64_t spaces, std::size_t found,
                                                      std::size_t at, std::size_t* out) {
  for (std::size_t k = 0; k < 8; ++k, spaces &= spaces - 1)
    out[k] = at + static_cast<unsigned>(std::countr_zero(spaces));
  if (found <= 8) return;
  for (std::size_t k = 8; k < 16; ++k, spaces &= spaces - 1)
    out[k] = at + static_cast<unsigned>(std::countr_zero(spaces));
  for (std::size_t k = 16; spaces; ++k, spaces &= spaces - 1)
    out[k] = at + static_cast<unsigned>(std::countr_zero(spaces));
}

// Notes the spaces among the text's last bytes from `at`, fewer than a stretch, as places
// from `origin`, and where the line ends: false for a field too many.
template <typename Place>
bool noteLastSpaces(std::string_view text, std::size_t origin, std::size_t at, std::size_t count,
                    Place* spaceAt, std::size_t& seen, std::size_t& end) {
  for (;; ++at) {
    if (at == text.size() || text[at] == '\r' || text[at] == '\n') {
      end = at;
      return true;
    }
    if (text[at] != ' ') continue;
    if (seen + 1 >= count) return false;
    spaceAt[seen++] = static_cast<Place>(at - origin);
  }
}

// Sets the wanted fields of a line from the places of its `seen` spaces, `edges + 1`, and
// of its end, `end`, all from `origin`: false where it has not `count` fields. Field k
// starts after edges[k] and ends at edges[k + 1]; edges[0] is the place before the line
// (which may wrap).
template <typename Place>
bool setWanted(const char* origin, std::size_t count, std::uint64_t wanted, Place* edges,
               std::size_t seen, std::size_t end, std::vector<std::string_view>& fields) {
  if (seen + 1 != count) return false;
  edges[seen + 1] = static_cast<Place>(end);
  if (count < 64) wanted &= (std::uint64_t{1} << count) - 1;
  fields.resize(count);
  for (; wanted; wanted &= wanted - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(wanted));
    const std::size_t from = static_cast<Place>(edges[k] + 1);
    fields[k] = std::string_view(origin + from, edges[k + 1] - from);
  }
  return true;
}

// A line of at most 64 fields, 64 bytes at a time: the spaces of each stretch are
// counted and noted, and only the wanted fields are set from them.
__attribute__((target("avx2,popcnt,bmi"))) bool splitAvx2(std::string_view text, std::size_t start,
                                                          std::size_t count, std::uint64_t wanted,
                                                          std::vector<std::string_view>& fields) {
  std::size_t edges[1 + 64 + 16];  // and room for the places written past the last space
  std::size_t* const spaceAt = edges + 1;
  edges[0] = start - 1;  // wraps for a line at the text's start
  std::size_t seen = 0;  // spaces so far: one fewer than the fields begun
  std::size_t at = start;
  std::size_t end = std::string_view::npos;
  for (; at + 64 <= text.size(); at += 64) {
    std::uint64_t spaces = 0, breaks = 0;
    marksAt(text.data() + at, spaces, breaks);
    if (breaks) spaces &= (breaks & (0 - breaks)) - 1;  // the spaces before the first break
    const auto found = static_cast<std::size_t>(std::popcount(spaces));
    if (seen + found >= count) return false;  // a field too many
    noteSpaces(spaces, found, at, spaceAt + seen);
    seen += found;
    if (breaks) {
      end = at + static_cast<unsigned>(std::countr_zero(breaks));
      break;
    }
  }
  if (end == std::string_view::npos && !noteLastSpaces(text, 0, at, count, spaceAt, seen, end))
    return false;
  return setWanted(text.data(), count, wanted, edges, seen, end, fields);
}

// As splitAvx2(), where the processor can compress a vector (AVX-512 VBMI2): the places
// of a stretch's spaces are written by two instructions rather than a loop, in 16 bits
// each. A line too long for those is split by splitAvx2().
__attribute__((target("avx512f,avx512bw,avx512vbmi2,avx2,popcnt,bmi"))) bool splitAvx512(
    std::string_view text, std::size_t start, std::size_t count, std::uint64_t wanted,
    std::vector<std::string_view>& fields) {
  constexpr std::size_t kLongest = UINT16_MAX - 64;  // a place past it would not fit
  std::uint16_t edges[1 + 64 + 64];  // and room for the places written past the last space
  std::uint16_t* const spaceAt = edges + 1;
  edges[0] = UINT16_MAX;  // the place before the line's start, 0
  std::size_t seen = 0;
  std::size_t at = start;
  std::size_t end = std::string_view::npos;
  const __m512i space = _mm512_set1_epi8(' '), cr = _mm512_set1_epi8('\r'),
                lf = _mm512_set1_epi8('\n');
  // The places 0 to 31 of a stretch's first half; its second's are 32 on.
  const __m512i firstHalf =
      _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13,
                       12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m512i half = _mm512_set1_epi16(32);
  for (; at + 64 <= text.size(); at += 64) {
    if (at - start > kLongest) return splitAvx2(text, start, count, wanted, fields);
    const __m512i bytes = _mm512_loadu_si512(text.data() + at);
    std::uint64_t spaces = _mm512_cmpeq_epi8_mask(bytes, space);
    const std::uint64_t breaks =
        _mm512_cmpeq_epi8_mask(bytes, cr) | _mm512_cmpeq_epi8_mask(bytes, lf);
    if (breaks) spaces &= (breaks & (0 - breaks)) - 1;
    const auto found = static_cast<std::size_t>(std::popcount(spaces));
    if (seen + found >= count) return false;
    const __m512i low =
        _mm512_add_epi16(firstHalf, _mm512_set1_epi16(static_cast<std::int16_t>(at - start)));
    const auto lowSpaces = static_cast<__mmask32>(spaces),
               highSpaces = static_cast<__mmask32>(spaces >> 32);
    _mm512_storeu_si512(spaceAt + seen, _mm512_maskz_compress_epi16(lowSpaces, low));
    _mm512_storeu_si512(spaceAt + seen + std::popcount(lowSpaces),
                        _mm512_maskz_compress_epi16(highSpaces, _mm512_add_epi16(low, half)));
    seen += found;
    if (breaks) {
      end = at + static_cast<unsigned>(std::countr_zero(breaks));
      break;
    }
  }
  if (end == std::string_view::npos) {
    if (text.size() - start > kLongest) return splitAvx2(text, start, count, wanted, fields);
    if (!noteLastSpaces(text, start, at, count, spaceAt, seen, end)) return false;
  }
  return setWanted(text.data() + start, count, wanted, edges, seen, end - start, fields);
}

#endif

}  // namespace

LineSplitter::LineSplitter(LineScanner::Kernel kernel) {
#ifdef TARNWICK_HAVE_SPLIT_KERNEL
  __builtin_cpu_init();
  vector_ = kernel != LineScanner::Kernel::Portable && __builtin_cpu_supports("avx2") &&
            __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
  wide_ = vector_ && kernel != LineScanner::Kernel::Avx2 && __builtin_cpu_supports("avx512bw") &&
          __builtin_cpu_supports("avx512vbmi2");
#else
  (void)kernel;
#endif
}

bool LineSplitter::split(std::string_view text, std::size_t start, std::size_t count,
                         std::vector<std::string_view>& fields, std::uint64_t wanted) const {
#ifdef TARNWICK_HAVE_SPLIT_KERNEL
  if (wide_ && count > 0 && count <= 64) return splitAvx512(text, start, count, wanted, fields);
  if (vector_ && count > 0 && count <= 64) return splitAvx2(text, start, count, wanted, fields);
#else
  (void)wanted;
#endif
  return splitLineAt(text, start, count, fields);
}

}  // namespace tarnwick
