#include "app/main_presenter.h"

#include <gtest/gtest.h>

#include <fstream>

#include "analysis/crawler_list.h"
#include "platform/utf8_path.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Buttons = MessageDialog::Buttons;
using Answer = MessageDialog::Answer;

// A window that records what it is told and answers what the test sets.
class FakeView : public MainView {
 public:
  Mode mode() const override { return setMode; }
  std::string dayCount() const override { return days; }
  std::vector<std::size_t> selectedRows() const override { return selected; }

  void showDayChoices(const std::vector<std::string>& c, const std::string& chosen) override {
    dayChoices = c;
    dayShown = chosen;
  }
  void showSites(const std::vector<std::string>& names) override { sites = names; }
  void showColumns(const std::vector<ResultsColumn>& c) override { columns = c; }
  void showRows(std::size_t count, bool follow) override {
    if (count < rowsShown) {
      ++resets;
      selected.clear();  // as a table's selection goes with its rows
    }
    rowsShown = count;
    followed = followed || (follow && count > 0);
  }
  void selectRows(const std::vector<std::size_t>& rows) override {
    selected = rows;
    reselected = rows;
  }
  void highlightSite(int index) override { highlighted = index; }
  void refreshRows() override { ++refreshes; }
  void enableVerifiedOnly(bool enabled) override { verifiedOnlyEnabled = enabled; }
  void showRunning(bool on) override { running = on; }
  void showProgress(std::size_t d, std::size_t p) override { done = d, planned = p; }
  void showStatus(std::string_view text) override { status = text; }
  void copyText(std::string_view text) override { clipboard = text; }
  void showChart(const ChartModel& c, const std::vector<std::size_t>& marked) override {
    chart = c;
    chartMarked = marked;
    ++chartsShown;
  }
  void showDetail(std::string_view title, std::string_view page) override {
    detailTitle = title;
    detailPage = page;
    ++detailsShown;
  }

  Mode setMode = Mode::Today;
  std::string days = "7";
  std::vector<std::size_t> selected;
  std::vector<std::size_t> reselected;  // what the presenter selected last

  std::vector<std::string> dayChoices, sites;
  std::string dayShown;
  std::vector<ResultsColumn> columns;
  std::size_t rowsShown = 0;
  int resets = 0;
  bool followed = false;
  int highlighted = -2;  // never told
  bool running = false;
  std::size_t done = 0, planned = 0;
  std::string status, clipboard;
  std::string detailTitle, detailPage;
  int detailsShown = 0;
  ChartModel chart;
  std::vector<std::size_t> chartMarked;
  int chartsShown = 0;
  int refreshes = 0;
  bool verifiedOnlyEnabled = false;
};

// A server drive with two sites: site 1 has logs, site 2's folder does not exist.
class MainPresenterTest : public ::testing::Test {
 protected:
  MainPresenterTest() {
    paths.mapDrive('C', dir.path());
    presenter = make(clock, input);  // with the drive mapped
    for (const char* day : {"080713", "080711", "080707", "081231", "090101"})
      dir.write(std::string("LogFiles/W3SVC1/ex") + day + ".log", "Googlebot\r\nBaiduspider\r\n");
    dir.write("LogFiles/W3SVC1/ex080712.log", testing::testData("ex080713.log"));
  }

  std::unique_ptr<MainPresenter> make(const Clock& on, const TextInput& with,
                                      const CrawlerList& list = designedCrawlers(),
                                      DetailLimits limits = {}) {
    auto made = std::make_unique<MainPresenter>(
        view,
        WindowServices{box, dialog, on, with, folders, paths, resolver, http,
                       dir.path() / "ranges"},
        sites, list, [] {}, JobSettings{2}, limits);
    made->load();
    return made;
  }
  // Takes rows until the analysis has finished.
  void finish() {
    ASSERT_TRUE(testing::pollUntil([&] { return !presenter->running(); },
                                   [&] { presenter->rowsWaiting(); }));
  }
  // The user selects site `index` with `mode` set, and the analysis runs to its end.
  void select(int index, Mode mode, const char* days = "7") {
    view.setMode = mode;
    view.days = days;
    presenter->siteSelected(index);
    finish();
  }
  // The user clicks site `index` with the mouse, as the windows report it: a press, a
  // selection where it changes (Windows reports one even where it does not), a release.
  void click(int index, bool reportsUnchanged = false) {
    presenter->sitePressed();
    if (reportsUnchanged || index != presenter->shownSite()) presenter->siteSelected(index);
    presenter->siteClicked(index);
    finish();
  }
  std::vector<std::string> labels() const {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < view.rowsShown; ++r) out.push_back(presenter->rows()[r].label);
    return out;
  }
  std::vector<std::string> cells(std::size_t row) const {
    std::vector<std::string> out;
    for (std::size_t c = 1; c < presenter->rows().columns().size(); ++c)
      out.push_back(presenter->rows().cell(row, c));
    return out;
  }

  testing::TempDir dir;
  std::shared_ptr<testing::FakeResolver> resolver = std::make_shared<testing::FakeResolver>();
  std::shared_ptr<testing::FakeHttpClient> http = std::make_shared<testing::FakeHttpClient>();
  SystemTextInput input;
  SystemFolderListing folders;
  PathResolver paths;
  std::vector<Site> sites{{"Default Web Site", "1", "C:\\LogFiles\\W3SVC1\\", LogClock::Utc},
                          {"Staging", "2", "C:\\LogFiles\\W3SVC2\\", LogClock::Local}};
  FakeView view;
  testing::FakeMessageDialog box;
  testing::FakeFileDialog dialog;
  FixedClock clock{{2008, 7, 13}};
  std::unique_ptr<MainPresenter> presenter;
};

