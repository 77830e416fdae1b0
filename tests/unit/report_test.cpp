#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "cli/report_options.h"
#include "cli/report_output.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Command = ReportOptions::Command;

struct OptionCase {
  std::vector<std::string_view> args;
  const char* error;  // part of the error; empty where the options are fine
  Command command;
  friend std::ostream& operator<<(std::ostream& out, const OptionCase& c) {
    return out << (c.args.empty() ? "(none)" : c.args.back());
  }
};

class ReportOptionsTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ReportOptionsTest, parses_or_explains) {
  const auto result = parseReportOptions(GetParam().args);
  if (std::string(GetParam().error).empty()) {
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.options.command, GetParam().command);
  } else {
    EXPECT_NE(result.error.find(GetParam().error), std::string::npos) << result.error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Args, ReportOptionsTest,
    ::testing::Values(
        OptionCase{{"--root", "/c", "--list-sites"}, "", Command::ListSites},
        OptionCase{
            {"--config", "x", "--site", "1", "--last", "7", "--format", "csv"}, "", Command::Last},
        OptionCase{
            {"--site", "Default Web Site", "--today", "--date", "2008-07-13"}, "", Command::Today},
        OptionCase{{"--file", "/tmp/ex080713.log", "--format", "json"}, "", Command::File},
        OptionCase{{"--site", "1", "--all", "--drive", "D=/d"}, "", Command::All},
        OptionCase{{}, "no command", Command::None},
        OptionCase{{"--list-sites", "--file", "x"}, "exactly one", Command::None},
        OptionCase{{"--all"}, "need --site", Command::None},
        OptionCase{{"--site", "1", "--list-sites"}, "--site goes with", Command::None},
        OptionCase{{"--site", "1", "--last", "0"}, "--last takes", Command::None},
        OptionCase{{"--site", "1", "--last", "7x"}, "--last takes", Command::None},
        OptionCase{{"--site", "1", "--last"}, "needs a value", Command::None},
        OptionCase{{"--file", "x", "--date", "2008-02-30"}, "--date takes", Command::None},
        OptionCase{{"--file", "x", "--format", "xml"}, "--format takes", Command::None},
        OptionCase{{"--list-sites", "--verbose"}, "unknown option", Command::None}));

TEST(report_test, csv_and_json_quote_what_needs_quoting) {
  EXPECT_EQ(csvField("plain"), "plain");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(jsonString("C:\\logs\\\"x\"\n\x01"), "\"C:\\\\logs\\\\\\\"x\\\"\\n\\u0001\"");
}

TEST(report_test, rows_in_each_format) {
  const std::vector<ReportRow> rows{{"080713", {1, 22, 0, 3}, "/srv/c/ex080713.log"}};
  std::ostringstream table, csv, json;
  printRows(table, rows, ReportOptions::Format::Table);
  printRows(csv, rows, ReportOptions::Format::Csv);
  printRows(json, rows, ReportOptions::Format::Json);
  EXPECT_EQ(table.str(),
            "日期    百度蜘蛛  谷歌蜘蛛  雅虎蜘蛛  搜搜蜘蛛\n"
            "080713         1        22         0         3\n");
  EXPECT_EQ(
      csv.str(),
      "day,Baiduspider,Googlebot,Yahoo!,Sosospider,file\n080713,1,22,0,3,/srv/c/ex080713.log\n");
  EXPECT_EQ(json.str(),
            "{\"rows\":[{\"day\":\"080713\",\"Baiduspider\":1,\"Googlebot\":22,\"Yahoo!\":0,"
            "\"Sosospider\":3,\"file\":\"/srv/c/ex080713.log\"}]}\n");
}

// Runs the report program; returns its exit status and what it printed on standard output.
std::pair<int, std::string> runReport(const std::string& args) {
  const std::string command = std::string(TARNWICK_REPORT) + " " + args + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WEXITSTATUS(status), out};
}

TEST(report_test, end_to_end_on_a_server_copy) {
  testing::TempDir dir;
  const std::string root = (dir.path() / "c").string();
  dir.write("c/Windows/System32/inetsrv/config/applicationHost.config",
            testing::testData("applicationHost.config"));
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/ex080713.log", testing::testData("ex080713.log"));
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/u_ex080712.log", "Googlebot\r\n");

  struct Case {
    std::string args;
    int status;
    std::string output;  // part of standard output
  };
  const Case cases[] = {
      {"--root " + root + " --list-sites --format csv", 0,
       "Default Web Site,1,C:\\inetpub\\logs\\LogFiles\\W3SVC1\\," + root +
           "/inetpub/logs/LogFiles/W3SVC1\n企业门户,2,D:\\Logs\\\\W3SVC2\\,\n"},
      {"--root " + root + " --site 1 --last 3 --date 2008-07-13 --format csv", 0,
       "080713,3,4,2,1,"},
      {"--root " + root + " --site 'Default Web Site' --last 3 --date 2008-07-13 --format csv", 0,
       "080712,0,1,0,0," + root + "/inetpub/logs/LogFiles/W3SVC1/u_ex080712.log\n080711,0,0,0,0,"},
      {"--root " + root + " --site 1 --all --format json", 0,
       "{\"rows\":[{\"day\":\"080713\",\"Baiduspider\":3"},
      {"--root " + root + " --site 2 --all", 1, ""},
      {"--root " + root + " --site Nowhere --today", 1, ""},
      {"--config " + root + "/nothing.config --list-sites", 1, ""},
      {"--root " + root + " --config x --list-sites", 2, ""},
      {"--site 1 --last nine", 2, ""},
  };
  for (const Case& c : cases) {
    const auto [status, out] = runReport(c.args);
    EXPECT_EQ(status, c.status) << c.args;
    EXPECT_NE(out.find(c.output), std::string::npos) << c.args << "\n" << out;
  }
}

}  // namespace
}  // namespace tarnwick
