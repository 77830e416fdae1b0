#include "app/site_selection.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "analysis/results_layout.h"
#include "platform/memory_table.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Buttons = MessageDialog::Buttons;

class RecordingStatus : public StatusView {
 public:
  void showRunning(bool on) override { running = on; }
  void showProgress(std::size_t d, std::size_t p) override { done = d, planned = p; }
  void showStatus(std::string_view text) override { status = text; }
  bool running = false;
  std::size_t done = 0, planned = 0;
  std::string status;
};

// A server drive with two sites: site 1 has logs, site 2's folder does not exist.
class SiteSelectionTest : public ::testing::Test {
 protected:
  SiteSelectionTest() {
    prepareResultsTable(table);
    paths.mapDrive('C', dir.path());
    for (const char* day : {"080713", "080711", "080707", "081231", "090101"})
      dir.write(std::string("LogFiles/W3SVC1/ex") + day + ".log", "Googlebot\r\nBaiduspider\r\n");
    dir.write("LogFiles/W3SVC1/ex080712.log", testing::testData("ex080713.log"));
    for (SiteList* list : {&list2, &list3}) {
      list->append("C:\\LogFiles\\W3SVC1\\");
      list->append("C:\\LogFiles\\W3SVC2\\");
    }
  }

  std::unique_ptr<SiteSelection> make(const Clock& on, const TextInput& with) {
    return std::make_unique<SiteSelection>(
        WindowServices{box, dialog, on, with, folders, paths},
        SelectionTargets{table, sites, list2, list3, status}, designedCrawlers(), [] {},
        JobSettings{2});
  }
  // Takes rows until the analysis has finished.
  void finish(SiteSelection& s) {
    ASSERT_TRUE(testing::pollUntil([&] { return !s.running(); }, [&] { s.takeRows(); }));
  }
  void click(int index, Mode mode, const char* days = "7") {
    selection->List1_Click(index, mode, days);
    finish(*selection);
  }
  std::vector<std::string> labels() const {
    std::vector<std::string> out;
    for (const auto& row : table.rows()) out.push_back(row.key + "=" + row.text);
    return out;
  }

  testing::TempDir dir;
  SystemTextInput input;
  SystemFolderListing folders;
  PathResolver paths;
  MemoryTable table;
  std::vector<Site> sites{{"Default Web Site", "1", "C:\\LogFiles\\W3SVC1\\", LogClock::Utc},
                          {"Staging", "2", "C:\\LogFiles\\W3SVC2\\", LogClock::Local}};
  SiteList list2, list3;
  RecordingStatus status;
  testing::FakeMessageDialog box;
  testing::FakeFileDialog dialog;
  FixedClock clock{{2008, 7, 13}};
  std::unique_ptr<SiteSelection> selection = make(clock, input);
};

TEST_F(SiteSelectionTest, last_seven_days_newest_first_after_confirmation) {
  click(0, Mode::LastDays, "7");
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "确认要查看最近7天的日志吗？");
  EXPECT_EQ(box.shown[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(box.shown[0].title, "提示");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713", "ayfy2=080712", "ayfy3=080711",
                                                "ayfy4=080710", "ayfy5=080709", "ayfy6=080708",
                                                "ayfy7=080707"}));
  EXPECT_EQ(table.rows()[1].cells, (std::vector<std::string>{"3", "4", "2", "1"}));
  EXPECT_EQ(table.rows()[3].cells, (std::vector<std::string>{"0", "0", "0", "0"}))
      << "no log that day";
  EXPECT_EQ(list3.selected(), 0);
  EXPECT_EQ(selection->fileNo(), 7);
}

TEST_F(SiteSelectionTest, days_cross_the_year_end) {
  FixedClock newYear({2009, 1, 1});
  selection = make(newYear, input);
  click(0, Mode::LastDays, "2");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=090101", "ayfy2=081231"}));
  EXPECT_EQ(table.rows()[1].cells[0], "1");
}

TEST_F(SiteSelectionTest, missing_and_unreadable_logs_keep_their_zeros_but_are_marked) {
  dir.write("LogFiles/W3SVC1/ex080710.log/inside", "a folder where a log should be");
  click(0, Mode::LastDays, "4");
  ASSERT_EQ(table.rows().size(), 4u);
  EXPECT_EQ(table.rows()[0].state, RowState::Counted);
  EXPECT_NE(table.rows()[0].tip.find("ex080713.log"), std::string::npos) << "names the file read";
  EXPECT_EQ(table.rows()[3].state, RowState::Unreadable);
  EXPECT_NE(table.rows()[3].tip.find("a folder"), std::string::npos) << table.rows()[3].tip;
  EXPECT_EQ(table.rows()[3].cells, (std::vector<std::string>{"0", "0", "0", "0"}));
  click(1, Mode::Today);
  EXPECT_EQ(table.rows()[0].state, RowState::Missing);
  EXPECT_NE(table.rows()[0].tip.find("没有这个日志文件"), std::string::npos);
}

