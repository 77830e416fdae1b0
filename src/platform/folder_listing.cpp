#include "platform/folder_listing.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>

#include "text/text.h"

namespace tarnwick {

namespace {

// Eight bytes with the ASCII letters among them in upper case, all at once: a byte below
// 0x80 that is at least 'a' and at most 'z' loses 0x20.
std::uint64_t upperCase(std::uint64_t bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t low = bytes & (0x7F * kOnes);
  const std::uint64_t fromA = low + (0x80 - 'a') * kOnes;
  const std::uint64_t pastZ = low + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t letters = fromA & ~pastZ & ~bytes & (0x80 * kOnes);
  return bytes - (letters >> 2);
}

// Eight bytes as a number whose order is theirs: the first byte most significant.
std::uint64_t inOrder(std::uint64_t bytes) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(bytes);
  return bytes;
}

}  // namespace

void sortLikeWindows(std::vector<std::string>& names) {
  // The first sixteen bytes of each upper-case name, read as two numbers, settle most
  // comparisons of tens of thousands of names ("U_EX261207.LOG") without a look at the
  // rest; ties go by the whole names.
  struct Key {
    std::uint64_t head[2];  // the first sixteen bytes, upper case, zeros after
    std::size_t index;      // in `names`
  };
  std::vector<Key> keys(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::uint64_t head[2] = {0, 0};
    std::memcpy(head, names[i].data(), std::min<std::size_t>(names[i].size(), sizeof head));
    keys[i] = {{inOrder(upperCase(head[0])), inOrder(upperCase(head[1]))}, i};
  }
  std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
    return lessIgnoringCase(names[a.index], names[b.index]);
  });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (const Key& key : keys) sorted.push_back(std::move(names[key.index]));
  names.swap(sorted);
}

bool SystemFolderListing::isFolder(const std::filesystem::path& path) const {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace tarnwick
