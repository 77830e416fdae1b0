#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "analysis/row_text.h"
#include "cli/report_options.h"
#include "cli/site_choice.h"
#include "test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#endif

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
        OptionCase{{"--site-id", "3", "--last", "36525", "--crawlers", "c.txt"}, "", Command::Last},
        OptionCase{{}, "no command", Command::None},
        OptionCase{{"--list-sites", "--file", "x"}, "exactly one", Command::None},
        OptionCase{{"--all"}, "need --site", Command::None},
        OptionCase{{"--site", "1", "--list-sites"}, "go with", Command::None},
        OptionCase{{"--site", "1", "--site-id", "1", "--today"}, "one --site", Command::None},
        OptionCase{{"--site", "1", "--last", "0"}, "--last takes", Command::None},
        OptionCase{{"--site", "1", "--last", "36526"}, "1 to 36525", Command::None},
        OptionCase{{"--site", "1", "--last", "7x"}, "--last takes", Command::None},
        OptionCase{{"--site", "1", "--last"}, "needs a value", Command::None},
        OptionCase{{"--file", "x", "--date", "2008-02-30"}, "--date takes", Command::None},
        OptionCase{{"--file", "x", "--format", "xml"}, "--format takes", Command::None},
        OptionCase{{"--file", "x", "--root", "/c", "--config", "y"}, "together", Command::None},
        OptionCase{{"--list-sites", "--verbose"}, "unknown option", Command::None},
        OptionCase{{"--file", "x", "--detail", "--top", "3"}, "", Command::File},
        OptionCase{{"--list-sites", "--detail"}, "--detail goes with", Command::None},
        OptionCase{{"--file", "x", "--top", "3"}, "--top goes with --detail", Command::None},
        OptionCase{{"--file", "x", "--detail", "--top", "0"}, "--top takes", Command::None},
        OptionCase{{"--file", "x", "--format", "html"}, "", Command::File},
        OptionCase{{"--list-sites", "--format", "html"}, "--format html goes with", Command::None},
        OptionCase{{"--file", "x", "--verify", "--ranges", "r", "--no-dns"}, "", Command::File},
        OptionCase{
            {"--update-ranges", "--ranges", "r", "--from", "http://h/"}, "", Command::UpdateRanges},
        OptionCase{{"--list-sites", "--verify"}, "--verify goes with", Command::None},
        OptionCase{{"--file", "x", "--no-dns"}, "--no-dns goes with --verify", Command::None},
        OptionCase{{"--file", "x", "--ranges", "r"}, "--ranges goes with", Command::None},
        OptionCase{{"--file", "x", "--verify", "--from", "h"}, "--from goes with", Command::None},
        OptionCase{{"--update-ranges", "--root", "/c"}, "takes only", Command::None},
        OptionCase{{"--update-ranges", "--file", "x"}, "exactly one", Command::None}));

// Help, short or long, whatever else is given; a drive mapped to a one-character folder.
TEST(report_test, help_and_the_shortest_drive_mapping) {
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{"-h"}, {"--help"}, {"--list-sites", "-h"}}) {
    EXPECT_TRUE(parseReportOptions(args).options.help) << args.front();
  }
  const std::vector<std::string_view> root{"--drive", "D=/", "--list-sites"};
  const auto mapped = parseReportOptions(root);
  EXPECT_EQ(mapped.error, "");
  ASSERT_EQ(mapped.options.source.drives.size(), 1u);
  EXPECT_EQ(mapped.options.source.drives[0].second, std::filesystem::path("/"));
  const std::vector<std::string_view> empty{"--drive", "D=", "--list-sites"};
  EXPECT_NE(parseReportOptions(empty).error.find("--drive takes X=DIR"), std::string::npos);
}

struct CellCase {
  const char* text;
  const char* csv;
  const char* json;
  const char* terminal;
};