TEST_F(MainPresenterTest, load_fills_the_lists_and_the_five_designed_columns) {
  EXPECT_EQ(view.dayChoices,
            (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(view.dayShown, "7");
  EXPECT_EQ(view.sites, (std::vector<std::string>{"Default Web Site", "Staging"}));
  std::vector<std::string> columns;
  for (const ResultsColumn& c : view.columns)
    columns.push_back(c.key + "=" + c.header + "@" + std::to_string(c.widthTwips));
  EXPECT_EQ(columns, (std::vector<std::string>{"MyDate=日期@800", "MyBaidu=百度蜘蛛@800",
                                               "MyGoogle=谷歌蜘蛛@800", "MyYahoo=雅虎蜘蛛@800",
                                               "MySoSo=搜搜蜘蛛@800"}));
  EXPECT_TRUE(box.shown.empty()) << "nothing is asked before the user selects a site";
  EXPECT_EQ(view.rowsShown, 0u);
}

TEST_F(MainPresenterTest, last_seven_days_newest_first_after_confirmation) {
  select(0, Mode::LastDays, "7");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "确认要查看最近7天的日志吗？");
  EXPECT_EQ(box.shown[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(box.shown[0].title, "提示");
  EXPECT_EQ(labels(), (std::vector<std::string>{"080713", "080712", "080711", "080710", "080709",
                                                "080708", "080707"}));
  EXPECT_EQ(cells(1), (std::vector<std::string>{"3", "4", "2", "1"}));
  EXPECT_EQ(cells(3), (std::vector<std::string>{"0", "0", "0", "0"})) << "no log that day";
  EXPECT_FALSE(view.followed) << "the newest row is the first: nothing to follow";
}

TEST_F(MainPresenterTest, days_cross_the_year_end) {
  FixedClock newYear({2009, 1, 1});
  presenter = make(newYear, input);
  select(0, Mode::LastDays, "2");
  EXPECT_EQ(labels(), (std::vector<std::string>{"090101", "081231"}));
  EXPECT_EQ(cells(1)[0], "1");
}

TEST_F(MainPresenterTest, missing_and_unreadable_logs_keep_their_zeros_but_are_greyed) {
  dir.write("LogFiles/W3SVC1/ex080710.log/inside", "a folder where a log should be");
  select(0, Mode::LastDays, "4");
  const ResultRows& rows = presenter->rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_FALSE(rows.greyed(0));
  EXPECT_NE(rows.tip(0).find("ex080713.log"), std::string::npos) << "names the file read";
  EXPECT_TRUE(rows.greyed(3));
  EXPECT_EQ(rows[3].status, FileResult::Status::Unreadable);
  EXPECT_NE(rows.tip(3).find("无法读取"), std::string::npos) << rows.tip(3);
  EXPECT_NE(rows.tip(3).find("不是文件，而是文件夹"), std::string::npos) << rows.tip(3);
  EXPECT_EQ(cells(3), (std::vector<std::string>{"0", "0", "0", "0"}));
  select(1, Mode::Today);
  EXPECT_TRUE(presenter->rows().greyed(0));
  EXPECT_NE(presenter->rows().tip(0).find("没有这个日志文件"), std::string::npos);
}

// Cancel at the question: the rows stay, and the list shows their site again.
TEST_F(MainPresenterTest, cancel_at_the_question_keeps_the_rows_and_their_site) {
  for (const Mode mode : {Mode::AllLogs, Mode::LastDays, Mode::Today}) {
    box.answer = Answer::Ok;
    select(0, Mode::Today);
    box.answer = Answer::Cancel;
    select(1, mode, "3");
    EXPECT_EQ(labels(), (std::vector<std::string>{"080713"})) << static_cast<int>(mode);
    EXPECT_EQ(view.highlighted, 0) << "the list highlights the site whose rows are shown";
    EXPECT_EQ(presenter->shownSite(), 0);
    EXPECT_NE(view.status.find("Default Web Site"), std::string::npos)
        << "the status still names the rows' site";
    // F5 runs the site the list went back to.
    box.answer = Answer::Ok;
    view.setMode = Mode::Today;
    const std::size_t asked = box.shown.size();
    presenter->runAgain();
    finish();
    EXPECT_EQ(box.shown.size(), asked + 1);
    EXPECT_EQ(presenter->shownSite(), 0);
    EXPECT_EQ(view.status.find("「Staging」"), std::string::npos) << view.status;
    box.answer = Answer::Cancel;
    // The site the list went back to is selected: selecting site 2 again asks again.
    select(1, mode, "3");
    EXPECT_EQ(box.shown.back().buttons, Buttons::OkCancel);
  }
  // Before any rows, a cancelled question leaves no site highlighted.
  presenter = make(clock, input);
  box.answer = Answer::Cancel;
  select(1, Mode::Today);
  EXPECT_EQ(view.highlighted, -1);
}

TEST_F(MainPresenterTest, all_logs_of_a_site_and_a_fresh_count_each_time) {
  select(0, Mode::AllLogs);
  EXPECT_EQ(box.shown.at(0).text,
            "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。");
  EXPECT_EQ(view.rowsShown, 6u);
  EXPECT_EQ(labels().front(), "080707");
  EXPECT_TRUE(view.followed) << "the newest log is listed last: the table follows it";
  presenter->runAgain();
  finish();
  EXPECT_EQ(view.resets, 1) << "the rows are replaced, not added to";
  EXPECT_EQ(labels().front(), "080707");
  EXPECT_EQ(view.rowsShown, 6u);
}

// Windows lists "Ex080713.log" after "ex080712.log": by name, ignoring case.
TEST_F(MainPresenterTest, all_logs_in_the_order_a_windows_server_lists_them) {
  dir.write("LogFiles/W3SVC1/Ex080714.log", "Googlebot\r\n");
  dir.write("LogFiles/W3SVC1/EX080706.log", "Googlebot\r\n");
  select(0, Mode::AllLogs);
  std::vector<std::string> names;
  for (std::size_t r = 0; r < view.rowsShown; ++r) {
    const std::string& name = presenter->rows()[r].name;
    names.push_back(name.substr(name.rfind('\\') + 1, 8));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"EX080706", "ex080707", "ex080711", "ex080712",
                                             "ex080713", "Ex080714", "ex081231", "ex090101"}))
      << "a byte-order sort would put the upper-case names first";
}

TEST_F(MainPresenterTest, all_logs_of_a_site_without_log_folder) {
  select(0, Mode::Today);
  select(1, Mode::AllLogs);
  ASSERT_EQ(box.shown.size(), 3u);
  EXPECT_EQ(box.shown[2].text, "该站点无日志文件。");
  EXPECT_EQ(box.shown[2].buttons, Buttons::Ok);
  EXPECT_EQ(view.rowsShown, 0u);
  EXPECT_NE(view.status.find("「Staging」所有日志：该站点无日志文件。日志目录不存在："
                             "C:\\LogFiles\\W3SVC2\\"),
            std::string::npos)
      << view.status;
}

// The daily modes still show a row per day, and the status line says why they are grey.
TEST_F(MainPresenterTest, a_missing_folder_or_drive_is_named_in_the_status_line) {
  select(1, Mode::LastDays, "7");
  EXPECT_EQ(view.rowsShown, 7u);
  EXPECT_NE(view.status.find("7 个日志文件不存在。日志目录不存在：C:\\LogFiles\\W3SVC2\\"),
            std::string::npos)
      << view.status;
  sites[1].logFolder = "D:\\logs\\W3SVC2\\";
  select(0, Mode::Today);
  select(1, Mode::Today);
  EXPECT_NE(view.status.find("驱动器不存在或未映射"), std::string::npos) << view.status;
  EXPECT_NE(view.status.find("D:\\logs\\W3SVC2\\"), std::string::npos) << view.status;
  select(0, Mode::Today);
  EXPECT_EQ(view.status.find("日志目录"), std::string::npos) << view.status;
}

TEST_F(MainPresenterTest, single_file_from_any_folder_through_the_open_dialog) {
  const auto elsewhere = dir.write("elsewhere/u_ex090315.log", testing::testData("ex080713.log"));
  select(0, Mode::SingleFile);
  EXPECT_EQ(dialog.opened, 1);
  EXPECT_EQ(view.rowsShown, 0u) << "a first use that is cancelled changes nothing";
  EXPECT_EQ(view.highlighted, -1) << "and leaves no site highlighted";
  EXPECT_EQ(dialog.filter, "日志文件|*.log|所有文件|*.*");
  EXPECT_TRUE(testing::samePlace(dialog.initialFolder, dir.path() / "LogFiles/W3SVC1"))
      << dialog.initialFolder;
  EXPECT_TRUE(box.shown.empty()) << "no confirmation";

  dialog.choice = elsewhere.string();
  select(1, Mode::SingleFile);
  EXPECT_TRUE(testing::samePlace(dialog.initialFolder, dir.path() / "LogFiles"))
      << "site 2's folder is missing: the nearest folder above it";
  EXPECT_EQ(labels(), (std::vector<std::string>{"090315"}));
  EXPECT_EQ(cells(0), (std::vector<std::string>{"3", "4", "2", "1"}));
  EXPECT_NE(view.status.find("单一日志 " + elsewhere.string()), std::string::npos) << view.status;
}

TEST_F(MainPresenterTest, status_names_site_mode_range_clock_files_and_totals) {
  select(0, Mode::LastDays, "3");
  EXPECT_FALSE(view.running);
  EXPECT_NE(
      view.status.find("「Default Web Site」最近 3 天（2008-07-11 至 2008-07-13，按 UTC 日期）"
                       "：3 个文件"),
      std::string::npos)
      << view.status;
  EXPECT_NE(view.status.find("合计 百度蜘蛛 5，谷歌蜘蛛 6，雅虎蜘蛛 2，搜搜蜘蛛 1。"),
            std::string::npos)
      << view.status;
  select(1, Mode::Today);
  EXPECT_NE(view.status.find("「Staging」当天日志（2008-07-13，按本地日期）"), std::string::npos);
  EXPECT_NE(view.status.find("1 个日志文件不存在"), std::string::npos) << view.status;
}

TEST_F(MainPresenterTest, added_crawlers_are_columns_after_the_four) {
  const CrawlerList list = parseCrawlerList("bingbot\t必应\nYandexBot\n").crawlers;
  dir.write("LogFiles/W3SVC1/ex080713.log", "bingbot\r\nbingbot YandexBot\r\n");
  presenter = make(clock, input, list);
  ASSERT_EQ(view.columns.size(), 7u);
  EXPECT_EQ(view.columns[5].header, "必应");
  EXPECT_EQ(view.columns[6].header, "YandexBot");
  select(0, Mode::Today);
  EXPECT_EQ(cells(0), (std::vector<std::string>{"0", "0", "0", "0", "2", "1"}));
}

// One click, one question: Windows reports a selection for a click on the site already
// selected, and the click itself runs it again.
TEST_F(MainPresenterTest, a_click_asks_once_whatever_the_toolkit_reports) {
  for (const bool reportsUnchanged : {false, true}) {
    box.shown.clear();
    presenter = make(clock, input);
    click(0, reportsUnchanged);
    EXPECT_EQ(box.shown.size(), 1u);
    click(0, reportsUnchanged);
    EXPECT_EQ(box.shown.size(), 2u) << "the selected site clicked again runs again";
    click(1, reportsUnchanged);
    EXPECT_EQ(box.shown.size(), 3u) << "another site";
    presenter->runAgain();
    finish();
    EXPECT_EQ(box.shown.size(), 4u) << "F5 runs the selected site again";
    // The keyboard moves the selection without a click.
    presenter->siteSelected(0);
    finish();
    EXPECT_EQ(box.shown.size(), 5u);
  }
}

struct ClockCase {
  const char* name;
  std::chrono::sys_seconds utc;
  const char* utcSite;    // today's label for the site whose logs roll over at midnight UTC
  const char* localSite;  // and for the one that rolls over by local time (UTC+8)
};

class TodayByTheLogsClock : public MainPresenterTest,
                            public ::testing::WithParamInterface<ClockCase> {};

// On a server in China, from midnight to 8 a.m. local time IIS still writes yesterday's
// UTC log: "today" is the day the site's logs are named after.
TEST_P(TodayByTheLogsClock, names_the_file_the_server_writes) {
  const testing::FixedInstantClock clock(GetParam().utc, std::chrono::hours(8));
  presenter = make(clock, input);
  select(0, Mode::Today);
  EXPECT_EQ(labels(), std::vector<std::string>{GetParam().utcSite});
  select(1, Mode::Today);
  EXPECT_EQ(labels(), std::vector<std::string>{GetParam().localSite});
}

using std::chrono::sys_days;
using namespace std::chrono_literals;
INSTANTIATE_TEST_SUITE_P(
    Clocks, TodayByTheLogsClock,
    ::testing::Values(
        // 00:30 on 13 July in UTC+8 is 16:30 on 12 July UTC.
        ClockCase{"just_after_local_midnight",
                  sys_days{std::chrono::July / 12 / 2008} + 16h + 30min, "080712", "080713"},
        // 07:30 local, the hour the issue was met.
        ClockCase{"half_past_seven_local", sys_days{std::chrono::July / 12 / 2008} + 23h + 30min,
                  "080712", "080713"},
        ClockCase{"just_before_utc_midnight", sys_days{std::chrono::July / 12 / 2008} + 23h + 59min,
                  "080712", "080713"},
        ClockCase{"just_after_utc_midnight", sys_days{std::chrono::July / 13 / 2008} + 1min,
                  "080713", "080713"}),
    [](const auto& info) { return std::string(info.param.name); });

// A site's first days, held at a gate so that the job is still running.
class RunningJob : public MainPresenterTest {
 protected:
  RunningJob() {
    slow.files[dir.path() / "LogFiles/W3SVC1/ex080713.log"] = {"Googlebot\r\n"};
    slow.files[dir.path() / "LogFiles/W3SVC1/ex080712.log"] = {"Googlebot\r\n", -1, gate};
    slow.files[dir.path() / "LogFiles/W3SVC2/ex080713.log"] = {"Baiduspider\r\n"};
    std::filesystem::create_directories(dir.path() / "LogFiles/W3SVC2");
    presenter = make(clock, slow);
    view.setMode = Mode::LastDays;
    view.days = "3";
    presenter->siteSelected(0);
    EXPECT_TRUE(
        testing::pollUntil([&] { return view.rowsShown == 1; }, [&] { presenter->rowsWaiting(); }));
    gate->awaitWaiting(1);
  }
  ~RunningJob() override { gate->open(); }

  std::shared_ptr<testing::Gate> gate = std::make_shared<testing::Gate>();
  testing::FakeInput slow;
};

// Rows of the old site must never appear once another site is selected.
TEST_F(RunningJob, a_selection_while_a_job_runs_cancels_it_first) {
  EXPECT_TRUE(view.running);
  EXPECT_NE(view.status.find("正在分析「Default Web Site」"), std::string::npos);
  view.setMode = Mode::Today;
  presenter->siteSelected(1);
  finish();
  gate->open();
  EXPECT_EQ(labels(), (std::vector<std::string>{"080713"}));
  EXPECT_EQ(cells(0), (std::vector<std::string>{"1", "0", "0", "0"})) << "the new site's row";
  EXPECT_NE(view.status.find("「Staging」"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  presenter->rowsWaiting();
  EXPECT_EQ(view.rowsShown, 1u) << "nothing of the old job arrives late";
}

// The old job ends before the question: whatever the answer, none of its rows follows.
TEST_F(RunningJob, a_selection_cancelled_at_the_question_still_ends_the_old_job) {
  box.answer = Answer::Cancel;
  view.setMode = Mode::Today;
  presenter->siteSelected(1);
  EXPECT_FALSE(presenter->running());
  EXPECT_FALSE(view.running);
  gate->open();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  presenter->rowsWaiting();
  EXPECT_EQ(labels(), (std::vector<std::string>{"080713"})) << "the rows finished before stay";
  EXPECT_EQ(view.highlighted, 0);
}

TEST_F(RunningJob, the_user_cancels_and_the_finished_rows_stay) {
  presenter->cancel();
  EXPECT_FALSE(presenter->running());
  EXPECT_FALSE(view.running);
  EXPECT_EQ(labels(), (std::vector<std::string>{"080713"}));
  EXPECT_NE(view.status.find("已取消，保留已完成的 1/3 行"), std::string::npos) << view.status;
}

TEST_F(MainPresenterTest, rows_copy_as_tab_separated_text) {
  dir.write("LogFiles/W3SVC1/=cmd.log", "Googlebot\r\n");
  select(0, Mode::AllLogs);
  presenter->copyRows();
  const std::string all = view.clipboard;
  EXPECT_EQ(all.substr(0, all.find('\n')), "日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛");
  EXPECT_NE(all.find("\n'=cmd\t0\t1\t0\t0\n"), std::string::npos) << "never a formula:\n" << all;
  view.selected = {1, 3};
  presenter->chooseRowMenu(RowMenuEntry::Copy);
  EXPECT_EQ(
      view.clipboard,
      "日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛\n080707\t1\t1\t0\t0\n080712\t3\t4\t2\t1\n");
}

// The export takes what the copy takes, under the window's headers, with the day as a
// date a spreadsheet reads, and says where it went.
TEST_F(MainPresenterTest, export_writes_the_selection_as_csv_and_says_where) {
  select(0, Mode::LastDays, "3");
  view.selected = {0, 2};
  dialog.saveAs = utf8Of(dir.path() / pathFromUtf8("导出.csv"));  // dialogs answer in UTF-8
  presenter->chooseRowMenu(RowMenuEntry::ExportCsv);
  std::ifstream in(pathFromUtf8(dialog.saveAs), std::ios::binary);
  const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF") << "a byte-order mark for spreadsheets";
  const std::string header = csv.substr(3, csv.find('\n') - 2);
  EXPECT_EQ(header, "日期,年月日,百度蜘蛛,谷歌蜘蛛,雅虎蜘蛛,搜搜蜘蛛,文件,状态\n");
  EXPECT_NE(csv.find("\n080713,2008-07-13,1,1,0,0,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\n080711,2008-07-11,1,1,0,0,"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("080712"), std::string::npos) << "only the selected rows";
  EXPECT_NE(csv.find(",已读取\n"), std::string::npos) << csv;
  EXPECT_EQ(view.status, "已导出 2 行到 " + dialog.saveAs + "。");

  // A file that cannot be written is said in a box, and the status stays.
  dialog.saveAs = utf8Of(dir.path() / "no-such-folder" / "x.csv");
  presenter->exportCsv();
  ASSERT_FALSE(box.shown.empty());
  EXPECT_EQ(box.shown.back().text.rfind("无法写入文件：" + dialog.saveAs, 0), 0u)
      << box.shown.back().text;
  EXPECT_EQ(view.status.rfind("已导出 2 行", 0), 0u);
}

// Memory running out stops the analysis with a word, and the window goes on.
TEST_F(MainPresenterTest, running_out_of_memory_is_said_and_the_rows_stay) {
  struct Hungry : TextInput {
    OpenedFile open(const std::filesystem::path&) const override { throw std::bad_alloc(); }
    bool isFile(const std::filesystem::path&) const override { return true; }
  } hungry;
  presenter = make(clock, hungry);
  view.setMode = Mode::LastDays;
  presenter->siteSelected(0);
  ASSERT_TRUE(testing::pollUntil([&] { return !presenter->running(); },
                                 [&] { presenter->showProgress(); }));
  EXPECT_FALSE(view.running);
  EXPECT_NE(view.status.find("内存不足，已停止"), std::string::npos) << view.status;
  EXPECT_EQ(box.shown.back().text.rfind("内存不足", 0), 0u);
}

// Finding a site's files lists its folder, which on a hanging share never returns: the
// window does not wait for it, and Esc gets control back at once.
TEST_F(MainPresenterTest, a_folder_listing_that_never_returns_does_not_hold_the_window) {
  struct Hanging : FolderListing {
    FolderContents list(const std::filesystem::path&) const override {
      const auto held = gate;  // the listing may return after the test is gone
      held->wait();
      return {FolderContents::Status::NotFound, {}, "gone"};
    }
    bool isFolder(const std::filesystem::path&) const override { return false; }
    std::shared_ptr<testing::Gate> gate = std::make_shared<testing::Gate>();
  } hanging;
  auto made = std::make_unique<MainPresenter>(
      view, WindowServices{box, dialog, clock, input, hanging, paths}, sites, designedCrawlers(),
      [] {}, JobSettings{2});
  made->load();
  view.setMode = Mode::AllLogs;
  made->siteSelected(0);
  hanging.gate->awaitWaiting(1);
  EXPECT_TRUE(made->running()) << "the selection returned while the listing waits";
  EXPECT_TRUE(view.running);
  made->cancel();
  EXPECT_FALSE(made->running());
  EXPECT_NE(view.status.find("已取消"), std::string::npos) << view.status;
  hanging.gate->open();
  made.reset();
}

// A day of Googlebot lines with the fields the detail view reads, on a server in UTC+8.
class DetailView : public MainPresenterTest {
 protected:
  DetailView() {
    dir.write("LogFiles/W3SVC1/ex080713.log",
              "#Fields: date time c-ip cs-uri-stem sc-status sc-bytes time-taken cs(User-Agent)\r\n"
              "2008-07-13 01:10:00 66.249.71.5 /news/a.html 200 2048 15 Googlebot/2.1\r\n"
              "2008-07-13 01:20:00 66.249.71.6 /news/b.html 404 1024 5 Googlebot/2.1\r\n"
              "2008-07-13 23:30:00 66.249.72.1 /index.html 301 0 10 Googlebot/2.1\r\n");
    presenter = make(east, input);
    select(0, Mode::Today);
  }
  // The user runs the selected site again, with `mode` set.
  void again(Mode mode, const char* days = "7") {
    view.setMode = mode;
    view.days = days;
    presenter->runAgain();
    finish();
  }
  std::string section(const std::string& heading) const {
    const std::size_t at = view.detailPage.find(heading + "\n");
    if (at == std::string::npos) return {};
    return view.detailPage.substr(at, view.detailPage.find("\n\n", at) - at + 1);
  }

  testing::FixedInstantClock east{sys_days{std::chrono::July / 13 / 2008} + 12h, 8h};
};

TEST_F(DetailView, opening_reads_the_rows_again_with_their_fields) {
  EXPECT_TRUE(presenter->rows()[0].detail.empty()) << "counting alone until the view is asked for";
  const std::size_t asked = box.shown.size();
  presenter->chooseRowMenu(RowMenuEntry::Detail);
  EXPECT_TRUE(presenter->running()) << "the same files again";
  EXPECT_EQ(box.shown.size(), asked) << "without asking again";
  finish();
  EXPECT_EQ(labels(), std::vector<std::string>{"080713"});
  EXPECT_NE(view.detailTitle.find("蜘蛛详情 - 「Default Web Site」"), std::string::npos);
  EXPECT_NE(view.detailTitle.find("全部 1 行"), std::string::npos) << view.detailTitle;
  EXPECT_NE(view.detailPage.find("时段按本机时间：Test Time（UTC+08:00），日志记录的是 UTC 时间。"),
            std::string::npos);
  const std::string blocks = [] {
    std::string b;
    for (int i = 0; i < 24; ++i) b += "\u2588";
    return b;
  }();
  std::string google = section("谷歌蜘蛛（Googlebot）");
  EXPECT_EQ(google.substr(0, google.find("\t00时")),
            "谷歌蜘蛛（Googlebot）\n行数\t3\n状态码\t1\t2xx\n\t1\t3xx\n\t1\t4xx\n"
            "抓取量\t3.0 KB\n平均用时\t10 毫秒\n不同 IP\t3\n"
            "热门页面\t1\t/index.html\n\t1\t/news/a.html\n\t1\t/news/b.html\n"
            "热门目录\t2\t/news/\n\t1\t/\n"
            "热门 IP 段\t2\t66.249.71.*\n\t1\t66.249.72.*\n"
            "时段");
  // 01:xx UTC is 09:xx in UTC+8, 23:30 UTC is 07:30 the next morning.
  EXPECT_NE(google.find("\t09时\t2\t" + blocks + "\n"), std::string::npos) << google;
  EXPECT_NE(google.find("\t07时\t1\t" + blocks.substr(0, 12 * 3) + "\n"), std::string::npos);
  EXPECT_NE(google.find("\t01时\t0\t\n"), std::string::npos);
  EXPECT_EQ(section("百度蜘蛛（Baiduspider）"), "百度蜘蛛（Baiduspider）\n行数\t0\n");

  presenter->showExactStatus(true);
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("状态码\t1\t200\n\t1\t301\n\t1\t404\n"),
            std::string::npos);
  presenter->copyDetail();
  EXPECT_EQ(view.clipboard, view.detailPage);
}

TEST_F(DetailView, while_open_every_analysis_reads_details_and_after_it_none) {
  presenter->openDetail();
  finish();
  again(Mode::Today);
  ASSERT_EQ(presenter->rows()[0].detail.size(), 4u);
  EXPECT_EQ(presenter->rows()[0].detail[1].lines, 3u);
  presenter->detailClosed();
  const int shown = view.detailsShown;
  again(Mode::Today);
  EXPECT_TRUE(presenter->rows()[0].detail.empty());
  EXPECT_EQ(view.detailsShown, shown) << "a closed view is left alone";
}

// Rows of many distinct values would fill the memory: past the budget each row that
// arrives keeps its most frequent values, and says the lists are approximate.
TEST_F(DetailView, past_the_budget_rows_keep_their_most_frequent_values) {
  presenter = make(east, input, designedCrawlers(), {4, 1});
  view.setMode = Mode::LastDays;
  view.days = "2";
  presenter->siteSelected(0);
  finish();
  presenter->openDetail();
  finish();
  ASSERT_EQ(labels(), (std::vector<std::string>{"080713", "080712"}));
  const CrawlerDetail& first = presenter->rows()[0].detail[1];
  EXPECT_EQ(first.pages.distinct(), 1u) << "the budget is spent at once";
  EXPECT_EQ(first.pages.top(1),
            (std::vector<std::pair<std::string, std::uint64_t>>{{"/index.html", 1}}));
  EXPECT_TRUE(first.approximate());
  EXPECT_EQ(first.lines, 3u) << "the counts stay whole";
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("不同 IP\t1（近似，至少）\n"), std::string::npos)
      << view.detailPage;
}

TEST_F(DetailView, follows_the_selected_rows) {
  presenter->openDetail();
  finish();
  again(Mode::LastDays, "3");  // 080713 with the fields, 080712 the test log, 080711
  ASSERT_EQ(labels(), (std::vector<std::string>{"080713", "080712", "080711"}));
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("行数\t8\n"), std::string::npos)
      << "3 + 4 + 1, as the rows count:\n"
      << view.detailPage;
  view.selected = {1, 2};
  presenter->rowSelectionChanged();
  EXPECT_NE(view.detailTitle.find("所选 2 行"), std::string::npos);
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("行数\t5\n"), std::string::npos);
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("无法读取字段的行\t1\n"), std::string::npos)
      << "080711's line has no directive before it:\n"
      << view.detailPage;
}

