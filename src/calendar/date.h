#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// A calendar day.
struct Date {
  int year = 0;   // four digits, e.g. 2008
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31

  friend bool operator==(const Date&, const Date&) = default;
};

// The calendar day of `day`.
Date dateOf(std::chrono::sys_days day);

// The day `days` days before `date` (negative values go forward).
Date daysBefore(const Date& date, int days);

// Two-digit year, month and day: 13 July 2008 gives "080713".
std::string yymmdd(const Date& date);

// "2008-07-13" as a date; nothing where the text is not a valid day.
std::optional<Date> parseIsoDate(std::string_view text);

// "2008-07-13".
std::string isoDate(const Date& date);

}  // namespace tarnwick