// Text cells are valid UTF-8, never a formula, and never raw control characters.
TEST(report_test, text_cells_are_quoted_neutralised_and_valid) {
  const CellCase cases[] = {
      {"plain", "plain", "\"plain\"", "plain"},
      {"a,b", "\"a,b\"", "\"a,b\"", "a,b"},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\"", "say \"hi\""},
      {"=HYPERLINK(1)", "'=HYPERLINK(1)", "\"=HYPERLINK(1)\"", "=HYPERLINK(1)"},
      {"+1", "'+1", "\"+1\"", "+1"},
      {"-1", "'-1", "\"-1\"", "-1"},
      {"@x", "'@x", "\"@x\"", "@x"},
      {"\tx", "'\tx", "\"\\tx\"", "\\x09x"},
      {"\rx", "\"'\rx\"", "\"\\rx\"", "\\x0Dx"},
      {"C:\\logs\\\x01", "C:\\logs\\\x01", "\"C:\\\\logs\\\\\\u0001\"", "C:\\logs\\\\x01"},
      {"\x1b[31m", "\x1b[31m", "\"\\u001b[31m\"", "\\x1B[31m"},
      {"\xC2\x9B", "\xC2\x9B", "\"\xC2\x9B\"", "\\x9B"},
      {"\xB0\xA1\xB0\xA1", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
       "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"百度", "百度", "\"百度\"", "百度"},
  };
  for (const CellCase& c : cases) {
    EXPECT_EQ(csvField(c.text), c.csv) << c.text;
    EXPECT_EQ(jsonString(c.text), c.json) << c.text;
    EXPECT_EQ(terminalText(c.text), c.terminal) << c.text;
  }
}

TEST(report_test, rows_in_each_format) {
  FileResult counted{
      1,  "080713",     "C:\\x", std::string("/srv/c/ex080713.log"), FileResult::Status::Counted,
      {}, {1, 22, 0, 3}};
  FileResult missing{
      2, "080712", "C:\\y", std::nullopt, FileResult::Status::Missing, "not mapped", {0, 0, 0, 0}};
  const std::pair<RowFormat, std::string> cases[] = {
      {RowFormat::Table,
       "日期    百度蜘蛛  谷歌蜘蛛  雅虎蜘蛛  搜搜蜘蛛\n"
       "080713         1        22         0         3\n"
       "080712         0         0         0         0\n"},
      {RowFormat::Csv,
       "day,date,Baiduspider,Googlebot,Yahoo!,Sosospider,file,status\n"
       "080713,2008-07-13,1,22,0,3,/srv/c/ex080713.log,ok\n080712,2008-07-12,0,0,0,0,,missing\n"},
      {RowFormat::Json,
       "{\"rows\":[{\"day\":\"080713\",\"date\":\"2008-07-13\",\"Baiduspider\":1,\"Googlebot\":22,"
       "\"Yahoo!\":0,"
       "\"Sosospider\":3,\"file\":\"/srv/c/ex080713.log\",\"status\":\"ok\"},"
       "{\"day\":\"080712\",\"date\":\"2008-07-12\",\"Baiduspider\":0,\"Googlebot\":0,\"Yahoo!\":0,"
       "\"Sosospider\":0,"
       "\"file\":\"\",\"status\":\"missing\"}]}\n"},
  };
  for (const auto& [format, expected] : cases) {
    RowFormatter formatter(format, designedCrawlers());
    std::string out = formatter.header();
    out += formatter.row(counted);
    out += formatter.row(missing);
    EXPECT_EQ(out + formatter.footer(), expected);
  }
}

