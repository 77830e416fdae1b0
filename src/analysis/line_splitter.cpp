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

// Notes where the `found` spaces among the 64 bytes from `at` are, a bit each in `spaces`.
// Eight at a time, whether there are as many or not: a stretch of a log line mostly holds
// fewer than eight, so the loop ends at the same place for every stretch, where a loop
// over the spaces themselves would end at a place no branch can foresee. Writes up to 15
// positions past the last.
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

// A line of at most 64 fields, 64 bytes at a time: the spaces of each stretch are
// counted and noted, and only the wanted fields are set from them.
__attribute__((target("avx2,popcnt,bmi"))) bool splitAvx2(std::string_view text, std::size_t start,
                                                          std::size_t count, std::uint64_t wanted,
                                                          std::vector<std::string_view>& fields) {
  if (count < 64) wanted &= (std::uint64_t{1} << count) - 1;
  // Where field k starts, less one, is edges[k]; where it ends, edges[k + 1]: the spaces
  // between, the byte before the line and its end around them. The sum wraps for a line
  // at the text's start.
  std::size_t edges[2 + 64 + 16];  // and room for the positions written past the last space
  std::size_t* const spaceAt = edges + 1;
  edges[0] = start - 1;
  std::size_t seen = 0;  // spaces so far: one fewer than the fields begun
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t at = start;
  std::size_t end = std::string_view::npos;
  for (; at + 64 <= size; at += 64) {
    std::uint64_t spaces = 0, breaks = 0;
    marksAt(data + at, spaces, breaks);
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
  // The last bytes of the text, fewer than a stretch.
  for (; end == std::string_view::npos; ++at) {
    if (at == size || data[at] == '\r' || data[at] == '\n') {
      end = at;
    } else if (data[at] == ' ') {
      if (seen + 1 >= count) return false;
      spaceAt[seen++] = at;
    }
  }
  if (seen + 1 != count) return false;
  spaceAt[seen] = end;
  fields.resize(count);
  for (; wanted; wanted &= wanted - 1) {
    const auto k = static_cast<std::size_t>(std::countr_zero(wanted));
    const std::size_t from = edges[k] + 1;
    fields[k] = std::string_view(data + from, edges[k + 1] - from);
  }
  return true;
}

#endif

}  // namespace

LineSplitter::LineSplitter(LineScanner::Kernel kernel) {
#ifdef TARNWICK_HAVE_SPLIT_KERNEL
  __builtin_cpu_init();
  vector_ = kernel != LineScanner::Kernel::Portable && __builtin_cpu_supports("avx2") &&
            __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
#else
  (void)kernel;
#endif
}

bool LineSplitter::split(std::string_view text, std::size_t start, std::size_t count,
                         std::vector<std::string_view>& fields, std::uint64_t wanted) const {
#ifdef TARNWICK_HAVE_SPLIT_KERNEL
  if (vector_ && count > 0 && count <= 64) return splitAvx2(text, start, count, wanted, fields);
#else
  (void)wanted;
#endif
  return splitLineAt(text, start, count, fields);
}

}  // namespace tarnwick
