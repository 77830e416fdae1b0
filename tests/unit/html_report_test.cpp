#include "app/html_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "analysis/crawler_list.h"
#include "app/chart_model.h"

namespace tarnwick {
namespace {

TEST(chart_test, ticks_are_round_and_reach_the_most) {
  const std::pair<std::uint64_t, std::vector<std::uint64_t>> cases[] = {
      {0, {0, 1}},
      {1, {0, 1}},
      {5, {0, 1, 2, 3, 4, 5}},
      {7, {0, 2, 4, 6, 8}},
      {10, {0, 2, 4, 6, 8, 10}},
      {230, {0, 50, 100, 150, 200, 250}},
      {1201, {0, 500, 1000, 1500}},
      {999999, {0, 200000, 400000, 600000, 800000, 1000000}},
  };
  for (const auto& [most, ticks] : cases) EXPECT_EQ(niceTicks(most), ticks) << most;
  EXPECT_GE(niceTicks(UINT64_MAX / 3).back(), UINT64_MAX / 3);
}

TEST(chart_test, labels_shown_evenly_with_both_ends) {
  const std::tuple<std::size_t, std::size_t, std::vector<std::size_t>> cases[] = {
      {0, 10, {}},
      {3, 10, {0, 1, 2}},
      {10, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {365, 5, {0, 91, 182, 273, 364}},
      {7, 1, {0}},
  };
  for (const auto& [count, room, shown] : cases)
    EXPECT_EQ(shownLabels(count, room), shown) << count;
}

TEST(chart_test, every_crawler_a_series_of_its_own_colour) {
  CrawlerList crawlers = designedCrawlers();
  for (int i = 0; i < 14; ++i) crawlers.push_back({"bot" + std::to_string(i), "", "bot"});
  const ChartModel chart = rowsChart({"080713", "080712"}, {{1, 2, 3, 4}, {5, 6, 7, 8}}, crawlers);
  ASSERT_EQ(chart.series.size(), 18u);
  EXPECT_EQ(chart.series[0].name, "百度蜘蛛");
  EXPECT_EQ(chart.series[1].values, (std::vector<std::uint64_t>{2, 6}));
  EXPECT_EQ(chart.series[17].values, (std::vector<std::uint64_t>{0, 0})) << "short rows read 0";
  EXPECT_EQ(chart.top(), 8u);
  std::set<std::string> colours;
  for (const ChartSeries& series : chart.series) {
    EXPECT_EQ(series.colour.size(), 7u);
    colours.insert(series.colour);
  }
  EXPECT_EQ(colours.size(), 18u);
}

TEST(chart_test, geometry_places_rows_evenly_and_finds_the_nearest) {
  const ChartModel chart =
      rowsChart({"a", "b", "c", "d", "e"}, {{0}, {10}, {5}, {10}, {0}}, designedCrawlers());
  const ChartGeometry g = layOutChart(chart, 448, 300, 20, 30, 14);
  EXPECT_EQ(g.left, 38);
  EXPECT_EQ(g.right, 436);
  ASSERT_EQ(g.xs.size(), 5u);
  EXPECT_EQ(g.xs.front(), g.left);
  EXPECT_EQ(g.xs.back(), g.right);
  EXPECT_EQ(g.xs[2], (g.left + g.right) / 2);
  EXPECT_EQ(g.yOf(0), g.bottom);
  EXPECT_EQ(g.yOf(chart.top()), g.top);
  const std::pair<double, std::optional<std::size_t>> hits[] = {
      {38, 0}, {100, 1}, {237, 2}, {436, 4}, {440, 4}, {0, std::nullopt}, {447, std::nullopt}};
  for (const auto& [x, row] : hits) EXPECT_EQ(g.rowAt(x), row) << x;
  EXPECT_EQ(chartTip(chart, 1), "b\n百度蜘蛛：10\n谷歌蜘蛛：0\n雅虎蜘蛛：0\n搜搜蜘蛛：0");
  EXPECT_EQ(
      layOutChart(rowsChart({"x"}, {{1}}, designedCrawlers()), 448, 300, 20, 30, 14).rowAt(300),
      0u);
}

// However many rows, a drawn line has a few points per pixel column, and keeps its peaks.
TEST(chart_test, many_rows_are_drawn_per_pixel_column_with_their_peaks) {
  std::vector<std::vector<std::uint64_t>> counts(100000, std::vector<std::uint64_t>{1});
  counts[54321][0] = 500;
  counts[777][0] = 0;
  const ChartModel chart =
      rowsChart(std::vector<std::string>(counts.size(), "x"), counts, designedCrawlers());
  const ChartGeometry g = layOutChart(chart, 640, 360, 20, 30, 14);
  const std::vector<ChartPoint> line = linePoints(g, chart.series[0].values);
  EXPECT_LE(line.size(), 4u * 640);
  const auto highest = std::min_element(
      line.begin(), line.end(), [](const ChartPoint& a, const ChartPoint& b) { return a.y < b.y; });
  EXPECT_EQ(highest->y, g.yOf(500));
  EXPECT_EQ(std::max_element(line.begin(), line.end(),
                             [](const ChartPoint& a, const ChartPoint& b) { return a.y < b.y; })
                ->y,
            g.yOf(0));
  const ChartGeometry few =
      layOutChart(rowsChart({"a", "b"}, {{1}, {2}}, designedCrawlers()), 640, 360, 20, 30, 14);
  EXPECT_EQ(linePoints(few, {1, 2}).size(), 2u) << "a point per row where they are apart";
}

// A value from a log or a configuration is text in the page, never markup.
TEST(html_report_test, values_from_logs_are_text) {
  const CrawlerList crawlers = designedCrawlers();
  HtmlReport report(crawlers, "「<b>site</b>」当天日志", 10);
  FileResult row;
  row.label = "<script>alert(1)</script>";
  row.name = "\"><img src=x onerror=alert(1)>.log";
  row.counts = {1, 2, 0, 0};
  row.detail.resize(4);
  row.detail[1].lines = 2;
  row.detail[1].pages.add("/\"><img/src=x/onerror=alert(1)>");
  row.detail[1].pages.add("/<script>alert(2)</script>");
  row.detail[1].status["<i>200"] = 2;
  report.add(row);
  const std::string page = report.page();
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find("/&quot;&gt;&lt;img/src=x/onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_EQ(htmlText("a&b'\xff"), "a&amp;b&#39;\xEF\xBF\xBD") << "and valid UTF-8";
}

TEST(html_report_test, the_page_holds_the_rows_their_total_and_the_detail_where_read) {
  const CrawlerList crawlers = designedCrawlers();
  HtmlReport plain(crawlers, "scope", 10);
  FileResult row;
  row.label = "080713";
  row.name = "ex080713.log";
  row.counts = {3, 1, 0, 0};
  plain.add(row);
  row.label = "080712";
  row.status = FileResult::Status::Missing;
  row.counts = {0, 0, 0, 0};
  plain.add(row);
  const std::string page = plain.page();
  EXPECT_NE(page.find("<td class=\"t\">080713</td><td>3</td><td>1</td><td>0</td><td>0</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr class=\"grey\"><td class=\"t\">080712</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"t\">合计</td><td>3</td><td>1</td>"), std::string::npos);
  EXPECT_EQ(page.find("蜘蛛详情"), std::string::npos) << "no detail where none was read";
  for (const char* fetch : {"http:", "https:", "src=", "href=", "url(", "@import"})
    EXPECT_EQ(page.find(fetch), std::string::npos) << fetch << ": nothing fetched from anywhere";

  HtmlReport detailed(crawlers, "scope", 10);
  row.status = FileResult::Status::Counted;
  row.counts = {3, 1, 0, 0};
  row.detail.resize(4);
  row.detail[0].lines = 3;
  row.detail[0].bytes = 3072;
  row.detail[0].hours[9] = 3;
  detailed.add(row);
  EXPECT_NE(detailed.page().find("抓取量</dt><dd>3.0 KB"), std::string::npos);
  EXPECT_NE(detailed.page().find("<title>09时：3</title>"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

TEST(html_report_test, verified_rows_add_their_verdicts_and_a_total) {
  HtmlReport report(designedCrawlers(), "scope", 5);
  FileResult row;
  row.label = "261207";
  row.counts = {3, 1, 0, 0};
  row.verify = {{2, 1, 0, 0}, {0, 0, 1, 0}, {}, {}};
  report.add(row);
  row.label = "261208";
  row.verify = {{1, 0, 2, 0}, {1, 0, 0, 0}, {}, {}};
  report.add(row);
  const std::string page = report.page();
  EXPECT_NE(page.find("<th>百度蜘蛛 真/假/未验证</th>"), std::string::npos);
  EXPECT_NE(page.find("<td>2/1/0</td><td>0/0/1</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>3/1/2</td><td>1/0/1</td>"), std::string::npos) << "the total";
  HtmlReport unverified(designedCrawlers(), "scope", 5);
  row.verify.clear();
  unverified.add(row);
  EXPECT_EQ(unverified.page().find("真/假/未验证"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
