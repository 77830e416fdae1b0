#pragma once

#include <chrono>

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
};

// The computer's clock and time zone.
class SystemClock final : public Clock {
 public:
  Date today(LogClock clock) const override;
};

// Always the same day by either clock: for a report run with --date, and for tests.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(Date day) : day_(day) {}
  Date today(LogClock) const override { return day_; }

 private:
  Date day_;
};

}  // namespace tarnwick