// Opened on rows read without their details, the view has the same files read again:
// the rows the user had selected are selected again once they are back, and shown.
TEST_F(DetailView, the_selected_rows_are_selected_again_once_read_with_their_details) {
  again(Mode::LastDays, "3");
  view.selected = {1};
  presenter->openDetail();
  EXPECT_TRUE(view.selected.empty()) << "the rows are read again";
  finish();
  EXPECT_EQ(view.reselected, std::vector<std::size_t>{1});
  presenter->rowSelectionChanged();  // as a table tells of every change of its selection
  EXPECT_NE(view.detailTitle.find("所选 1 行"), std::string::npos) << view.detailTitle;
  EXPECT_NE(section("谷歌蜘蛛（Googlebot）").find("行数\t4\n"), std::string::npos)
      << "080712's lines alone:\n"
      << view.detailPage;
}

// The report takes the rows the export takes, as one page, with their details where the
// rows were read with them.
TEST_F(DetailView, the_report_is_one_page_of_the_selected_rows) {
  again(Mode::LastDays, "3");
  view.selected = {1};
  dialog.saveAs = utf8Of(dir.path() / pathFromUtf8("报告.html"));
  presenter->chooseRowMenu(RowMenuEntry::ExportReport);
  EXPECT_EQ(dialog.saveTitle, "导出报告");
  const auto read = [&] {
    std::ifstream in(pathFromUtf8(dialog.saveAs), std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  };
  std::string page = read();
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("「Default Web Site」最近 3 天"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"t\">080712</td><td>3</td><td>4</td>"), std::string::npos);
  EXPECT_EQ(page.find(">080713<"), std::string::npos) << "only the selected row";
  EXPECT_EQ(page.find("蜘蛛详情"), std::string::npos) << "read without their details";
  EXPECT_EQ(view.status, "已导出 1 行到 " + dialog.saveAs + "。");

  presenter->openDetail();
  finish();
  view.selected = {0};
  presenter->exportReport();
  page = read();
  EXPECT_NE(page.find("谷歌蜘蛛（Googlebot）"), std::string::npos);
  EXPECT_NE(page.find("<title>09时：0</title>"), std::string::npos) << "hours as logged, UTC";
  EXPECT_NE(page.find("<title>01时：2</title>"), std::string::npos);
}

