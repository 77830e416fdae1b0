#include "analysis/crawler_list.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tarnwick {
namespace {

struct ListCase {
  const char* name;
  std::string text;
  std::vector<std::string> added;     // "token=header", after the designed four
  std::vector<std::string> problems;  // parts of each problem, in order
  friend std::ostream& operator<<(std::ostream& out, const ListCase& c) { return out << c.name; }
};

class CrawlerListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(CrawlerListTest, adds_good_lines_and_names_bad_ones) {
  const CrawlerListResult list = parseCrawlerList(GetParam().text);
  ASSERT_GE(list.crawlers.size(), 4u);
  EXPECT_EQ(list.crawlers[0].token, "Baiduspider") << "the designed four come first";
  EXPECT_EQ(list.crawlers[3].columnKey, "MySoSo");
  std::vector<std::string> added;
  for (std::size_t i = 4; i < list.crawlers.size(); ++i)
    added.push_back(list.crawlers[i].token + "=" + list.crawlers[i].header);
  EXPECT_EQ(added, GetParam().added);
  ASSERT_EQ(list.problems.size(), GetParam().problems.size());
  for (std::size_t i = 0; i < list.problems.size(); ++i)
    EXPECT_NE(list.problems[i].description().find(GetParam().problems[i]), std::string::npos)
        << list.problems[i].description();
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CrawlerListTest,
    ::testing::Values(
        ListCase{"empty", "", {}, {}},
        ListCase{"token_and_header",
                 "\xEF\xBB\xBF# crawlers\r\nbingbot\t必应蜘蛛\r\n\r\nSogou web spider  # Sogou\n",
                 {"bingbot=必应蜘蛛", "Sogou web spider=Sogou web spider"},
                 {}},
        ListCase{"bad_lines_are_left_out",
                 "bingbot\n\tno token\nGooglebot\tagain\nbingbot\nA\tB\tC\tD\nX\x01Y\nok\xFF\n"
                 "YandexBot",
                 {"bingbot=bingbot", "YandexBot=YandexBot"},
                 {"line 2: no token", "line 3: \"Googlebot\" is counted already",
                  "line 4: \"bingbot\"", "line 5: more than two tabs",
                  "line 6: holds a control character", "line 7: not UTF-8"}},
        ListCase{"too_long", std::string(201, 'x') + "\n", {}, {"line 1: token longer"}},
        // "token<TAB>" with nothing after the tab: the header is the token itself.
        ListCase{"empty_header",
                 "bingbot\t\nYandexBot\t  \n",
                 {"bingbot=bingbot", "YandexBot=YandexBot"},
                 {}},
        // A third column names the crawler's own checks; anything else there is refused.
        ListCase{"own_checks",
                 "MyBot\tMine\tdns:Crawl.Example.com ranges:mybot.json\n"
                 "Evil\tE\tranges:../../etc/passwd\nOdd\tO\tdns:a..b\nWho\tW\tftp:x\n",
                 {"MyBot=Mine"},
                 {"line 2: a check", "line 3: a check", "line 4: a check"}},
        // A row's own csv columns and json members cannot be crawler tokens too.
        ListCase{"row_keys_are_no_tokens",
                 "day\ndate\nfile\nstatus\nC#Bot # a comment after a blank\n",
                 {"C#Bot=C#Bot"},
                 {"line 1: \"day\" is the name", "line 2: \"date\"", "line 3: \"file\"",
                  "line 4: \"status\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(crawler_list_test, own_checks_are_kept_in_lower_case) {
  const CrawlerListResult list =
      parseCrawlerList("MyBot\t\tdns:Crawl.Example.COM  dns:example.net ranges:mybot.json\n");
  ASSERT_EQ(list.crawlers.size(), 5u);
  EXPECT_EQ(list.crawlers[4].header, "MyBot");
  EXPECT_EQ(list.crawlers[4].domains,
            (std::vector<std::string>{"crawl.example.com", "example.net"}));
  EXPECT_EQ(list.crawlers[4].rangesFiles, std::vector<std::string>{"mybot.json"});
}

TEST(crawler_list_test, at_most_64_added) {
  std::string text;
  for (int i = 0; i < 70; ++i) text += "bot" + std::to_string(i) + "\n";
  const CrawlerListResult list = parseCrawlerList(text);
  EXPECT_EQ(list.crawlers.size(), 4u + kMaxAddedCrawlers);
  ASSERT_EQ(list.problems.size(), 1u) << "one warning for the cap, not one per line";
  EXPECT_EQ(list.problems[0].line, 65);
}

TEST(crawler_list_test, given_file_else_the_users_own_else_the_designed_four) {
  testing::TempDir dir;
  const auto given = dir.write("given.txt", "bingbot\n");
  dir.write("config/tarnwick/crawlers.txt", "YandexBot\n");
  const SystemTextInput input;
  const auto environment = [&](std::string_view name) -> std::optional<std::string> {
    if (name == "XDG_CONFIG_HOME" || name == "APPDATA") return (dir.path() / "config").string();
    return std::nullopt;
  };
  const auto nowhere = [](std::string_view) -> std::optional<std::string> { return {}; };
  EXPECT_EQ(chooseCrawlers(given, input, environment).crawlers.back().token, "bingbot");
#ifndef _WIN32
  EXPECT_EQ(chooseCrawlers({}, input, environment).crawlers.back().token, "YandexBot");
#endif
  EXPECT_EQ(chooseCrawlers({}, input, nowhere).crawlers.size(), 4u);
  const CrawlerListResult missing = chooseCrawlers(dir.path() / "none.txt", input, nowhere);
  EXPECT_EQ(missing.status, CrawlerListResult::Status::Unreadable);
  EXPECT_EQ(missing.description(), "no such file");
  EXPECT_EQ(missing.crawlers.size(), 4u) << "still counts the designed four";
}

}  // namespace
}  // namespace tarnwick
