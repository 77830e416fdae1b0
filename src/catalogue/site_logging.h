#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "catalogue/config_store.h"

namespace tarnwick {

// How often a site's log rolls over to a new file.
enum class LogPeriod { Daily, Hourly, Weekly, Monthly, BySize };

// Where and how a site logs its requests.
enum class Logging {
  W3c,      // W3C extended files of its own, which name the user agent
  Central,  // one W3C file a period for all sites, each line naming its site
  Etw,      // only to Event Tracing for Windows: no file
  Off,      // not at all
  Iis,      // IIS format files: no user agent
  Ncsa,     // NCSA common format files: no user agent
  Custom,   // a custom logging module (or ODBC): no W3C file
};

struct SiteLogging {
  Logging logging = Logging::W3c;
  LogPeriod period = LogPeriod::Daily;
};

// How child `index` of `store` logs, from the settings either configuration format gives
// (IIS 7 and later: logFile's period, logFormat, logTargetW3C and enabled, and the log
// section's central mode; IIS 6: LogFilePeriod, LogType, LogPluginClsid and DontLog).
SiteLogging siteLoggingOf(const ConfigStore& store, std::size_t index);

// Why a site's logs cannot be counted.
enum class Uncountable {
  None,
  NoUserAgent,   // IIS or NCSA format: no line names its user agent
  EtwOnly,       // logged to ETW alone: there is no file
  Off,           // not logged at all
  CustomModule,  // a custom logging module or ODBC: no W3C file
};

// Why a site that logs as `logging` cannot be counted.
Uncountable uncountable(const SiteLogging& logging);
// The same in one English line, for the report: "logs in NCSA format, which names no
// user agent"; empty for None.
std::string uncountableReason(Uncountable why, const SiteLogging& logging);

// "w3c", "central", "etw", "off", "iis", "ncsa", "custom".
std::string_view loggingName(Logging logging);
// "daily", "hourly", "weekly", "monthly", "size".
std::string_view periodName(LogPeriod period);

}  // namespace tarnwick