// A value names one site, or it is an error that names every site it could mean.
TEST(report_test, a_value_names_one_site_or_says_which_it_could_mean) {
  const std::vector<Site> sites{{"7", "1", "C:\\a\\", {}},
                                {"Shop", "7", "C:\\b\\", {}},
                                {"Default Web Site", "3", "C:\\c\\", {}},
                                {"Twin", "4", "C:\\d\\", {}},
                                {"Twin", "5", "C:\\e\\", {}},
                                {"blog", "6", "C:\\f\\", {}},
                                {"BLOG", "8", "C:\\g\\", {}},
                                {"Copy", "9", "C:\\h\\", {}},
                                {"Copy of 9", "9", "C:\\i\\", {}}};
  struct Case {
    const char* value;
    bool byId;
    const char* site;   // the id chosen, or nothing
    const char* error;  // part of the error
  };
  const Case cases[] = {
      {"Shop", false, "7", ""},
      {"1", false, "1", ""},
      {"7", false, nullptr, "the name of site \"7\" (id 1) and the id of site \"Shop\" (id 7)"},
      {"7", true, "7", ""},
      {"19", false, nullptr, "no site named or numbered \"19\""},
      {"Shop", true, nullptr, "no site with id \"Shop\""},
      // IIS treats site names without regard to case.
      {"default web site", false, "3", ""},
      {"SHOP", false, "7", ""},
      // Two sites of one name (IIS 6 allows it), or of one id.
      {"Twin", false, nullptr, "names sites \"Twin\" (id 4) and \"Twin\" (id 5)"},
      {"9", false, nullptr, "sites \"Copy\" (id 9) and \"Copy of 9\" (id 9) have the same id"},
      // An exact name wins over names equal but for case; two of those are ambiguous.
      {"blog", false, "6", ""},
      {"Blog", false, nullptr, "names sites \"blog\" (id 6) and \"BLOG\" (id 8)"},
  };
  for (const Case& c : cases) {
    const SiteChoice choice = chooseSite(sites, c.value, c.byId);
    EXPECT_EQ(choice.site ? choice.site->id : "none", c.site ? c.site : "none") << c.value;
    EXPECT_NE(choice.description().find(c.error), std::string::npos) << choice.description();
  }
}

