#include "app/detail_page.h"

#include <gtest/gtest.h>

#include <map>

namespace tarnwick {
namespace {

// A clock whose offset from UTC changes on the days the test names.
class ZoneClock final : public Clock {
 public:
  explicit ZoneClock(std::map<int, int> offsetByDay) : offsetByDay_(std::move(offsetByDay)) {}
  Date today(LogClock) const override { return {2008, 7, 13}; }
  int utcOffsetMinutes(Date day) const override { return offsetByDay_.at(day.day); }
  std::string zoneName() const override { return "Zone"; }

 private:
  std::map<int, int> offsetByDay_;
};

// A counted row of day `day` of July 2008 with one crawler's lines at UTC `hours`.
FileResult rowAt(int day, std::initializer_list<std::size_t> hours) {
  FileResult row;
  row.label = "0807" + std::string(day < 10 ? "0" : "") + std::to_string(day);
  row.counts = {hours.size()};
  row.detail.resize(1);
  for (const std::size_t hour : hours) {
    ++row.detail[0].lines;
    ++row.detail[0].hours[hour];
  }
  return row;
}

struct ShiftCase {
  const char* name;
  int offset;             // minutes ahead of UTC
  std::size_t utcHour;    // as logged
  std::size_t localHour;  // where the view shows it
};

class HourShift : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(HourShift, moves_each_hour_to_the_local_hour_it_starts_in) {
  const ZoneClock clock(std::map<int, int>{{13, GetParam().offset}});
  ResultRows rows({{"Googlebot", "MyGoogle", "谷歌蜘蛛"}});
  rows.add(rowAt(13, {GetParam().utcHour}));
  const DetailSummary summary = summarizeDetail(rows, {0}, 1, clock);
  std::array<std::uint64_t, 24> expected{};
  expected[GetParam().localHour] = 1;
  EXPECT_EQ(summary.crawlers[0].hours, expected);
  EXPECT_EQ(summary.utcOffsetMinutes, GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(Zones, HourShift,
                         ::testing::Values(ShiftCase{"utc", 0, 5, 5}, ShiftCase{"china", 480, 1, 9},
                                           ShiftCase{"china_past_midnight", 480, 23, 7},
                                           ShiftCase{"new_york", -300, 2, 21},
                                           ShiftCase{"new_york_same_day", -300, 12, 7},
                                           ShiftCase{"india_half_hour", 330, 0, 5},
                                           ShiftCase{"india_past_midnight", 330, 23, 4},
                                           ShiftCase{"newfoundland_half_hour_behind", -210, 0, 20},
                                           ShiftCase{"newfoundland_late", -210, 4, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(detail_page_test, days_on_both_sides_of_a_clock_change_each_use_their_own_offset) {
  const ZoneClock clock(std::map<int, int>{{5, -240}, {6, -300}});
  ResultRows rows({{"Googlebot", "MyGoogle", "谷歌蜘蛛"}});
  rows.add(rowAt(5, {12}));
  rows.add(rowAt(6, {12}));
  FileResult missing = rowAt(7, {12});
  missing.status = FileResult::Status::Missing;
  rows.add(missing);
  FileResult countedAlone = rowAt(8, {});
  countedAlone.detail.clear();
  rows.add(countedAlone);
  const DetailSummary summary = summarizeDetail(rows, {0, 1, 2, 3}, 1, clock);
  EXPECT_EQ(summary.crawlers[0].hours[8], 1u);
  EXPECT_EQ(summary.crawlers[0].hours[7], 1u);
  EXPECT_EQ(summary.crawlers[0].lines, 2u) << "a missing row adds nothing";
  EXPECT_EQ(summary.rows, 2u);
  EXPECT_EQ(summary.rowsWithout, 1u);
  EXPECT_TRUE(summary.offsetChanges);
  const std::string page = detailPage(summary, {{"Googlebot", "MyGoogle", "谷歌蜘蛛"}}, "Zone", {});
  EXPECT_NE(page.find("时段按本机时间：Zone（UTC-05:00）"), std::string::npos) << page;
  EXPECT_NE(page.find("各日按当日的时差换算"), std::string::npos) << page;
  EXPECT_NE(page.find("另有 1 行是在打开详情之前读取的"), std::string::npos) << page;
}

TEST(detail_page_test, status_codes_group_by_their_first_digit) {
  const std::pair<const char*, const char*> cases[] = {
      {"200", "2xx"}, {"206", "2xx"},   {"304", "3xx"}, {"404", "4xx"}, {"503", "5xx"},
      {"99", "99"},   {"2000", "2000"}, {"-", "-"},     {"2a0", "2a0"}};
  for (const auto& [code, group] : cases) EXPECT_EQ(statusGroup(code), group) << code;
}

TEST(detail_page_test, offsets_are_written_as_the_system_writes_them) {
  const std::pair<int, const char*> cases[] = {
      {0, "UTC"}, {480, "UTC+08:00"}, {-300, "UTC-05:00"}, {330, "UTC+05:30"}, {-210, "UTC-03:30"}};
  for (const auto& [minutes, text] : cases) EXPECT_EQ(utcOffsetText(minutes), text) << minutes;
}

}  // namespace
}  // namespace tarnwick
