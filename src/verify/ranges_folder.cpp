#include "verify/ranges_folder.h"

#include "analysis/crawler_list.h"
#include "platform/utf8_path.h"

namespace tarnwick {

const RangesFile* RangesFolder::usable(std::string_view name) const {
  for (const FoundRanges& one : found)
    if (one.name == name && one.file.ok()) return &one.file;
  return nullptr;
}

RangesFolder readRangesFolder(const std::filesystem::path& folder,
                              const std::vector<std::string>& names, const TextInput& input) {
  RangesFolder ranges;
  ranges.folder = folder;
  for (const std::string& name : names) {
    const std::filesystem::path path = folder / pathFromUtf8(name);
    const OpenedFile opened = input.open(path);
    if (opened.status == OpenedFile::Status::NotFound) continue;
    ranges.found.push_back({name, readRangesFile(path, input)});
  }
  return ranges;
}

std::optional<std::filesystem::path> userRangesFolder(const VariableLookup& environment) {
  const auto list = userCrawlerListPath(environment);
  if (!list) return std::nullopt;
  return list->parent_path() / "ranges";
}

}  // namespace tarnwick
