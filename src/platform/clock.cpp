#include "platform/clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32_text.h"
#endif

namespace tarnwick {

namespace {

std::tm utcParts(std::time_t at) {
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &at);
#else
  gmtime_r(&at, &parts);
#endif
  return parts;
}

std::tm localParts(std::time_t at) {
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &at);
#else
  localtime_r(&at, &parts);
#endif
  return parts;
}

// Seconds from 1970 to the moment the parts name, read as UTC.
long long secondsOf(const std::tm& parts) {
  const auto day =
      std::chrono::sys_days(std::chrono::year(parts.tm_year + 1900) /
                            std::chrono::month(static_cast<unsigned>(parts.tm_mon + 1)) /
                            std::chrono::day(static_cast<unsigned>(parts.tm_mday)));
  return day.time_since_epoch().count() * 86400LL + parts.tm_hour * 3600LL + parts.tm_min * 60LL +
         parts.tm_sec;
}

}  // namespace

std::string utcOffsetText(int minutes) {
  if (minutes == 0) return "UTC";
  const int size = std::abs(minutes);
  char text[16];
  std::snprintf(text, sizeof text, "UTC%c%02d:%02d", minutes < 0 ? '-' : '+', size / 60, size % 60);
  return text;
}

Date SystemClock::today(LogClock clock) const {
  const std::time_t now = std::time(nullptr);
  const std::tm parts = clock == LogClock::Utc ? utcParts(now) : localParts(now);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

int SystemClock::utcOffsetMinutes(Date day) const {
  const auto noon = std::chrono::sys_days(std::chrono::year(day.year) /
                                          std::chrono::month(static_cast<unsigned>(day.month)) /
                                          std::chrono::day(static_cast<unsigned>(day.day))) +
                    std::chrono::hours(12);
  const std::time_t at = std::chrono::system_clock::to_time_t(noon);
  return static_cast<int>((secondsOf(localParts(at)) - static_cast<long long>(at)) / 60);
}

std::string SystemClock::zoneName() const {
#ifdef _WIN32
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = ::GetTimeZoneInformation(&zone);
  return narrow(which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightName : zone.StandardName);
#else
  const std::tm parts = localParts(std::time(nullptr));
  return parts.tm_zone ? parts.tm_zone : "";
#endif
}

}  // namespace tarnwick