struct ReportRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the report program with `args` (a shell command line's worth). Its standard output
// goes to the file `output` where given, or into the command `output` names after a "|".
ReportRun runReport(const testing::TempDir& dir, const std::string& args, std::string output = "") {
  const auto out = dir.path() / "stdout.txt";
  const auto err = dir.path() / "stderr.txt";
  const auto piped = dir.path() / "status.txt";
  const std::string report = testing::reportProgram() + " " + args;
  std::string command =
      report + " >" + (output.empty() ? out.string() : output) + " 2>" + err.string();
  if (output.starts_with("|"))
    command =
        "{ " + report + " 2>" + err.string() + "; echo $? >" + piped.string() + "; } " + output;
  int status = std::system(command.c_str());
#ifdef _WIN32
  // wine's cmd.exe now and then fails to start a program it started a moment before, and
  // says so with 9009 ("not recognized"), a status the report never exits with.
  for (int again = 0; status == 9009 && again < 2; ++again) status = std::system(command.c_str());
#else
  status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
  if (output.starts_with("|")) status = std::stoi(testing::readText(piped));
  return {status, testing::readText(out), testing::readText(err)};
}

struct EndToEnd {
  std::string args;
  int status;
  std::string out;  // part of standard output
  std::string err;  // part of standard error
};

// Runs each case: its status, and the parts of its output and its messages.
template <typename Cases>
void expectRuns(const testing::TempDir& dir, const Cases& cases) {
  for (const EndToEnd& c : cases) {
    const ReportRun run = runReport(dir, c.args);
    EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << c.args << "\n" << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
  }
}

TEST(report_test, end_to_end_on_a_server_copy) {
  testing::TempDir dir;
  const std::string root = (dir.path() / "c").string();
  const std::string logs = testing::below(dir.path() / "c", "inetpub/logs/LogFiles/W3SVC1");
  dir.write("c/Windows/System32/inetsrv/config/applicationHost.config",
            testing::testData("applicationHost.config"));
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/ex080713.log", testing::testData("ex080713.log"));
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/u_ex080712.log", "Googlebot\r\n");
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/ex080711.log/x", "a folder, not a log");
  dir.write("c/inetpub/logs/LogFiles/W3SVC1/u_ex080709.log/x", "a folder, not a log");
  dir.write("crawlers.txt", "bingbot\t必应\n# comment\n\tno token\n");

#ifdef _WIN32
  // On Windows a drive no option maps is this computer's own: D: here is the real D:.
  const std::string driveD = "D:\\Logs\\\\W3SVC2\\";
  const std::string notHere = "log folder D:\\Logs\\\\W3SVC2\\ does not exist";
#else
  const std::string driveD;
  const std::string notHere = "log folder D:\\Logs\\\\W3SVC2\\ names nothing on this computer";
#endif
  const EndToEnd cases[] = {
      {"--root " + root + " --list-sites --format csv", 0,
       "Default Web Site,1,C:\\inetpub\\logs\\LogFiles\\W3SVC1\\," + logs +
           ",w3c\n企业门户,2,D:\\Logs\\\\W3SVC2\\," + driveD + ",w3c\n",
       ""},
      {"--root " + root + " --site 1 --last 3 --date 2008-07-13 --format csv", 0,
       "080713,2008-07-13,3,4,2,1,", "warning: cannot read"},
      {"--root " + root + " --site \"Default Web Site\" --last 4 --date 2008-07-13 --format csv", 0,
       "080712,2008-07-12,0,1,0,0," + testing::below(logs, "u_ex080712.log") +
           ",ok\n080711,2008-07-11,0,0,0,0," + testing::below(logs, "ex080711.log") +
           ",unreadable\n080710,2008-07-10,0,0,0,0," + testing::below(logs, "ex080710.log") +
           ",missing\n",
       "a folder"},
      // A log folder on a drive that is not here: the rows stay, and one warning says why.
      {"--root " + root + " --site 2 --today --date 2008-07-13 --format csv", 0,
       "080713,2008-07-13,0,0,0,0,", "warning: site \"企业门户\": " + notHere},
      // The folder named like a log gets its row in every mode, saying what it is.
      {"--root " + root + " --site 1 --all --format json", 0,
       "\"status\":\"unreadable\"},{\"day\":\"080713\",\"date\":\"2008-07-13\",\"Baiduspider\":3",
       "warning: cannot read " + testing::below(logs, "ex080711.log") + ": a folder, not a file"},
      // IIS 7 names: a folder "u_ex080709.log" is not a missing day.
      {"--root " + root + " --site 1 --last 5 --date 2008-07-13 --format csv", 0,
       testing::below(logs, "u_ex080709.log") + ",unreadable\n", "a folder, not a file"},
      {"--root " + root + " --site-id 1 --today --date 2008-07-13 --crawlers " +
           (dir.path() / "crawlers.txt").string() + " --format csv",
       0,
       "day,date,Baiduspider,Googlebot,Yahoo!,Sosospider,bingbot,file,status\n"
       "080713,2008-07-13,3,4,2,1,0,",
       "line 3: no token"},
      {"--root " + root + " --site 2 --all", 1, "", notHere},
      {"--root " + root + " --site Nowhere --today", 1, "", "no site named or numbered"},
      {"--config " + root + "/nothing.config --list-sites", 1, "", "file not found"},
      {"--config " + root + " --list-sites", 1, "", "a folder, not a file"},
      {"--root " + root + " --config x --list-sites", 2, "", "together"},
      {"--site 1 --last nine", 2, "", "usage:"},
      {"--root " + root + " --site 1 --last 36526", 2, "", "1 to 36525"},
      {"--file " + root + "/inetpub/logs/LogFiles/W3SVC1/ex080713.log --format csv", 0,
       "080713,2008-07-13,3,4,2,1,", ""},
      // What each crawler did: per row, and the total over the rows after them.
      {"--file " + root + "/inetpub/logs/LogFiles/W3SVC1/ex080713.log --detail --format json", 0,
       "\"status\":\"ok\",\"detail\":{\"Baiduspider\":{\"lines\":3,\"unparsed\":0,"
       "\"status\":{\"200\":3}",
       ""},
      {"--root " + root + " --site 1 --last 2 --date 2008-07-13 --detail --top 1 --format csv", 0,
       "day,file,crawler,measure,key,value\n080713,", ""},
      // One page: the site, its days and the rows' table, once every row is in.
      {"--root " + root + " --site 1 --last 2 --date 2008-07-13 --format html", 0,
       "<td class=\"t\">080713</td><td>3</td><td>4</td><td>2</td><td>1</td>", ""},
      {"--root " + root + " --site 1 --today --date 2008-07-13 --detail --format html", 0,
       "「Default Web Site」当天日志（2008-07-13，按 UTC 日期）", ""},
      {"--file " + root + "/mistyped.log", 1, "", "no such file"},
      {"--file " + root + "/inetpub", 1, "", "a folder"},
      {"--crawlers " + root + "/none.txt --file x", 1, "", "crawler list"},
  };
  expectRuns(dir, cases);
}

// --output writes a file whole or not at all; csv there starts with a byte-order mark
// for spreadsheets, standard output never does.
// Sites that log otherwise than daily: an hourly site's day is its hours, a weekly one is
// counted file by file, "_x" logs are the day's, and sites without countable logs say why.
TEST(report_test, logs_however_the_server_writes_them) {
  testing::TempDir dir;
  const std::string root = (dir.path() / "c").string();
  dir.write("c/Windows/System32/inetsrv/config/applicationHost.config",
            R"(<configuration><system.applicationHost><sites>)"
            R"(<site name="Hourly" id="1"><logFile period="Hourly"/></site>)"
            R"(<site name="Weekly" id="2"><logFile period="Weekly"/></site>)"
            R"(<site name="Ncsa" id="3"><logFile logFormat="NCSA"/></site>)"
            R"(<site name="Etw" id="4"><logFile logTargetW3C="ETW"/></site>)"
            R"(<site name="Off" id="5"><logFile enabled="false"/></site>)"
            R"(<site name="Custom fields" id="6"/>)"
            R"(<site name="Sized" id="7"><logFile period="MaxSize"/></site>)"
            R"(<siteDefaults><logFile directory="C:\logs"/></siteDefaults>)"
            R"(</sites></system.applicationHost></configuration>)");
  dir.write("c/logs/W3SVC1/u_ex26120700.log", "Googlebot\nBaiduspider\n");
  dir.write("c/logs/W3SVC1/u_ex26120713.log", "Googlebot\n");
  dir.write("c/logs/W3SVC1/u_ex26120623.log", "Yahoo!\n");
  const std::string week =
      "#Fields: date time cs(User-Agent)\n"
      "2026-12-06 10:00:00 Googlebot\n"
      "2026-12-07 01:00:00 Googlebot\n"
      "2026-12-07 02:00:00 Baiduspider\n";
  dir.write("c/logs/W3SVC2/u_ex261201.log", week);
  dir.write("c/logs/W3SVC6/u_ex261207_x.log", "Sosospider\n");
  dir.write("c/logs/W3SVC7/u_extend1.log",
            "#Fields: date time cs(User-Agent)\n"
            "2026-12-05 10:00:00 Googlebot\n"
            "2026-12-06 01:00:00 Googlebot\n");
  dir.write("c/logs/W3SVC7/u_extend2.log",
            "#Fields: date time cs(User-Agent)\n"
            "2026-12-06 02:00:00 Baiduspider\n"
            "2026-12-07 01:00:00 Googlebot\n");
  const std::string on = "--root " + root + " --date 2026-12-07 ";
  std::vector<EndToEnd> cases = {
      {on + "--site Hourly --last 3 --format csv", 0, "261207,2026-12-07,1,2,0,0,", ""},
      {on + "--site Hourly --last 3 --format csv", 0, "261206,2026-12-06,0,0,1,0,", ""},
      {on + "--site Hourly --last 3 --format csv", 0, "ex26120500.log,missing", ""},
      {on + "--site Hourly --all --format csv", 0, "26120700,,1,1,0,0,", ""},
      {on + "--site Weekly --all --format csv", 0, "261201,2026-12-01,1,2,0,0,", ""},
      {on + "--site Weekly --last 2 --format csv", 0, "261207,2026-12-07,1,1,0,0,", ""},
      {on + "--site Weekly --last 2 --format csv", 0, "261206,2026-12-06,0,1,0,0,", ""},
      // By size: a log holds the days from its first line's to the next log's first.
      {on + "--site Sized --last 3 --format csv", 0, "261207,2026-12-07,0,1,0,0,", ""},
      {on + "--site Sized --last 3 --format csv", 0, "261206,2026-12-06,1,1,0,0,", ""},
      {on + "--site Sized --last 3 --format csv", 0, "261205,2026-12-05,0,1,0,0,", ""},
      {on + "--site Sized --all --format csv", 0, "u_extend2,,1,1,0,0,", ""},
      {on + "--site Ncsa --all", 1, "", "logs in NCSA format, which names no user agent"},
      {on + "--site Etw --today", 1, "", "logs to ETW only"},
      {on + "--site Off --today", 1, "", "logging switched off"},
      {on + "--site 6 --today --format csv", 0, "261207,2026-12-07,0,0,0,1,", ""},
      {on + "--list-sites --format csv", 0, ",w3c\n", ""},
      {on + "--list-sites --format json", 0, R"("logging":"ncsa"})", ""},
      {on + "--list-sites", 0, "w3c hourly", ""},
  };
  // Central logging: one file a day for all sites, each site's rows its own lines.
  dir.write(
      "central/Windows/System32/inetsrv/config/applicationHost.config",
      R"(<configuration><system.applicationHost>)"
      R"(<log centralLogFileMode="CentralW3C"><centralW3CLogFile directory="C:\central"/></log>)"
      R"(<sites><site name="A" id="1"/><site name="B" id="2"/></sites>)"
      R"(</system.applicationHost></configuration>)");
  dir.write("central/central/W3SVC/u_ex261207.log",
            "#Fields: date time s-sitename cs(User-Agent)\n"
            "2026-12-07 00:00:01 W3SVC1 Googlebot\n"
            "2026-12-07 00:00:02 W3SVC2 Googlebot\n"
            "2026-12-07 00:00:03 w3svc2 Baiduspider\n");
  const std::string central = "--root " + (dir.path() / "central").string() + " --date 2026-12-07 ";
  const std::vector<EndToEnd> centralCases = {
      {central + "--site A --today --format csv", 0, "261207,2026-12-07,0,1,0,0,", ""},
      {central + "--site B --today --format csv", 0, "261207,2026-12-07,1,1,0,0,", ""},
      {central + "--site B --all --format csv", 0, "261207,2026-12-07,1,1,0,0,", ""},
      {central + "--list-sites --format csv", 0, ",central\n", ""},
  };
  cases.insert(cases.end(), centralCases.begin(), centralCases.end());
  expectRuns(dir, cases);
}

// Local days of logs named by UTC days: each line goes to the day of its own date and
// time shifted, read from the two UTC logs a local day spans; across a year's end too.
TEST(report_test, local_days) {
  testing::TempDir dir;
  const std::string root = (dir.path() / "c").string();
  dir.write("c/Windows/System32/inetsrv/config/applicationHost.config",
            R"(<configuration><system.applicationHost><sites><site name="A" id="1"/>)"
            R"(<siteDefaults><logFile directory="C:\logs"/></siteDefaults>)"
            R"(</sites></system.applicationHost></configuration>)");
  const std::string fields = "#Fields: date time cs(User-Agent)\n";
  dir.write("c/logs/W3SVC1/u_ex261206.log", fields +
                                                "2026-12-06 15:59:59 Googlebot\n"
                                                "2026-12-06 16:00:00 Googlebot\n");
  dir.write("c/logs/W3SVC1/u_ex261207.log", fields +
                                                "2026-12-07 03:00:00 Googlebot\n"
                                                "2026-12-07 17:00:00 Googlebot\n");
  dir.write("c/logs/W3SVC1/u_ex261231.log", fields + "2026-12-31 20:00:00 Baiduspider\n");
  dir.write("c/logs/W3SVC1/u_ex270101.log", fields + "2027-01-01 02:00:00 Baiduspider\n");
  const std::string site = "--root " + root + " --site A --format csv --local-days ";
  const EndToEnd cases[] = {
      {site + "--utc-offset +08:00 --date 2026-12-08 --last 3", 0, "261208,2026-12-08,0,1,0,0,",
       ""},
      {site + "--utc-offset +08:00 --date 2026-12-08 --last 3", 0, "261207,2026-12-07,0,2,0,0,",
       ""},
      {site + "--utc-offset +08:00 --date 2026-12-08 --last 3", 0, "261206,2026-12-06,0,1,0,0,",
       ""},
      {site + "--utc-offset -05:00 --date 2026-12-07 --last 2", 0, "261207,2026-12-07,0,1,0,0,",
       ""},
      {site + "--utc-offset -05:00 --date 2026-12-07 --last 2", 0, "261206,2026-12-06,0,3,0,0,",
       ""},
      {site + "--utc-offset +08:00 --date 2027-01-01 --today", 0, "270101,2027-01-01,2,0,0,0,", ""},
      {site + "--utc-offset +8", 2, "", "--utc-offset takes"},
      {"--root " + root + " --site A --all --local-days", 2, "", "--local-days goes with"},
  };
  expectRuns(dir, cases);
}

// Real or fake, by ranges files alone: a line from Google's range, an impostor, a line
// without an address; Baidu's lines cannot be told without DNS.
TEST(report_test, verify_by_ranges) {
  testing::TempDir dir;
  const std::string log = dir.write("u_ex261207.log",
                                    "#Fields: date time c-ip cs(User-Agent) sc-status\n"
                                    "2026-12-07 00:00:01 66.249.64.3 Googlebot/2.1 200\n"
                                    "2026-12-07 00:00:02 ::ffff:66.249.64.4 Googlebot/2.1 200\n"
                                    "2026-12-07 00:00:03 203.0.113.9 Googlebot/2.1 200\n"
                                    "2026-12-07 00:00:04 - Googlebot/2.1 200\n"
                                    "2026-12-07 00:00:05 220.181.108.80 Baiduspider 200\n")
                              .string();
  const std::string ranges = (dir.path() / "ranges").string();
  dir.write(
      "ranges/common-crawlers.json",
      R"({"creationTime":"2020-01-01T00:00:00","prefixes":[{"ipv4Prefix":"66.249.64.0/27"}]})");
  dir.write("ranges/googlebot.json", "{not json");
  const std::string args = "--file " + log + " --verify --no-dns --ranges " + ranges;
  struct Case {
    std::string format;
    std::string out;
  };
  for (const Case& c : {
           Case{"json",
                "\"verify\":{\"Baiduspider\":{\"verified\":0,\"fake\":0,\"unverified\":1},"
                "\"Googlebot\":{\"verified\":2,\"fake\":1,\"unverified\":1},"},
           Case{"csv",
                "Sosospider unverified,file,status\n"
                "261207,2026-12-07,1,4,0,0,0,0,1,2,1,1,0,0,0,0,0,0,"},
           Case{"json --detail", "\"Googlebot\":{\"lines\":4,\"unparsed\":0,"},
           Case{"json --detail", "\"approximate\":false"},
           Case{"csv --detail", "261207,"},
           Case{"table", "谷歌蜘蛛 真 2 假 1 未验证 1"},
       }) {
    const ReportRun run = runReport(dir, args + " --format " + c.format);
    EXPECT_EQ(run.status, 0) << c.format << run.err;
    if (c.out.find("approximate") != std::string::npos) continue;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << c.format << "\n" << run.out;
    EXPECT_NE(run.err.find("googlebot.json: not valid JSON"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("was published 2020-01-01"), std::string::npos) << run.err;
  }
  const ReportRun detail = runReport(dir, args + " --format json --detail");
  EXPECT_NE(detail.out.find("\"verified\":2,\"fake\":1,\"unverified\":1}"), std::string::npos)
      << "the verdicts join the detail's object too";
  const ReportRun longForm = runReport(dir, args + " --format csv --detail");
  EXPECT_NE(longForm.out.find(",Googlebot,fake,,1\n"), std::string::npos) << longForm.out;
  EXPECT_EQ(runReport(dir, "--file " + log + " --verify --ranges " + log).status, 1)
      << "a ranges folder that is not one";
}

TEST(report_test, output_file_is_whole_or_left_as_it_was) {
  testing::TempDir dir;
  const auto log = dir.write("ex080713.log", testing::testData("ex080713.log"));
  const auto target = dir.write("crawlers.csv", "the old file\n");
  const std::string file = "--file " + log.string();

  ReportRun run = runReport(dir, file + " --format csv --output " + target.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "") << "nothing on standard output";
  EXPECT_EQ(testing::readText(target).rfind("\xEF\xBB\xBF"
                                            "day,date,Baiduspider,",
                                            0),
            0u)
      << testing::readText(target);
  run = runReport(dir, file + " --format csv");
  EXPECT_EQ(run.out.rfind("day,date,", 0), 0u) << "no byte-order mark on standard output";

  run = runReport(dir, file + " --format json --output " + target.string());
  EXPECT_EQ(testing::readText(target).rfind("{\"rows\":[", 0), 0u) << "json gets no mark";

  // A file that cannot take the place of what is there: an error, the folder untouched,
  // and no temporary file left beside it.
  const auto folder = dir.path() / "a-folder";
  std::filesystem::create_directories(folder / "inside");
  run = runReport(dir, file + " --format csv --output " + folder.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write " + folder.string()), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
  run = runReport(dir, file + " --output " + (dir.path() / "none/x.csv").string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot create a file there"), std::string::npos) << run.err;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

#ifndef _WIN32
// A pipe, a device or a full disk: nothing hangs, and a failed write is no success.
TEST(report_test, hostile_files_and_outputs) {
  testing::TempDir dir;
  const auto fifo = dir.path() / "fifo.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto log = dir.write("ex080713.log", testing::testData("ex080713.log"));
  const std::string days = "--config " + testing::testDataPath("applicationHost.config") +
                           " --site 1 --last 36525 --format csv";
  struct Case {
    std::string args, output, err;
  };
  const Case cases[] = {
      {"--file " + fifo.string(), "", "a named pipe"},
      {"--config " + fifo.string() + " --list-sites", "", "a named pipe"},
      {"--file /dev/zero", "", "a device"},
      {"--file " + log.string() + " --format csv", "/dev/full", "cannot write the output"},
      {days, "/dev/full", "cannot write the output"},
      // A pipe whose reader has gone: the report says so instead of dying of a signal.
      {days, "| head -c 10 >/dev/null", "cannot write the output"},
  };
  for (const Case& c : cases) {
    const ReportRun run = runReport(dir, c.args, c.output);
    EXPECT_EQ(run.status, 1) << c.args << "\n" << run.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
  }
  // A link to a pipe under a day's IIS 7 name is named for what it is, not taken for a
  // missing day.
  const auto logs = dir.path() / "logs";
  std::filesystem::create_directories(logs);
  std::filesystem::create_symlink(fifo, logs / "u_ex080712.log");
  const std::string config = dir.write("applicationHost.config",
                                       "<configuration><system.applicationHost><sites><site "
                                       "name='S' id='1'><logFile directory='C:\\' /></site>"
                                       "</sites></system.applicationHost></configuration>")
                                 .string();
  std::filesystem::rename(logs, dir.path() / "W3SVC1");
  const ReportRun piped =
      runReport(dir, "--config " + config + " --drive C=" + dir.path().string() +
                         " --site 1 --last 2 --date 2008-07-13 --format csv");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_NE(piped.out.find("u_ex080712.log,unreadable"), std::string::npos) << piped.out;
  EXPECT_NE(piped.err.find("a named pipe, not a file"), std::string::npos) << piped.err;

  // Names with line breaks and escape sequences reach standard error as one line of text.
  const ReportRun named =
      runReport(dir, "--config " + testing::testDataPath("applicationHost.config") +
                         " --site \"$(printf 'a\\nb\\033[2J\\033]0;x\\007\\377')\" --today");
  EXPECT_EQ(named.status, 1);
  EXPECT_EQ(named.err.find('\033'), std::string::npos) << "no raw escape";
  EXPECT_EQ(named.err.find('\n'), named.err.size() - 1) << "one line: " << named.err;
  EXPECT_NE(named.err.find("a\\x0Ab\\x1B[2J\\x1B]0;x\\x07\xEF\xBF\xBD"), std::string::npos)
      << named.err;
  // A file of /proc says it is empty and reads forever: it is read as far as it says.
  const ReportRun proc = runReport(dir, "--file /proc/self/pagemap --format csv");
  EXPECT_EQ(proc.status, 0) << proc.err;
  EXPECT_NE(proc.out.find(",0,0,0,0,/proc/self/pagemap,ok"), std::string::npos) << proc.out;
}
#endif

}  // namespace
}  // namespace tarnwick
