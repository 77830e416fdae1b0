#include "platform/folder_listing.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "text/text.h"

namespace tarnwick {

void sortLikeWindows(std::vector<std::string>& names) {
  // Sorted by their upper-case forms, made once: tens of thousands of names compare
  // faster as plain strings than letter by letter ignoring case.
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(asciiUpper(name), std::move(name));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second < b.second;
  });
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

bool SystemFolderListing::isFolder(const std::filesystem::path& path) const {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace tarnwick
