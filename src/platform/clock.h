#pragma once

#include <chrono>
#include <string>

#include "calendar/date.h"

namespace tarnwick {

// Which clock names a site's daily logs: IIS rolls them over at midnight UTC unless the
// site is set to roll over by local time.
enum class LogClock { Utc, Local };

// Where today's date comes from.
class Clock {
 public:
  virtual ~Clock() = default;
  // Today's date by `clock`.
  virtual Date today(LogClock clock) const = 0;
  // Minutes this computer's time is ahead of UTC at noon UTC on `day` (480 in China).
  virtual int utcOffsetMinutes(Date day) const = 0;
  // The time zone's name, as the system gives it.
  virtual std::string zoneName() const = 0;
};

// "UTC+08:00", "UTC-03:30", "UTC".
std::string utcOffsetText(int minutes);

// The computer's clock and time zone.
class SystemClock final : public Clock {
 public:
  Date today(LogClock clock) const override;
  int utcOffsetMinutes(Date day) const override;
  std::string zoneName() const override;
};

// Always the same day by either clock: for a report run with --date, and for tests.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(Date day) : day_(day) {}
  Date today(LogClock) const override { return day_; }
  int utcOffsetMinutes(Date) const override { return 0; }
  std::string zoneName() const override { return "UTC"; }

 private:
  Date day_;
};

}  // namespace tarnwick
