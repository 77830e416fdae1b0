#include <algorithm>
#include <system_error>

#include "platform/folder_listing.h"
#include "platform/text_compare.h"

namespace tarnwick {

void sortLikeWindows(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), lessIgnoringCase);
}

FolderContents SystemFolderListing::list(const std::filesystem::path& folder) const {
  namespace fs = std::filesystem;
  FolderContents contents;
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    contents.status = FolderContents::Status::NotFound;
    contents.reason = "no such folder";
    return contents;
  }
  fs::directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    std::error_code statusError;
    if (entry->is_regular_file(statusError))
      contents.names.push_back(entry->path().filename().string());
  }
  if (error) {
    contents = {FolderContents::Status::Unreadable, {}, error.message()};
    return contents;
  }
  sortLikeWindows(contents.names);
  return contents;
}

}  // namespace tarnwick
