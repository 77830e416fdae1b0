#include "calendar/date.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct DayCase {
  Date from;
  int back;
  const char* yymmdd;
  friend std::ostream& operator<<(std::ostream& out, const DayCase& c) { return out << c.yymmdd; }
};

class DaysBefore : public ::testing::TestWithParam<DayCase> {};

TEST_P(DaysBefore, formats_as_two_digit_year_month_day) {
  EXPECT_EQ(yymmdd(daysBefore(GetParam().from, GetParam().back)), GetParam().yymmdd);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, DaysBefore,
    ::testing::Values(DayCase{{2008, 7, 13}, 0, "080713"}, DayCase{{2008, 7, 13}, 6, "080707"},
                      DayCase{{2009, 1, 1}, 1, "081231"}, DayCase{{2008, 3, 1}, 1, "080229"},
                      DayCase{{2100, 3, 1}, 1, "000228"}, DayCase{{2026, 12, 7}, 29, "261108"}));

TEST(date_test, iso_dates_parse_and_invalid_ones_do_not) {
  EXPECT_EQ(parseIsoDate("2008-07-13"), (Date{2008, 7, 13}));
  EXPECT_EQ(isoDate({2008, 7, 13}), "2008-07-13");
  for (const char* bad :
       {"2008-02-30", "2008-13-01", "08-07-13", "2008/07/13", "2008-7-13", "", "abcd-ef-gh",
        "-001-12-31", "+008-07-13", "2008-+7-13", "2008-07--1", " 2008-07-13"})
    EXPECT_FALSE(parseIsoDate(bad)) << bad;
}

}  // namespace
}  // namespace tarnwick
