#pragma once

#include "analysis/folder_scan.h"
#include "analysis/line_counter.h"
#include "analysis/row_builder.h"
#include "catalogue/site_list.h"
#include "platform/folder_listing.h"
#include "platform/results_table.h"
#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// How the analysis reaches files.
struct FileAccess {
  const TextInput& input;
  const FolderListing& folders;
  const PathResolver& paths;
};

// The log analysis wired to one results table: line counter, row builder, folder scan.
struct Analysis {
  // `list2` supplies the selected site's log folder for bare file names.
  Analysis(ResultsTable& table, const SiteList& list2, const FileAccess& files)
      : counter(files.input, files.paths),
        rows(table, list2, counter),
        scan(files.folders, files.paths, rows) {}

  LineCounter counter;
  RowBuilder rows;
  FolderScan scan;
};

}  // namespace tarnwick