TEST_F(SiteSelectionTest, cancel_keeps_the_earlier_rows_for_every_confirmed_mode) {
  for (const Mode mode : {Mode::AllLogs, Mode::LastDays, Mode::Today}) {
    box.answer = MessageDialog::Answer::Ok;
    click(0, Mode::Today);
    box.answer = MessageDialog::Answer::Cancel;
    click(1, mode, "3");
    EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"})) << static_cast<int>(mode);
    EXPECT_EQ(list3.selected(), 1) << "the selection is copied before asking";
    EXPECT_NE(status.status.find("Default Web Site"), std::string::npos)
        << "the status still names the rows' site";
  }
}

TEST_F(SiteSelectionTest, all_logs_of_a_site_and_a_fresh_count_each_time) {
  click(0, Mode::AllLogs);
  EXPECT_EQ(box.shown.at(0).text,
            "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。");
  EXPECT_EQ(list2.selected(), 0);
  EXPECT_EQ(table.rows().size(), 6u);
  EXPECT_EQ(table.rows().front().text, "080707");
  click(0, Mode::AllLogs);
  EXPECT_EQ(labels().front(), "ayfy1=080707") << "numbering starts again from 1";
  EXPECT_EQ(selection->fileNo(), 6);
}

TEST_F(SiteSelectionTest, all_logs_of_a_site_without_log_folder) {
  click(0, Mode::Today);
  click(1, Mode::AllLogs);
  ASSERT_EQ(box.shown.size(), 3u);
  EXPECT_EQ(box.shown[2].text, "该站点无日志文件。");
  EXPECT_EQ(box.shown[2].buttons, Buttons::Ok);
  EXPECT_TRUE(table.rows().empty());
  EXPECT_NE(status.status.find("「Staging」所有日志：该站点无日志文件"), std::string::npos)
      << status.status;
}

TEST_F(SiteSelectionTest, single_file_from_any_folder_through_the_open_dialog) {
  const auto elsewhere = dir.write("elsewhere/u_ex090315.log", testing::testData("ex080713.log"));
  click(0, Mode::SingleFile);
  EXPECT_EQ(dialog.opened, 1);
  EXPECT_TRUE(table.rows().empty()) << "a first use that is cancelled changes nothing";
  EXPECT_EQ(dialog.filter, "日志文件|*.log|所有文件|*.*");
  EXPECT_TRUE(testing::samePlace(dialog.initialFolder, dir.path() / "LogFiles/W3SVC1"))
      << dialog.initialFolder;
  EXPECT_TRUE(box.shown.empty()) << "no confirmation";

  dialog.choice = elsewhere.string();
  click(1, Mode::SingleFile);
  EXPECT_TRUE(testing::samePlace(dialog.initialFolder, dir.path() / "LogFiles"))
      << "site 2's folder is missing: the nearest folder above it";
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=090315"}));
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"3", "4", "2", "1"}));
  EXPECT_NE(status.status.find("单一日志 " + elsewhere.string()), std::string::npos)
      << status.status;
}

TEST_F(SiteSelectionTest, status_names_site_mode_range_clock_files_and_totals) {
  click(0, Mode::LastDays, "3");
  EXPECT_FALSE(status.running);
  EXPECT_NE(
      status.status.find("「Default Web Site」最近 3 天（2008-07-11 至 2008-07-13，按 UTC 日期）"
                         "：3 个文件"),
      std::string::npos)
      << status.status;
  EXPECT_NE(status.status.find("合计 百度蜘蛛 5，谷歌蜘蛛 6，雅虎蜘蛛 2，搜搜蜘蛛 1。"),
            std::string::npos)
      << status.status;
  click(1, Mode::Today);
  EXPECT_NE(status.status.find("「Staging」当天日志（2008-07-13，按本地日期）"), std::string::npos);
  EXPECT_NE(status.status.find("1 个日志文件不存在"), std::string::npos) << status.status;
}

struct ClockCase {
  const char* name;
  std::chrono::sys_seconds utc;
  const char* utcSite;    // today's label for the site whose logs roll over at midnight UTC
  const char* localSite;  // and for the one that rolls over by local time (UTC+8)
};

class TodayByTheLogsClock : public SiteSelectionTest,
                            public ::testing::WithParamInterface<ClockCase> {};

