#include "platform/folder_listing.h"

#include <algorithm>
#include <system_error>

#include "platform/text.h"
#include "platform/utf8_path.h"

namespace tarnwick {

void sortLikeWindows(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), lessIgnoringCase);
}

bool SystemFolderListing::isFolder(const std::filesystem::path& path) const {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

FolderContents SystemFolderListing::list(const std::filesystem::path& folder) const {
  namespace fs = std::filesystem;
  FolderContents contents;
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status)) {
    contents.status = FolderContents::Status::NotFound;
    contents.reason = "no such folder";
    return contents;
  }
  if (!fs::is_directory(status)) {
    contents.status = FolderContents::Status::NotFound;
    contents.reason = "not a folder";
    return contents;
  }
  fs::directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    std::error_code statusError;
    if (entry->is_regular_file(statusError))
      contents.names.push_back(utf8Of(entry->path().filename()));
  }
  if (error) return {FolderContents::Status::Unreadable, {}, error.message()};
  sortLikeWindows(contents.names);
  return contents;
}

}  // namespace tarnwick
