#include "analysis/plan.h"

#include "analysis/day_label.h"

#include <gtest/gtest.h>

#include "platform/utf8_path.h"
#include "test_support.h"

namespace tarnwick {
namespace {

// A server's C: drive in a temporary folder, with site 1's logs.
class PlanTest : public ::testing::Test {
 protected:
  PlanTest() { paths.mapDrive('C', dir.path()); }

  Plan plan(Mode mode, Date today, int days = 1) const {
    return planAnalysis({mode, "C:\\LogFiles\\W3SVC1\\", today, days, {}}, folders, paths);
  }
  // "position=label:file read", one per planned file.
  static std::vector<std::string> rows(const Plan& plan) {
    std::vector<std::string> out;
    for (const PlannedFile& f : plan.files)
      out.push_back(std::to_string(f.position) + "=" + f.label + ":" +
                    (f.local ? utf8Of(std::filesystem::path(*f.local).filename()) : "-"));
    return out;
  }

  testing::TempDir dir;
  SystemFolderListing folders;
  PathResolver paths;
};

TEST_F(PlanTest, all_logs_every_file_by_name_ignoring_case) {
  for (const char* name : {"ex080713.log", "EX080711.log", "readme.txt", "ex080712.LOG"})
    dir.write(std::string("logfiles/w3svc1/") + name, "Googlebot\r\n");
  dir.write("logfiles/w3svc1/old/ex070101.log", "subfolders are not visited");
  const Plan all = plan(Mode::AllLogs, {2008, 7, 13});
  ASSERT_TRUE(all.ok());
  // A name the server wrote is its date digits in any case, as NTFS reads it.
  EXPECT_EQ(rows(all), (std::vector<std::string>{"1=080711:EX080711.log", "2=080712:ex080712.LOG",
                                                 "3=080713:ex080713.log", "4=me.txt:readme.txt"}));
  EXPECT_EQ(all.files[0].name, "C:\\LogFiles\\W3SVC1\\EX080711.log");
}

#ifndef _WIN32
// A name that holds a backslash and "..": only where the file system allows it.
TEST_F(PlanTest, a_listed_file_is_read_by_its_own_name) {
  dir.write("LogFiles/secret.log", "not this one");
  dir.write("LogFiles/W3SVC1/..\\secret.log", "Googlebot\r\n");
  const Plan all = plan(Mode::AllLogs, {2008, 7, 13});
  ASSERT_EQ(all.files.size(), 1u);
  EXPECT_EQ(all.files[0].local, (dir.path() / "LogFiles/W3SVC1" / "..\\secret.log").string());
}
#endif

// A day is all of its logs: an hourly site's hours there, a custom-field "_x" log beside
// the plain one; each file after a day's first joins its row, and a day without any
// file is one missing row.
TEST_F(PlanTest, a_day_of_hours_or_of_two_logs_is_one_row) {
  for (const char* name : {"u_ex26120700.log", "U_EX26120713_X.LOG", "u_ex26120623.log",
                           "ex261205.log", "ex261205_x.log", "u_ex261204_x.log"})
    dir.write(std::string("LogFiles/W3SVC1/") + name, "x");
  Selection hourly{Mode::LastDays, "C:\\LogFiles\\W3SVC1\\", {2026, 12, 7}, 3, {}};
  hourly.period = LogPeriod::Hourly;
  const Plan hours = planAnalysis(hourly, folders, paths);
  EXPECT_EQ(rows(hours),
            (std::vector<std::string>{"1=261207:u_ex26120700.log", "1=261207:U_EX26120713_X.LOG",
                                      "2=261206:u_ex26120623.log", "3=261205:ex26120500.log"}));
  std::vector<bool> joins;
  for (const PlannedFile& file : hours.files) joins.push_back(file.sameRow);
  EXPECT_EQ(joins, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(rows(plan(Mode::LastDays, {2026, 12, 5}, 2)),
            (std::vector<std::string>{"1=261205:ex261205.log", "1=261205:ex261205_x.log",
                                      "2=261204:u_ex261204_x.log"}));
}

struct DaysCase {
  const char* name;
  Mode mode;
  Date today;
  int days;
  std::vector<std::string> rows;
  friend std::ostream& operator<<(std::ostream& out, const DaysCase& c) { return out << c.name; }
};

class DailyLogs : public PlanTest, public ::testing::WithParamInterface<DaysCase> {};

// Daily names newest first; the folder's own spelling of a name is read, IIS 7's "u_ex"
// name where only that one exists, and a day without a log still gets its row.
TEST_P(DailyLogs, newest_first_with_the_names_the_folder_holds) {
  for (const char* name : {"ex080713.log", "EX080712.LOG", "u_ex080711.log", "ex080710.log",
                           "u_ex080710.log", "ex081231.log", "u_ex090101.log"})
    dir.write(std::string("LogFiles/W3SVC1/") + name, "x");
  const DaysCase& c = GetParam();
  EXPECT_EQ(rows(plan(c.mode, c.today, c.days)), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DailyLogs,
    ::testing::Values(
        DaysCase{"last_seven",
                 Mode::LastDays,
                 {2008, 7, 13},
                 7,
                 {"1=080713:ex080713.log", "2=080712:EX080712.LOG", "3=080711:u_ex080711.log",
                  "4=080710:ex080710.log", "5=080709:ex080709.log", "6=080708:ex080708.log",
                  "7=080707:ex080707.log"}},
        DaysCase{"across_the_year_end",
                 Mode::LastDays,
                 {2009, 1, 1},
                 2,
                 {"1=090101:u_ex090101.log", "2=081231:ex081231.log"}},
        DaysCase{"today", Mode::Today, {2008, 7, 13}, 7, {"1=080713:ex080713.log"}},
        DaysCase{"today_without_a_log", Mode::Today, {2008, 7, 14}, 1, {"1=080714:ex080714.log"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlanTest, the_folder_is_listed_once_however_many_days) {
  testing::FakeFolders fake;
  fake.folders[dir.path() / "LogFiles/W3SVC1"] = {
      FolderContents::Status::Ok, {"u_ex080701.log"}, {}};
  std::filesystem::create_directories(dir.path() / "LogFiles/W3SVC1");
  const Plan days = planAnalysis(
      {Mode::LastDays, "C:\\LogFiles\\W3SVC1\\", {2008, 7, 13}, 3650, {}}, fake, paths);
  EXPECT_EQ(fake.listed, 1);
  ASSERT_EQ(days.files.size(), 3650u);
  EXPECT_TRUE(days.files[12].local->ends_with("u_ex080701.log"));
}

struct FolderCase {
  const char* folder;
  Plan::Status status;
  const char* reason;
};

TEST_F(PlanTest, folders_that_cannot_be_listed) {
  const FolderCase cases[] = {
      {"C:\\Nowhere\\W3SVC1\\", Plan::Status::FolderNotFound, "no such folder"},
      {"Q:\\LogFiles\\W3SVC1\\", Plan::Status::NotHere, "drive Q:"},
      {"%IIS_USER_HOME%\\Logs\\W3SVC1\\", Plan::Status::NotHere, "variable"},
      {"logs\\W3SVC1\\", Plan::Status::NotHere, "not a full Windows path"},
      {"\\W3SVC7\\", Plan::Status::NotHere, "not a full Windows path"},
  };
  for (const FolderCase& c : cases) {
    const Plan all = planAnalysis({Mode::AllLogs, c.folder, {2008, 7, 13}, 1, {}}, folders, paths);
    EXPECT_EQ(all.status, c.status) << c.folder;
    EXPECT_NE(all.reason.find(c.reason), std::string::npos) << c.folder << ": " << all.reason;
    // The daily modes still plan their rows, each reading as missing, and say why.
    const Plan today = planAnalysis({Mode::Today, c.folder, {2008, 7, 13}, 1, {}}, folders, paths);
    EXPECT_EQ(today.status, c.status) << c.folder;
    ASSERT_EQ(today.files.size(), 1u);
    EXPECT_EQ(today.files[0].label, "080713");
  }
}

TEST_F(PlanTest, a_server_path_that_names_nothing_here_is_read_from_nowhere) {
  for (const char* folder : {"logs\\W3SVC1\\", "%IIS_USER_HOME%\\Logs\\W3SVC1\\", "\\W3SVC7\\"}) {
    const Plan today = planAnalysis({Mode::Today, folder, {2008, 7, 13}, 1, {}}, folders, paths);
    EXPECT_FALSE(today.files.at(0).local) << folder;
    EXPECT_NE(today.files[0].unresolved, "") << folder;
  }
}

TEST_F(PlanTest, a_chosen_file_from_anywhere) {
  const Plan one = planAnalysis(
      {Mode::SingleFile, "C:\\LogFiles\\W3SVC1\\", {2008, 7, 13}, 1, "/var/tmp/u_ex090315.log"},
      folders, paths);
  ASSERT_EQ(one.files.size(), 1u);
  EXPECT_EQ(one.files[0].label, "090315");
  EXPECT_EQ(one.files[0].local, "/var/tmp/u_ex090315.log");
}

struct LabelCase {
  const char* name;
  const char* label;
  const char* date;  // the label as an ISO date, empty where it is none
};

// A file's day label, and the date a spreadsheet is given for it.
TEST(plan_test, day_labels_and_their_dates) {
  const LabelCase cases[] = {
      {"ex080713.log", "080713", "2008-07-13"},
      {"C:\\WINDOWS\\system32\\LogFiles\\W3SVC1\\ex080713.log", "080713", "2008-07-13"},
      {"u_ex080713.log", "080713", "2008-07-13"},
      // Names the server writes: their date digits whatever the schedule, "_x" or case.
      {"C:\\logs\\W3SVC1\\ex0807.log", "0807", ""},
      {"u_ex261207_x.log", "261207", "2026-12-07"},
      {"U_EX261207_X.LOG", "261207", "2026-12-07"},
      {"u_ex26120713.log", "26120713", ""},
      {"ex26120713_x.log", "26120713", ""},
      {"u_ex261202.log", "261202", "2026-12-02"},  // a daily name, or week 2 of a month
      {"u_extend12.log", "u_extend12", ""},
      {"extend1_x.log", "extend1_x", ""},
      // Other names keep the rule: every "ex" and ".log" removed, the last six kept.
      {"C:\\logs\\W3SVC1\\ex08071.log", "\\08071", ""},
      {"u_ex261207_y.log", "1207_y", ""},
      {"textures.log", "ttures", ""},
      {"readme.txt", "me.txt", ""},
      {"ex991231.log", "991231", "1999-12-31"},  // IIS wrote W3C logs from 1996 on
      {"ex900101.log", "900101", "1990-01-01"},
      {"ex891231.log", "891231", "2089-12-31"},
      {"ex080230.log", "080230", ""},  // no 30 February
      {"ex08071x.log", "08071x", ""},
  };
  for (const LabelCase& c : cases) {
    EXPECT_EQ(dayLabel(c.name), c.label) << c.name;
    EXPECT_EQ(labelDate(dayLabel(c.name)), c.date) << c.name;
  }
}

// Names go by their upper-case forms, byte by byte ("ZZ" before "_X"), the shorter first
// where one begins the other; names equal but for case by their own bytes. Names of more than eight
// and sixteen bytes that agree that far are told apart by what follows.
TEST(plan_test, names_sorted_as_windows_lists_them) {
  const struct {
    std::vector<std::string> names;
    std::vector<std::string> sorted;
  } cases[] = {
      {{}, {}},
      {{"b.log", "A.log", "a.LOG", "C.log"}, {"A.log", "a.LOG", "b.log", "C.log"}},
      {{"u_ex261207.log", "U_EX261130.log", "u_ex2612.log", "u_ex261207.log.gz"},
       {"U_EX261130.log", "u_ex2612.log", "u_ex261207.log", "u_ex261207.log.gz"}},
      {{"u_ex261207_part2.log", "U_EX261207_PART1.log", "u_ex261207_part10.log"},
       {"U_EX261207_PART1.log", "u_ex261207_part10.log", "u_ex261207_part2.log"}},
      {{"_x.log", "zz", "\xc3\xa9.log", "Z", "~", "0"},
       {"0", "Z", "zz", "_x.log", "~", "\xc3\xa9.log"}},
      {{"12345678ab", "12345678AA", "12345678a"}, {"12345678a", "12345678AA", "12345678ab"}},
      // Only a to z fold: the bytes next to them, and bytes past 0x7f, stay as they are.
      {{"{", "`", "a", "[", "@", "z", "\341a", "\301b"},
       {"@", "a", "z", "[", "`", "{", "\301b", "\341a"}},
      {{"0123456789abcdef{", "0123456789ABCDEF`", "0123456789abcdefa"},
       {"0123456789abcdefa", "0123456789ABCDEF`", "0123456789abcdef{"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> names = c.names;
    sortLikeWindows(names);
    EXPECT_EQ(names, c.sorted);
  }
}

}  // namespace
}  // namespace tarnwick
