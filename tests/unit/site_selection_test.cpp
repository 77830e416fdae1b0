#include "analysis/site_selection.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "analysis/results_layout.h"
#include "platform/memory_table.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Buttons = MessageBox::Buttons;

// A server drive with two sites: site 1 has logs, site 2's folder does not exist.
class SiteSelectionTest : public ::testing::Test {
 protected:
  SiteSelectionTest()
      : analysis(table, list2, {input, folders, paths}),
        selection({box, dialog, clock}, table, list2, list3, analysis, paths) {
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
  SiteList list2, list3;
  testing::FakeMessageBox box;
  testing::FakeFileDialog dialog;
  FixedClock clock{{2008, 7, 13}};
  Analysis analysis;
  SiteSelection selection;
};

TEST_F(SiteSelectionTest, last_seven_days_newest_first_after_confirmation) {
  selection.List1_Click(0, Mode::LastDays, "7");
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
}

TEST_F(SiteSelectionTest, days_cross_the_year_end) {
  FixedClock newYear({2009, 1, 1});
  SiteSelection onNewYear({box, dialog, newYear}, table, list2, list3, analysis, paths);
  onNewYear.List1_Click(0, Mode::LastDays, "2");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=090101", "ayfy2=081231"}));
  EXPECT_EQ(table.rows()[1].cells[0], "1");
}

TEST_F(SiteSelectionTest, today_without_a_log_is_one_row_of_zeros) {
  selection.List1_Click(1, Mode::Today, "7");
  EXPECT_EQ(box.shown.at(0).text, "确认要查看当天的日志吗？");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"}));
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"0", "0", "0", "0"}));
}

TEST_F(SiteSelectionTest, modern_u_ex_log_is_read_where_the_ex_one_is_missing) {
  std::filesystem::remove(dir.path() / "LogFiles/W3SVC1/ex080713.log");
  dir.write("LogFiles/W3SVC1/u_ex080713.log", testing::testData("ex080713.log"));
  selection.List1_Click(0, Mode::Today, "7");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"}));
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"3", "4", "2", "1"}));
}

TEST_F(SiteSelectionTest, cancel_keeps_the_earlier_rows_for_every_confirmed_mode) {
  for (const Mode mode : {Mode::AllLogs, Mode::LastDays, Mode::Today}) {
    box.answer = MessageBox::Answer::Ok;
    selection.List1_Click(0, Mode::Today, "7");
    box.answer = MessageBox::Answer::Cancel;
    selection.List1_Click(1, mode, "3");
    EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=080713"})) << static_cast<int>(mode);
    EXPECT_EQ(list3.selected(), 1) << "the selection is copied before asking";
  }
}

TEST_F(SiteSelectionTest, all_logs_of_a_site_and_a_fresh_count_each_time) {
  selection.List1_Click(0, Mode::AllLogs, "7");
  EXPECT_EQ(box.shown.at(0).text,
            "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。");
  EXPECT_EQ(list2.selected(), 0);
  EXPECT_EQ(table.rows().size(), 6u);
  EXPECT_EQ(table.rows().front().text, "080707");
  selection.List1_Click(0, Mode::AllLogs, "7");
  EXPECT_EQ(labels().front(), "ayfy1=080707") << "numbering starts again from 1";
  EXPECT_EQ(selection.fileNo(), 6);
}

TEST_F(SiteSelectionTest, all_logs_of_a_site_without_log_folder) {
  selection.List1_Click(0, Mode::Today, "7");
  selection.List1_Click(1, Mode::AllLogs, "7");
  ASSERT_EQ(box.shown.size(), 3u);
  EXPECT_EQ(box.shown[2].text, "该站点无日志文件。");
  EXPECT_EQ(box.shown[2].buttons, Buttons::Ok);
  EXPECT_TRUE(table.rows().empty());
}

TEST_F(SiteSelectionTest, single_file_from_any_folder_through_the_open_dialog) {
  const auto elsewhere = dir.write("elsewhere/u_ex090315.log", testing::testData("ex080713.log"));
  selection.List1_Click(0, Mode::SingleFile, "7");
  EXPECT_EQ(dialog.opened, 1);
  EXPECT_TRUE(table.rows().empty()) << "a first use that is cancelled changes nothing";
  EXPECT_EQ(dialog.filter, "日志文件|*.log|所有文件|*.*");
  EXPECT_EQ(dialog.initialFolder, (dir.path() / "LogFiles/W3SVC1").string());
  EXPECT_TRUE(box.shown.empty()) << "no confirmation";

  dialog.choice = elsewhere.string();
  selection.List1_Click(1, Mode::SingleFile, "7");
  EXPECT_EQ(labels(), (std::vector<std::string>{"ayfy1=090315"}));
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"3", "4", "2", "1"}));
}

// Throws where the window's table would report a programming error.
class BrokenTable : public MemoryTable {
 public:
  RowHandle addRow(std::int64_t, std::string_view, std::string_view) override {
    throw std::logic_error("row position out of range");
  }
};

TEST_F(SiteSelectionTest, failure_inside_the_event_is_shown_not_thrown) {
  BrokenTable broken;
  Analysis brokenAnalysis(broken, list2, {input, folders, paths});
  SiteSelection brokenSelection({box, dialog, clock}, broken, list2, list3, brokenAnalysis, paths);
  EXPECT_NO_THROW(brokenSelection.List1_Click(0, Mode::Today, "7"));
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[1].text, "分析出错：row position out of range");
  EXPECT_EQ(box.shown[1].title, "提示");
}

}  // namespace
}  // namespace tarnwick
