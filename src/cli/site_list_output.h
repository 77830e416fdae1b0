#pragma once

#include <string>
#include <vector>

#include "analysis/row_text.h"
#include "catalogue/site_catalogue.h"

namespace tarnwick {

// One site as --list-sites prints it.
struct ReportSite {
  Site site;
  std::string localFolder;  // empty where the folder resolves to nothing
};

// The sites in `format` (Table, Csv or Json), valid UTF-8 throughout.
std::string formatSites(const std::vector<ReportSite>& sites, RowFormat format);

}  // namespace tarnwick
