#include "platform/memory_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "analysis/crawler_list.h"
#include "analysis/results_layout.h"

namespace tarnwick {
namespace {

TEST(memory_table_test, prepared_table_has_five_keyed_columns_800_twips_wide) {
  MemoryTable table;
  prepareResultsTable(table);
  EXPECT_TRUE(table.reportView());
  const std::vector<std::pair<std::string, std::string>> expected{{"MyDate", "日期"},
                                                                  {"MyBaidu", "百度蜘蛛"},
                                                                  {"MyGoogle", "谷歌蜘蛛"},
                                                                  {"MyYahoo", "雅虎蜘蛛"},
                                                                  {"MySoSo", "搜搜蜘蛛"}};
  ASSERT_EQ(table.columns().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(table.columns()[i].key, expected[i].first);
    EXPECT_EQ(table.columns()[i].header, expected[i].second);
    EXPECT_EQ(table.columns()[i].widthTwips, 800);
  }
}

TEST(memory_table_test, rows_append_in_order_cells_by_key_and_clear) {
  MemoryTable table;
  prepareResultsTable(table);
  const RowHandle first = table.addRow(1, "ayfy1", "080713");
  const RowHandle second = table.addRow(2, "ayfy2", "080712");
  table.setCell(first, "MySoSo", 7);
  table.setCell(second, "MyBaidu", 12345678901ull);
  ASSERT_EQ(table.rows().size(), 2u);
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"", "", "", "7"}));
  EXPECT_EQ(table.rows()[1].cells[0], "12345678901");
  table.clearRows();
  EXPECT_TRUE(table.rows().empty());
  EXPECT_NO_THROW(table.addRow(1, "ayfy1", "080713")) << "keys are free again after clearing";
}

TEST(memory_table_test, programming_errors_are_reported) {
  MemoryTable table;
  prepareResultsTable(table);
  const RowHandle row = table.addRow(1, "ayfy1", "080713");
  EXPECT_THROW(table.addRow(2, "ayfy1", "x"), std::logic_error) << "duplicate key";
  EXPECT_THROW(table.addRow(5, "ayfy5", "x"), std::logic_error) << "position past the end";
  EXPECT_THROW(table.addRow(0, "ayfy0", "x"), std::logic_error) << "position before the start";
  EXPECT_THROW(table.setCell(row, "MyBing", 1), std::logic_error) << "unknown column";
  EXPECT_THROW(table.setCell(row, "MyDate", 1), std::logic_error) << "the date column has no cell";
  EXPECT_THROW(table.setColumnWidth(6, 800), std::logic_error);
  EXPECT_THROW(table.setCell({"ayfy9"}, "MyBaidu", 1), std::logic_error) << "unknown row";
}

TEST(memory_table_test, added_crawlers_get_columns_after_the_designed_four) {
  MemoryTable table;
  const CrawlerListResult list = parseCrawlerList("bingbot\t必应\n");
  prepareResultsTable(table, list.crawlers);
  ASSERT_EQ(table.columns().size(), 6u);
  EXPECT_EQ(table.columns()[5].key, "Mybingbot");
  EXPECT_EQ(table.columns()[5].header, "必应");
  EXPECT_EQ(table.columns()[5].widthTwips, 800);
  addResultRow(
      table, list.crawlers,
      {1, "080713", "C:\\x", std::nullopt, FileResult::Status::Counted, {}, {1, 2, 3, 4, 5}});
  EXPECT_EQ(table.rows()[0].cells, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_THROW(addResultRow(table, list.crawlers,
                            {5, "080713", "", std::nullopt, FileResult::Status::Counted, {}, {}}),
               std::logic_error)
      << "position 5 after one row";
}

TEST(memory_table_test, rows_appended_in_a_batch_keep_their_keys) {
  MemoryTable shown, batch;
  prepareResultsTable(shown);
  prepareResultsTable(batch);
  shown.addRow(1, "ayfy1", "a");
  batch.setCell(batch.addRow(1, "ayfy2", "b"), "MyBaidu", 9);
  shown.appendRowsOf(batch);
  EXPECT_TRUE(batch.rows().empty());
  ASSERT_EQ(shown.rows().size(), 2u);
  EXPECT_EQ(shown.rowIndex("ayfy2"), 1);
  EXPECT_EQ(shown.rows()[1].cells[0], "9");
}

}  // namespace
}  // namespace tarnwick
