#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/plan.h"
#include "analysis/row_text.h"
#include "calendar/date.h"
#include "catalogue/config_source.h"

namespace tarnwick {

// What tarnwick-report was asked to do.
struct ReportOptions {
  enum class Command { None, ListSites, All, Last, Today, File, UpdateRanges };
  using Format = RowFormat;

  SourceOptions source;
  Command command = Command::None;
  std::string site;       // --site: display name or numeric id
  bool siteById = false;  // --site-id: `site` is a numeric id only
  int days = 0;           // --last N
  std::string file;       // --file PATH
  Format format = Format::Table;
  bool html = false;         // --format html: one page of the analysis, written once it is done
  std::optional<Date> date;  // --date: the day taken as today
  std::optional<std::filesystem::path> crawlers;  // --crawlers FILE
  std::optional<std::filesystem::path> output;    // --output FILE
  bool detail = false;                            // --detail
  std::size_t top = 10;                           // --top N
  bool verify = false;                            // --verify
  std::optional<std::filesystem::path> ranges;    // --ranges DIR
  bool noDns = false;                             // --no-dns
  std::optional<std::string> from;                // --from BASE_URL
  bool localDays = false;                         // --local-days
  std::optional<int> utcOffsetMinutes;            // --utc-offset ±HH:MM
  bool help = false;
};

// The parsed options, or the reason they are wrong usage.
struct ReportOptionsResult {
  ReportOptions options;
  std::string error;  // empty where the options are usable
};

ReportOptionsResult parseReportOptions(std::span<const std::string_view> args);

// The usage text, ending in a newline.
std::string_view reportUsage();

}  // namespace tarnwick