// The chart follows the rows as they arrive and marks the selected ones; closed, it is
// left alone.
TEST_F(RunningJob, the_chart_follows_the_rows_as_they_arrive) {
  presenter->chooseRowMenu(RowMenuEntry::Chart);
  ASSERT_EQ(view.chartsShown, 1);
  EXPECT_EQ(view.chart.labels, std::vector<std::string>{"080713"});
  ASSERT_EQ(view.chart.series.size(), 4u);
  EXPECT_EQ(view.chart.series[1].name, "谷歌蜘蛛");
  EXPECT_EQ(view.chart.series[1].values, std::vector<std::uint64_t>{1});
  gate->open();
  finish();
  EXPECT_EQ(view.chart.labels, (std::vector<std::string>{"080713", "080712", "080711"}));
  EXPECT_EQ(view.chart.series[1].values, (std::vector<std::uint64_t>{1, 1, 0}));
  view.selected = {1, 2};
  presenter->rowSelectionChanged();
  EXPECT_EQ(view.chartMarked, (std::vector<std::size_t>{1, 2}));
  presenter->chartClosed();
  const int shown = view.chartsShown;
  presenter->runAgain();
  finish();
  EXPECT_EQ(view.chartsShown, shown);
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

// A site that cannot be counted says why before any question, and nothing runs; an
// hourly site's day is its hours, and the status line says so.
TEST_F(MainPresenterTest, sites_say_how_they_log) {
  sites[1].logging = {Logging::Ncsa, LogPeriod::Daily};
  select(0, Mode::Today);
  box.shown.clear();
  view.setMode = Mode::LastDays;
  presenter->siteSelected(1);
  ASSERT_EQ(box.shown.size(), 1u) << "no question first";
  EXPECT_EQ(box.shown[0].text, "该站点的日志为 NCSA 格式，不记录 User-Agent，无法统计蜘蛛。");
  EXPECT_FALSE(presenter->running());
  EXPECT_EQ(view.highlighted, 0) << "the list goes back to the site whose rows are shown";

  sites[0].logging.logging = Logging::Etw;
  box.shown.clear();
  presenter->runAgain();  // F5 on the site shown, now in 最近 n 天
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_NE(box.shown[0].text.find("只把日志写入 ETW"), std::string::npos) << box.shown[0].text;
  sites[0].logging.logging = Logging::W3c;

  sites[0].logging.period = LogPeriod::Hourly;
  dir.write("LogFiles/W3SVC1/u_ex08071301.log", "Googlebot\r\n");
  dir.write("LogFiles/W3SVC1/u_ex08071302_x.log", "Googlebot\r\nGooglebot\r\n");
  view.setMode = Mode::Today;
  presenter->runAgain();
  finish();
  EXPECT_EQ(labels(), std::vector<std::string>{"080713"});
  EXPECT_EQ(cells(0)[1], "3");
  EXPECT_NE(view.status.find("按 UTC 日期，每小时一个日志"), std::string::npos) << view.status;
}

// 按本地时间分日: the rows are this computer's days (UTC+8 here), each line by its own
// date and time, read again at once without a question.
TEST_F(MainPresenterTest, local_days_of_utc_logs) {
  const std::string fields = "#Fields: date time cs(User-Agent)\r\n";
  dir.write("LogFiles/W3SVC1/ex080712.log", fields +
                                                "2008-07-12 15:59:59 Googlebot\r\n"
                                                "2008-07-12 16:00:00 Googlebot\r\n");
  dir.write("LogFiles/W3SVC1/ex080713.log", fields +
                                                "2008-07-13 01:00:00 Googlebot\r\n"
                                                "2008-07-13 16:30:00 Googlebot\r\n");
  testing::FixedInstantClock local(
      std::chrono::sys_days(std::chrono::year{2008} / 7 / 13) + std::chrono::hours(17),
      std::chrono::hours(8));
  presenter = make(local, input);
  select(0, Mode::LastDays, "2");
  EXPECT_EQ(labels(), (std::vector<std::string>{"080713", "080712"}));
  EXPECT_EQ(cells(0)[1], "2");
  box.shown.clear();
  presenter->localDaysToggled(true);
  finish();
  EXPECT_TRUE(box.shown.empty()) << "no question for a tick";
  EXPECT_EQ(labels(), (std::vector<std::string>{"080714", "080713"})) << "17:00 UTC is the 14th";
  EXPECT_EQ(cells(0)[1], "1");
  EXPECT_EQ(cells(1)[1], "2");
  EXPECT_NE(view.status.find("按本地日期"), std::string::npos) << view.status;
}

// A day of a site with its crawlers' addresses: a real Baiduspider, an impostor, and a
// Googlebot that only the ranges can tell.
class VerifyTest : public MainPresenterTest {
 protected:
  VerifyTest() {
    dir.write("LogFiles/W3SVC1/ex080713.log",
              "#Fields: date time c-ip cs(User-Agent)\n"
              "2008-07-13 00:00:01 1.1.1.1 Baiduspider\n"
              "2008-07-13 00:00:02 1.1.1.1 Baiduspider\n"
              "2008-07-13 00:00:03 6.6.6.6 Baiduspider\n"
              "2008-07-13 00:00:04 66.249.64.3 Googlebot\n");
    resolver->names["1.1.1.1"] = {Resolver::Status::Found, "crawl.baidu.com"};
    resolver->addresses["crawl.baidu.com"] = {"1.1.1.1"};
    resolver->names["6.6.6.6"] = {Resolver::Status::Found, "evil.example.net"};
    resolver->gate = gate;
    select(0, Mode::Today);
  }
  ~VerifyTest() override { gate->open(); }

  // Ticks the progress timer until nothing runs.
  void settle() {
    ASSERT_TRUE(testing::pollUntil([&] { return !presenter->busy(); },
                                   [&] {
                                     presenter->rowsWaiting();
                                     presenter->showProgress();
                                   }));
  }

  std::shared_ptr<testing::Gate> gate = std::make_shared<testing::Gate>();
};

TEST_F(VerifyTest, verdicts_fill_in_as_dns_answers) {
  presenter->verifyToggled(true);
  EXPECT_TRUE(view.verifiedOnlyEnabled);
  ASSERT_EQ(view.columns.size(), 9u) << "a verification column per crawler after the designed ones";
  EXPECT_EQ(view.columns[5].header, "百度蜘蛛 真/假/未验证");
  finish();  // the rows are in; DNS has not answered
  EXPECT_TRUE(presenter->busy());
  EXPECT_TRUE(view.running) << "the cancel button stays while lookups run";
  EXPECT_EQ(cells(0),
            (std::vector<std::string>{"3", "1", "0", "0", "0/0/3…", "0/0/1…", "0/0/0", "0/0/0"}));
  presenter->showProgress();
  EXPECT_NE(view.status.find("正在反向解析蜘蛛 IP"), std::string::npos) << view.status;
  gate->open();
  settle();
  EXPECT_EQ(cells(0),
            (std::vector<std::string>{"3", "1", "0", "0", "2/1/0", "0/0/1", "0/0/0", "0/0/0"}));
  EXPECT_FALSE(view.running);
  EXPECT_NE(view.status.find("验证：未找到 IP 段文件"), std::string::npos) << view.status;

  presenter->verifiedOnlyToggled(true);
  EXPECT_EQ(cells(0)[0], "2") << "the crawler's column counts verified lines alone";
  presenter->openChart();
  EXPECT_EQ(view.chart.series[0].values[0], 2u);
}

TEST_F(VerifyTest, window_never_waits_for_dns) {
  presenter->verifyToggled(true);
  finish();
  EXPECT_TRUE(presenter->busy());
  presenter->cancel();  // Esc: the lines still waiting stay unverified
  EXPECT_FALSE(presenter->busy());
  EXPECT_EQ(cells(0)[4], "0/0/3");
  presenter->verifyToggled(false);
  EXPECT_EQ(view.columns.size(), 5u);
  presenter->verifyToggled(true);
  finish();
  const auto start = std::chrono::steady_clock::now();
  presenter.reset();  // closing the window while lookups hang
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(VerifyTest, updated_ranges_verify_again) {
  gate->open();
  presenter->verifyToggled(true);
  settle();
  EXPECT_EQ(cells(0)[5], "0/0/1") << "Googlebot has no ranges file yet, nor a name";
  http->bodies["common-crawlers.json"] =
      R"({"creationTime":"2008-07-01T00:00:00","prefixes":[{"ipv4Prefix":"66.249.64.0/27"}]})";
  presenter->chooseRowMenu(RowMenuEntry::UpdateRanges);
  EXPECT_TRUE(presenter->busy());
  settle();
  EXPECT_EQ(cells(0)[5], "1/0/0");
  EXPECT_NE(view.status.find("IP 段文件已更新：common-crawlers.json（1 段）"), std::string::npos)
      << view.status;
  EXPECT_NE(view.status.find("未能更新（保留原文件）：googlebot.json"), std::string::npos);
  EXPECT_NE(view.status.find("common-crawlers.json（2008-07-01）"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
