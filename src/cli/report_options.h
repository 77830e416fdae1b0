#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/config_source.h"
#include "platform/date.h"

namespace tarnwick {

// What tarnwick-report was asked to do.
struct ReportOptions {
  enum class Command { None, ListSites, All, Last, Today, File };
  enum class Format { Table, Csv, Json };

  SourceOptions source;
  Command command = Command::None;
  std::string site;  // --site: display name or numeric id
  int days = 0;      // --last N
  std::string file;  // --file PATH
  Format format = Format::Table;
  std::optional<Date> date;  // --date: the day taken as today
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

// Largest N accepted by --last: about a century of daily logs.
inline constexpr int kMaxDays = 36600;

}  // namespace tarnwick
