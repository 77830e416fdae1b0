#include "platform/clock.h"

#include <ctime>

namespace tarnwick {

Date SystemClock::today(LogClock clock) const {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  if (clock == LogClock::Utc)
    gmtime_s(&parts, &now);
  else
    localtime_s(&parts, &now);
#else
  if (clock == LogClock::Utc)
    gmtime_r(&now, &parts);
  else
    localtime_r(&now, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

}  // namespace tarnwick
