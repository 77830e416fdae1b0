#include "analysis/row_builder.h"

#include <gtest/gtest.h>

#include "analysis/results_layout.h"
#include "platform/memory_table.h"
#include "test_support.h"

namespace tarnwick {
namespace {

struct LabelCase {
  const char* mpath;
  const char* label;
  friend std::ostream& operator<<(std::ostream& out, const LabelCase& c) { return out << c.mpath; }
};

class DayLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(DayLabel, keeps_last_six_characters_after_removing_ex_and_log) {
  EXPECT_EQ(dayLabel(GetParam().mpath), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DayLabel,
    ::testing::Values(LabelCase{"ex080713.log", "080713"},
                      LabelCase{"C:\\WINDOWS\\system32\\LogFiles\\W3SVC1\\ex080713.log", "080713"},
                      LabelCase{"u_ex080713.log", "080713"},
                      LabelCase{"C:\\logs\\W3SVC1\\ex0807.log", "1\\0807"},
                      LabelCase{"readme.txt", "me.txt"}, LabelCase{"a.log", "a"},
                      LabelCase{"/srv/logs/ex090101.log", "090101"},
                      LabelCase{"eexx.loglog", "exlog"},  // one pass: joined leftovers stay
                      LabelCase{"日志文件样本.txt", "样本.txt"}));

class RowBuilderTest : public ::testing::Test {
 protected:
  RowBuilderTest() : counter(input, paths), rows(table, list2, counter) {
    prepareResultsTable(table);
    dir.write("W3SVC1/ex080713.log", testing::testData("ex080713.log"));
    paths.mapDrive('C', dir.path());
    list2.append("C:\\W3SVC1\\");
    list2.select(0);
  }

  testing::TempDir dir;
  SystemTextInput input;
  PathResolver paths;
  LineCounter counter;
  MemoryTable table;
  SiteList list2;
  RowBuilder rows;
};

TEST_F(RowBuilderTest, bare_name_is_read_from_the_selected_log_folder) {
  rows.fullTable(1, "ex080713.log", kInLogFolder);
  ASSERT_EQ(table.rows().size(), 1u);
  EXPECT_EQ(table.rows()[0].key, "ayfy1");
  EXPECT_EQ(table.rows()[0].text, "080713");
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"3", "4", "2", "1"}));
}

TEST_F(RowBuilderTest, full_paths_and_missing_files_in_call_order) {
  std::vector<AnalysedFile> seen;
  rows.onRow([&](const AnalysedFile& file) { seen.push_back(file); });
  rows.fullTable(1, "C:\\W3SVC1\\ex080713.log", kFullPath);
  rows.fullTable(2, "C:\\W3SVC1\\ex080712.log", kFullPath);
  ASSERT_EQ(table.rows().size(), 2u);
  EXPECT_EQ(table.rows()[1].key, "ayfy2");
  EXPECT_EQ(table.rows()[1].text, "080712");
  EXPECT_EQ(table.rows()[1].cells, (std::vector<std::string>{"0", "0", "0", "0"}));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].path, "C:\\W3SVC1\\ex080713.log");
  EXPECT_EQ(seen[0].counts, (CrawlerCounts{3, 4, 2, 1}));
}

}  // namespace
}  // namespace tarnwick
