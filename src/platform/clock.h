#pragma once

#include "platform/date.h"

namespace tarnwick {

// Where today's date comes from.
class Clock {
 public:
  virtual ~Clock() = default;
  // Today's local date.
  virtual Date today() const = 0;
};

// The computer's local date.
class SystemClock final : public Clock {
 public:
  Date today() const override;
};

// Always the same day: for tests and for a report run with --date.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(Date day) : day_(day) {}
  Date today() const override { return day_; }

 private:
  Date day_;
};

}  // namespace tarnwick
