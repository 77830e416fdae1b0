#include "platform/folder_listing.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <utility>

#include "text/text.h"

namespace tarnwick {

void sortLikeWindows(std::vector<std::string>& names) {
  // Sorted by their upper-case forms, made once into one buffer. The first sixteen bytes
  // of each, read as two numbers, settle most comparisons of tens of thousands of names
  // ("U_EX261207.LOG") without a look at the rest; names equal but for case go by their
  // bytes.
  struct Key {
    std::uint64_t head[2];  // the first sixteen bytes, most significant first, zeros after
    std::size_t at;         // where the upper-case form starts in `upper`
    std::size_t size;
    std::size_t index;  // in `names`
  };
  std::size_t total = 0;
  for (const std::string& name : names) total += name.size();
  std::string upper(total, '\0');
  std::vector<Key> keys(names.size());
  for (std::size_t i = 0, at = 0; i < names.size(); at += names[i].size(), ++i) {
    Key& key = keys[i];
    key = {{0, 0}, at, names[i].size(), i};
    for (std::size_t k = 0; k < names[i].size(); ++k) {
      const char up = asciiUpper(names[i][k]);
      upper[at + k] = up;
      if (k < 16)
        key.head[k / 8] |= std::uint64_t{static_cast<unsigned char>(up)} << (56 - 8 * (k % 8));
    }
  }
  std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
    const std::string_view left(upper.data() + a.at, a.size), right(upper.data() + b.at, b.size);
    if (left != right) return left < right;
    return names[a.index] < names[b.index];
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
