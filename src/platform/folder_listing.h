#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick {

// The files directly inside one folder.
struct FolderContents {
  enum class Status { Ok, NotFound, Unreadable };

  Status status = Status::Ok;
  std::vector<std::string> names;     // bare file names in UTF-8, sorted by name ignoring case
  std::string reason;                 // what went wrong, where status is not Ok
  std::vector<std::string> others{};  // what else the folder holds: folders, pipes, devices

  bool ok() const { return status == Status::Ok; }
};

// Lists folders. Subfolders are not visited and not listed.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The files in `folder`, in the order a Windows server lists them: by name, ignoring case.
  virtual FolderContents list(const std::filesystem::path& folder) const = 0;
  // Whether `path` names a folder.
  virtual bool isFolder(const std::filesystem::path& path) const = 0;
};

class SystemFolderListing final : public FolderListing {
 public:
  FolderContents list(const std::filesystem::path& folder) const override;
  bool isFolder(const std::filesystem::path& path) const override;
};

// Puts names in the order a Windows file system lists them: by name, ignoring case.
void sortLikeWindows(std::vector<std::string>& names);

}  // namespace tarnwick
