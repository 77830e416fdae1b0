#include "calendar/date.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace tarnwick {

namespace {

std::chrono::year_month_day toYmd(const Date& date) {
  return std::chrono::year{date.year} / std::chrono::month{static_cast<unsigned>(date.month)} /
         std::chrono::day{static_cast<unsigned>(date.day)};
}

// A field of digits only: no sign, so "-001" is no year.
bool parseField(std::string_view text, int& out) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

Date dateOf(std::chrono::sys_days day) {
  const std::chrono::year_month_day ymd{day};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

Date daysBefore(const Date& date, int days) {
  return dateOf(std::chrono::sys_days{toYmd(date)} - std::chrono::days{days});
}

std::string yymmdd(const Date& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d", ((date.year % 100) + 100) % 100, date.month,
                date.day);
  return text;
}

std::optional<Date> parseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  Date date;
  if (!parseField(text.substr(0, 4), date.year) || !parseField(text.substr(5, 2), date.month) ||
      !parseField(text.substr(8, 2), date.day))
    return std::nullopt;
  if (!toYmd(date).ok()) return std::nullopt;
  return date;
}

std::string isoDate(const Date& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace tarnwick
