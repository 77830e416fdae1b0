#include "cli/site_list_output.h"

#include "app/texts.h"

#include <algorithm>

namespace tarnwick {

namespace {

// "w3c", or with the schedule where it is not daily: "w3c hourly".
std::string loggingWords(const SiteLogging& logging) {
  std::string words(loggingName(logging.logging));
  if (logging.period != LogPeriod::Daily) words += " " + std::string(periodName(logging.period));
  return words;
}

}  // namespace

std::string formatSites(const std::vector<ReportSite>& sites, RowFormat format) {
  std::string out;
  if (format == RowFormat::Table) {
    std::vector<std::vector<std::string>> cells{
        {std::string(kSiteHeader), std::string(kIdHeader), std::string(kLoggingHeader),
         std::string(kLogFolderHeader), std::string(kLocalFolderHeader)}};
    for (const ReportSite& s : sites)
      cells.push_back({terminalText(s.site.name), terminalText(s.site.id),
                       loggingWords(s.site.logging), terminalText(s.site.logFolder),
                       terminalText(s.localFolder)});
    std::vector<std::size_t> widths(5, 0);
    for (const auto& line : cells)
      for (std::size_t c = 0; c < line.size(); ++c)
        widths[c] = std::max(widths[c], displayWidth(line[c]));
    for (const auto& line : cells) {
      std::string text = padRight(line[0], widths[0]) + "  " + padLeft(line[1], widths[1]) + "  " +
                         padRight(line[2], widths[2]) + "  " + padRight(line[3], widths[3]) + "  " +
                         line[4];
      while (!text.empty() && text.back() == ' ') text.pop_back();
      out += text + '\n';
    }
  } else if (format == RowFormat::Csv) {
    out = "site,id,log_folder,local_folder,logging\n";
    for (const ReportSite& s : sites)
      out += csvField(s.site.name) + ',' + csvField(s.site.id) + ',' + csvField(s.site.logFolder) +
             ',' + csvField(s.localFolder) + ',' +
             std::string(loggingName(s.site.logging.logging)) + '\n';
  } else {
    out = "{\"sites\":[";
    for (std::size_t i = 0; i < sites.size(); ++i) {
      const ReportSite& s = sites[i];
      out += std::string(i ? "," : "") + "{\"site\":" + jsonString(s.site.name) +
             ",\"id\":" + jsonString(s.site.id) +
             ",\"log_folder\":" + jsonString(s.site.logFolder) +
             ",\"local_folder\":" + jsonString(s.localFolder) + ",\"logging\":\"" +
             std::string(loggingName(s.site.logging.logging)) + "\"}";
    }
    out += "]}\n";
  }
  return out;
}

}  // namespace tarnwick
