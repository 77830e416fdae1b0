#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analysis/row_builder.h"
#include "catalogue/site_catalogue.h"
#include "cli/report_options.h"

namespace tarnwick {

// One analysis row as the report prints it.
struct ReportRow {
  std::string day;
  CrawlerCounts counts{};
  std::string file;  // the local path read; empty where the path resolves to nothing
};

// One site as --list-sites prints it.
struct ReportSite {
  Site site;
  std::string localFolder;  // empty where the folder resolves to nothing
};

void printRows(std::ostream& out, const std::vector<ReportRow>& rows, ReportOptions::Format format);
void printSites(std::ostream& out, const std::vector<ReportSite>& sites,
                ReportOptions::Format format);

// `text` quoted for CSV where it needs to be (RFC 4180).
std::string csvField(const std::string& text);
// `text` as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace tarnwick
