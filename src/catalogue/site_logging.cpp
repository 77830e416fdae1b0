#include "catalogue/site_logging.h"

#include <optional>
#include <string>

#include "text/text.h"

namespace tarnwick {
namespace {

bool is(const std::optional<std::string>& value, std::string_view text) {
  return value && equalsIgnoringCase(*value, text);
}

bool isTrue(const std::optional<std::string>& value) {
  return is(value, "true") || is(value, "1");
}

// IIS 7's names, or IIS 6's numbers.
LogPeriod periodOf(const std::optional<std::string>& value) {
  if (is(value, "Hourly") || is(value, "4")) return LogPeriod::Hourly;
  if (is(value, "Weekly") || is(value, "2")) return LogPeriod::Weekly;
  if (is(value, "Monthly") || is(value, "3")) return LogPeriod::Monthly;
  if (is(value, "MaxSize") || is(value, "0")) return LogPeriod::BySize;
  return LogPeriod::Daily;
}

// IIS 6 names its log formats by the class of their plug-in.
Logging pluginFormat(const std::string& clsid) {
  const std::string upper = asciiUpper(clsid);
  if (upper.find("FF160663-DE82-11CF-BC0A-00AA006111E0") != std::string::npos) return Logging::W3c;
  if (upper.find("FF160657-DE82-11CF-BC0A-00AA006111E0") != std::string::npos) return Logging::Iis;
  if (upper.find("FF16065F-DE82-11CF-BC0A-00AA006111E0") != std::string::npos) return Logging::Ncsa;
  return Logging::Custom;  // ODBC, or a module of someone else's
}

}  // namespace

SiteLogging siteLoggingOf(const ConfigStore& store, std::size_t index) {
  const auto property = [&](std::string_view name) { return store.property(index, name); };
  SiteLogging site;
  site.period = periodOf(property("LogFilePeriod"));
  if (is(property("CentralLogFileMode"), "CentralW3C")) {
    site.logging = Logging::Central;
    site.period = periodOf(property("CentralW3CLogFilePeriod"));
    return site;
  }
  // Off, by IIS 7's switch or IIS 6's.
  if (is(property("LogEnabled"), "false") || isTrue(property("DontLog")) ||
      is(property("LogType"), "0")) {
    site.logging = Logging::Off;
    return site;
  }
  if (const auto clsid = property("LogPluginClsid")) {
    site.logging = pluginFormat(*clsid);
    return site;
  }
  const auto format = property("LogFormat");
  if (is(format, "IIS")) {
    site.logging = Logging::Iis;
  } else if (is(format, "NCSA")) {
    site.logging = Logging::Ncsa;
  } else if (is(format, "Custom")) {
    site.logging = Logging::Custom;
  } else if (const auto target = property("LogTargetW3C");
             target && asciiUpper(*target).find("FILE") == std::string::npos) {
    site.logging = Logging::Etw;  // "ETW" alone: no file is written
  }
  return site;
}

Uncountable uncountable(const SiteLogging& logging) {
  switch (logging.logging) {
    case Logging::Iis:
    case Logging::Ncsa:
      return Uncountable::NoUserAgent;
    case Logging::Etw:
      return Uncountable::EtwOnly;
    case Logging::Off:
      return Uncountable::Off;
    case Logging::Custom:
      return Uncountable::CustomModule;
    case Logging::Central:
    case Logging::W3c:
      break;
  }
  return Uncountable::None;
}

std::string uncountableReason(Uncountable why, const SiteLogging& logging) {
  switch (why) {
    case Uncountable::None:
      return {};
    case Uncountable::NoUserAgent:
      return "logs in " + std::string(logging.logging == Logging::Iis ? "IIS" : "NCSA") +
             " format, which names no user agent: no crawler can be counted";
    case Uncountable::EtwOnly:
      return "logs to ETW only (logTargetW3C=\"ETW\"): there is no log file to count";
    case Uncountable::Off:
      return "has logging switched off: there is no log file to count";
    case Uncountable::CustomModule:
      return "logs through a custom module or ODBC, not to W3C files";
  }
  return {};
}

std::string_view loggingName(Logging logging) {
  switch (logging) {
    case Logging::W3c:
      return "w3c";
    case Logging::Central:
      return "central";
    case Logging::Etw:
      return "etw";
    case Logging::Off:
      return "off";
    case Logging::Iis:
      return "iis";
    case Logging::Ncsa:
      return "ncsa";
    case Logging::Custom:
      return "custom";
  }
  return "w3c";
}

std::string_view periodName(LogPeriod period) {
  switch (period) {
    case LogPeriod::Daily:
      return "daily";
    case LogPeriod::Hourly:
      return "hourly";
    case LogPeriod::Weekly:
      return "weekly";
    case LogPeriod::Monthly:
      return "monthly";
    case LogPeriod::BySize:
      return "size";
  }
  return "daily";
}

}  // namespace tarnwick
