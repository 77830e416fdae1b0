#include "platform/windows_path.h"

#include <gtest/gtest.h>

#include "platform/utf8_path.h"
#include "test_support.h"
#include "text/text.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

TEST(windows_path_test, resolves_through_drive_ignoring_case) {
  testing::TempDir dir;
  dir.write("drive-c/WINDOWS/system32/LogFiles/W3SVC1/ex080713.log", "x");
  dir.write("drive-d/Logs/a.log", "x");
  PathResolver paths;
  paths.mapDrive('c', dir.path() / "drive-c");
  paths.mapDrive('D', dir.path() / "drive-d");
  const auto log = dir.path() / "drive-c/WINDOWS/system32/LogFiles/W3SVC1/ex080713.log";

  struct Case {
    const char* text;
    std::optional<std::filesystem::path> expected;
  };
  const Case cases[] = {
      {"C:\\Windows\\System32\\LogFiles\\W3SVC1\\ex080713.log", log},
      {"c:/windows/SYSTEM32/logfiles/w3svc1/EX080713.LOG", log},
      {"C:\\WINDOWS\\system32\\LogFiles\\\\W3SVC1\\ex080713.log", log},  // doubled backslash
      {"C:\\WINDOWS\\.\\temp\\..\\system32\\LogFiles\\W3SVC1\\ex080713.log", log},
      {"C:\\..\\..\\WINDOWS\\system32\\LogFiles\\W3SVC1\\ex080713.log", log},  // stays on the drive
      {"d:\\LOGS\\A.LOG", dir.path() / "drive-d/Logs/a.log"},
      {"C:\\WINDOWS\\nowhere\\x.log", dir.path() / "drive-c/WINDOWS/nowhere/x.log"},
      // Paths that name nothing here: never read as a local path by accident.
      {"E:\\logs\\x.log", std::nullopt},  // unmapped drive
      {"\\\\server\\share\\x.log", std::nullopt},
      {"/var/log/ex080713.log", std::nullopt},
      {"relative/x.log", std::nullopt},
      {"logs\\W3SVC1\\", std::nullopt},
      {"\\W3SVC7\\", std::nullopt},
      {"%IIS_USER_HOME%\\Logs\\W3SVC1\\", std::nullopt},
      {"C:\\%UNKNOWN%\\W3SVC1\\", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(testing::samePlace(paths.resolve(c.text), c.expected))
        << c.text << " gave " << paths.resolve(c.text).value_or("nothing");
}

TEST(windows_path_test, says_why_a_path_names_nothing_here) {
  PathResolver paths;
  paths.mapDrive('C', "/srv/c");
  const std::pair<const char*, const char*> cases[] = {
      {"E:\\logs\\", "on drive E: which is not mapped"},
      {"\\\\server\\share\\", "a network path"},
      {"logs\\W3SVC1\\", "not a full Windows path"},
      {"%IIS_USER_HOME%\\Logs\\", "holds a variable that is not set"},
  };
  for (const auto& [text, why] : cases)
    EXPECT_NE(paths.whyUnresolved(text).find(why), std::string::npos) << text;
  EXPECT_TRUE(paths.resolve("C:\\100%\\x.log")) << "a lone percent sign is no variable";
}

TEST(windows_path_test, folders_created_later_are_still_found) {
  testing::TempDir dir;
  PathResolver paths;
  paths.mapDrive('C', dir.path());
  EXPECT_TRUE(testing::samePlace(paths.resolve("C:\\Logs\\W3SVC1\\ex080713.log"),
                                 dir.path() / "Logs/W3SVC1/ex080713.log"));
  dir.write("LOGS/w3svc1/EX080713.LOG", "x");
  EXPECT_TRUE(testing::samePlace(paths.resolve("C:\\Logs\\W3SVC1\\ex080713.log"),
                                 dir.path() / "LOGS/w3svc1/EX080713.LOG"));
  EXPECT_TRUE(testing::samePlace(paths.resolve("C:\\logs\\w3svc1\\"), dir.path() / "LOGS/w3svc1"));
}

// On Windows a drive no option maps is this computer's own; network paths only on the
// server itself.
TEST(windows_path_test, unmapped_drives_are_this_computers_where_asked) {
  PathResolver paths;
  paths.mapDrive('C', "/srv/c");
  paths.useLocalDrives();
  EXPECT_EQ(paths.resolve("D:\\Logs\\W3SVC1\\"), std::filesystem::path("D:\\Logs\\W3SVC1\\"));
  EXPECT_TRUE(testing::samePlace(paths.resolve("C:\\x.log"), std::filesystem::path("/srv/c/x.log")))
      << "a mapped drive still goes through its mapping";
  EXPECT_FALSE(paths.resolve("\\\\server\\share\\"));
  PathResolver server;
  server.useLocalServer();
  EXPECT_TRUE(server.resolve("\\\\server\\share\\"));
  EXPECT_TRUE(server.resolve("E:\\logs\\"));
}

// A path no longer than Windows allows, however deep, resolves component by component
// without going back over the ones before; a longer one names nothing.
TEST(windows_path_test, deep_and_overlong_paths) {
  testing::TempDir dir;
  dir.write("Logs/W3SVC1/x.log", "x");
  PathResolver paths;
  paths.mapDrive('C', dir.path());
  std::string deep = "C:\\logs\\w3svc1";
  for (int i = 0; i < 16000; ++i) deep += "\\a";
  const auto resolved = paths.resolve(deep);
  ASSERT_TRUE(resolved);
  const std::string start = utf8Of(dir.path() / "Logs" / "W3SVC1" / "a" / "a");
#ifdef _WIN32
  // Windows finds "logs" as asked: its names compare whatever their case.
  EXPECT_EQ(asciiUpper(utf8Of(*resolved)).rfind(asciiUpper(start), 0), 0u);
#else
  EXPECT_EQ(utf8Of(*resolved).rfind(start, 0), 0u)
      << "the existing folders in their own case, the rest as written";
#endif
  EXPECT_EQ(resolved->filename(), fs::path("a"));
  std::string overlong = "C:\\logs";
  for (int i = 0; i < 64000; ++i) overlong += "\\a";
  EXPECT_FALSE(paths.resolve(overlong));
  EXPECT_NE(paths.whyUnresolved(overlong).find("longer than any Windows path"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
