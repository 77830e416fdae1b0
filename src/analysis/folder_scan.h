#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/row_builder.h"
#include "platform/folder_listing.h"
#include "platform/windows_path.h"

namespace tarnwick {

// Turns every file of a site's log folder into a row.
class FolderScan {
 public:
  FolderScan(const FolderListing& folders, const PathResolver& paths, RowBuilder& rows)
      : folders_(folders), paths_(paths), rows_(rows) {}

  // Adds one row per file directly in server folder `path` (subfolders are not visited),
  // in the order the server lists them, whatever their names. Each row's position is
  // `fileNo` after adding 1 to it. Rows already added stay where a later one fails.
  // Returns the folder's listing status: rows come only from an Ok listing.
  FolderContents run(std::string_view path, std::int64_t& fileNo);

 private:
  const FolderListing& folders_;
  const PathResolver& paths_;
  RowBuilder& rows_;
};

}  // namespace tarnwick
