#include "analysis/folder_scan.h"

#include <gtest/gtest.h>

#include "analysis/analysis.h"
#include "analysis/results_layout.h"
#include "platform/memory_table.h"
#include "test_support.h"

namespace tarnwick {
namespace {

// Lists what the test says, in the order it says, or fails.
class FakeFolders : public FolderListing {
 public:
  FolderContents result;
  FolderContents list(const std::filesystem::path&) const override { return result; }
};

struct ScanFixture {
  ScanFixture() { prepareResultsTable(table); }
  std::vector<std::string> keysAndLabels() const {
    std::vector<std::string> out;
    for (const auto& row : table.rows()) out.push_back(row.key + "=" + row.text);
    return out;
  }
  MemoryTable table;
  SiteList list2;
  SystemTextInput input;
  PathResolver paths;
};

TEST(folder_scan_test, every_file_in_name_order_ignoring_case_numbered_from_file_no) {
  testing::TempDir dir;
  for (const char* name : {"ex080713.log", "EX080711.log", "readme.txt", "ex080712.LOG"})
    dir.write(std::string("W3SVC1/") + name, "Googlebot\r\n");
  dir.write("W3SVC1/old/ex070101.log", "subfolders are not visited");
  ScanFixture f;
  f.paths.mapDrive('C', dir.path());
  f.list2.append("C:\\w3svc1\\");
  f.list2.select(0);
  const SystemFolderListing folders;
  Analysis analysis(f.table, f.list2, {f.input, folders, f.paths});

  std::int64_t fileNo = 0;
  EXPECT_TRUE(analysis.scan.run(f.list2.selectedText(), fileNo).ok());
  EXPECT_EQ(fileNo, 4);
  EXPECT_EQ(f.keysAndLabels(), (std::vector<std::string>{"ayfy1=080711", "ayfy2=12.LOG",
                                                         "ayfy3=080713", "ayfy4=me.txt"}));
  EXPECT_EQ(f.table.rows()[3].cells, (std::vector<std::string>{"0", "1", "0", "0"}));
}

TEST(folder_scan_test, missing_empty_and_unmapped_folders) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "W3SVC2");
  ScanFixture f;
  f.paths.mapDrive('C', dir.path());
  const SystemFolderListing folders;
  Analysis analysis(f.table, f.list2, {f.input, folders, f.paths});
  std::int64_t fileNo = 0;
  EXPECT_EQ(analysis.scan.run("C:\\W3SVC9\\", fileNo).status, FolderContents::Status::NotFound);
  EXPECT_TRUE(analysis.scan.run("C:\\W3SVC2\\", fileNo).ok()) << "empty folder is no failure";
  EXPECT_FALSE(analysis.scan.run("Q:\\W3SVC2\\", fileNo).ok()) << "unmapped drive";
  EXPECT_TRUE(f.table.rows().empty());
  EXPECT_EQ(fileNo, 0);
}

// No 16-bit limit: a folder of more than 32767 files gets every row.
TEST(folder_scan_test, more_files_than_a_short_counts) {
  ScanFixture f;
  FakeFolders folders;
  for (int i = 0; i < 33000; ++i) folders.result.names.push_back("f" + std::to_string(i));
  Analysis analysis(f.table, f.list2, {f.input, folders, f.paths});
  std::int64_t fileNo = 0;
  EXPECT_TRUE(analysis.scan.run("/nonexistent/", fileNo).ok());
  EXPECT_EQ(fileNo, 33000);
  EXPECT_EQ(f.table.rows().back().key, "ayfy33000");
}

TEST(folder_scan_test, windows_order_ignores_case_then_bytes) {
  std::vector<std::string> names{"b.log", "A.log", "a.log", "ex10.log", "EX09.log", "_x.log"};
  sortLikeWindows(names);
  EXPECT_EQ(names, (std::vector<std::string>{"A.log", "a.log", "b.log", "EX09.log", "ex10.log",
                                             "_x.log"}));
}

}  // namespace
}  // namespace tarnwick
