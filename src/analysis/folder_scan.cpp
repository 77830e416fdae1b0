#include "analysis/folder_scan.h"

namespace tarnwick {

FolderContents FolderScan::run(std::string_view path, std::int64_t& fileNo) {
  const auto local = paths_.resolve(path);
  if (!local) return {FolderContents::Status::NotFound, {}, "on a drive that is not mapped"};
  FolderContents contents = folders_.list(*local);
  if (!contents.ok()) return contents;
  for (const std::string& name : contents.names) {
    ++fileNo;
    rows_.fullTable(fileNo, name, kInLogFolder);
  }
  return contents;
}

}  // namespace tarnwick