// On a server in China, from midnight to 8 a.m. local time IIS still writes yesterday's
// UTC log: "today" is the day the site's logs are named after.
TEST_P(TodayByTheLogsClock, names_the_file_the_server_writes) {
  const FixedInstantClock clock(GetParam().utc, std::chrono::hours(8));
  selection = make(clock, input);
  click(0, Mode::Today);
  EXPECT_EQ(labels(), std::vector<std::string>{std::string("ayfy1=") + GetParam().utcSite});
  click(1, Mode::Today);
  EXPECT_EQ(labels(), std::vector<std::string>{std::string("ayfy1=") + GetParam().localSite});
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

// Rows of the old site must never appear once another site is selected.
TEST_F(SiteSelectionTest, a_selection_while_a_job_runs_cancels_it_first) {
  auto gate = std::make_shared<testing::Gate>();
  testing::FakeInput slow;
  slow.files[dir.path() / "LogFiles/W3SVC1/ex080713.log"] = {"Googlebot\r\n"};
  slow.files[dir.path() / "LogFiles/W3SVC1/ex080712.log"] = {"Googlebot\r\n", -1, gate};
  slow.files[dir.path() / "LogFiles/W3SVC2/ex080713.log"] = {"Baiduspider\r\n"};
  std::filesystem::create_directories(dir.path() / "LogFiles/W3SVC2");
  selection = make(clock, slow);
  selection->List1_Click(0, Mode::LastDays, "3");
  ASSERT_TRUE(
      testing::pollUntil([&] { return table.rows().size() == 1; }, [&] { selection->takeRows(); }));
  gate->awaitWaiting(1);
  EXPECT_TRUE(status.running);
  EXPECT_NE(status.status.find("正在分析「Default Web Site」"), std::string::npos);

  selection->List1_Click(1, Mode::Today, "7");
  finish(*selection);
  gate->open();
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"}));
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"1", "0", "0", "0"}))
      << "the new site's row";
  EXPECT_NE(status.status.find("「Staging」"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  selection->takeRows();
  EXPECT_EQ(table.rows().size(), 1u) << "nothing of the old job arrives late";
}

TEST_F(SiteSelectionTest, the_user_cancels_and_the_finished_rows_stay) {
  auto gate = std::make_shared<testing::Gate>();
  testing::FakeInput slow;
  slow.files[dir.path() / "LogFiles/W3SVC1/ex080713.log"] = {"Googlebot\r\n"};
  slow.files[dir.path() / "LogFiles/W3SVC1/ex080712.log"] = {"Googlebot\r\n", -1, gate};
  selection = make(clock, slow);
  selection->List1_Click(0, Mode::LastDays, "3");
  ASSERT_TRUE(
      testing::pollUntil([&] { return table.rows().size() == 1; }, [&] { selection->takeRows(); }));
  gate->awaitWaiting(1);
  selection->cancel();
  EXPECT_FALSE(selection->running());
  EXPECT_FALSE(status.running);
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"}));
  EXPECT_NE(status.status.find("已取消，保留已完成的 1/3 行"), std::string::npos) << status.status;
  gate->open();
}

TEST_F(SiteSelectionTest, rows_copy_as_tab_separated_text_and_export_as_csv) {
  dir.write("LogFiles/W3SVC1/=cmd.log", "Googlebot\r\n");
  click(0, Mode::AllLogs);
  const std::string all = selection->copyRows({});
  EXPECT_EQ(all.substr(0, all.find('\n')), "日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛");
  EXPECT_NE(all.find("\n'=cmd\t0\t1\t0\t0\n"), std::string::npos) << "never a formula:\n" << all;
  EXPECT_EQ(
      selection->copyRows({1, 3}),
      "日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛\n080707\t1\t1\t0\t0\n080712\t3\t4\t2\t1\n");
  const std::string csv = selection->csvFile();
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF") << "a byte-order mark for spreadsheets";
  EXPECT_EQ(csv.substr(3, csv.find('\n') - 2),
            "day,Baiduspider,Googlebot,Yahoo!,Sosospider,file,status\n");
  EXPECT_NE(csv.find("'=cmd,0,1,0,0,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("ex080712.log,ok\n"), std::string::npos) << csv;
}

// Throws where the window's table would report a programming error.
class BrokenTable : public MemoryTable {
 public:
  RowHandle addRow(std::int64_t, std::string_view, std::string_view) override {
    throw std::logic_error("row position out of range");
  }
};

TEST_F(SiteSelectionTest, failure_while_showing_rows_is_shown_not_thrown) {
  BrokenTable broken;
  SiteSelection brokenSelection({box, dialog, clock, input, folders, paths},
                                {broken, sites, list2, list3, status}, designedCrawlers(), [] {});
  brokenSelection.List1_Click(0, Mode::Today, "7");
  EXPECT_NO_THROW(finish(brokenSelection));
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[1].text, "分析出错：row position out of range");
  EXPECT_EQ(box.shown[1].title, "提示");
}

}  // namespace
}  // namespace tarnwick
