#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/folder_listing.h"

namespace tarnwick {

namespace {

// Whether the entry is a regular file, following a symbolic link.
bool isRegularFile(DIR* folder, const dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info {};
  return ::fstatat(::dirfd(folder), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

FolderContents SystemFolderListing::list(const std::filesystem::path& folder) const {
  FolderContents contents;
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) {
    const int error = errno;
    contents.status = error == ENOENT || error == ENOTDIR ? FolderContents::Status::NotFound
                                                          : FolderContents::Status::Unreadable;
    contents.reason = error == ENOENT    ? "no such folder"
                      : error == ENOTDIR ? "not a folder"
                                         : std::strerror(error);
    return contents;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (isRegularFile(listing, *entry))
      contents.names.emplace_back(name);
    else if (name != "." && name != "..")
      contents.others.emplace_back(name);
    errno = 0;
  }
  const int error = errno;
  ::closedir(listing);
  if (error) return {FolderContents::Status::Unreadable, {}, std::strerror(error)};
  sortLikeWindows(contents.names);
  return contents;
}

}  // namespace tarnwick
