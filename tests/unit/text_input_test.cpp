#include "platform/text_input.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "analysis/part_counter.h"

#include "support/count_lines.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using Status = OpenedFile::Status;

struct KindCase {
  std::filesystem::path path;
  Status status;
  const char* reason;
};

// Only regular files are opened; anything else is named for what it is, and nothing
// blocks, whether asked to open directly or after a folder listing.
TEST(text_input_test, only_regular_files_are_opened) {
  testing::TempDir dir;
  const auto log = dir.write("ex080713.log", "Googlebot\r\n");
  std::vector<KindCase> cases{
      {log, Status::Ok, ""},
      {dir.path() / "missing.log", Status::NotFound, "no such file"},
      {dir.path(), Status::NotAFile, "a folder"},
  };
#ifndef _WIN32
  const auto fifo = dir.path() / "fifo.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink(fifo, dir.path() / "link-to-fifo.log");
  std::filesystem::create_symlink(log, dir.path() / "link-to-log.log");
  cases.push_back({fifo, Status::NotAFile, "a named pipe"});
  cases.push_back({dir.path() / "link-to-fifo.log", Status::NotAFile, "a named pipe"});
  cases.push_back({dir.path() / "link-to-log.log", Status::Ok, ""});
  cases.push_back({"/dev/null", Status::NotAFile, "a device"});
  cases.push_back({"/dev/kmsg", Status::NotAFile, "a device"});
#endif
  const SystemTextInput input;
  for (const KindCase& c : cases) {
    for (const bool listed : {false, true}) {
      const OpenedFile opened = listed ? input.openListed(c.path) : input.open(c.path);
      EXPECT_EQ(opened.status, c.status) << c.path;
      EXPECT_EQ(opened.reason.find(c.reason), 0u) << c.path << ": " << opened.reason;
      EXPECT_EQ(opened.file != nullptr, c.status == Status::Ok) << c.path;
    }
  }
  const OpenedFile opened = input.open(log);
  char buffer[64];
  EXPECT_EQ(opened.file->size(), 11u);
  EXPECT_EQ(opened.file->readAt(buffer, sizeof buffer, 2), 9);
  EXPECT_EQ(std::string(buffer, 9), "oglebot\r\n");
  EXPECT_EQ(opened.file->readAt(buffer, sizeof buffer, 11), 0);
}

#ifdef _WIN32
// IIS holds today's log open for writing, letting others only read: it is still counted.
TEST(text_input_test, a_log_another_process_writes_is_read) {
  testing::TempDir dir;
  const auto log = dir.path() / "u_ex080713.log";
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --hold-open \"" + log.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION server{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &server));
  const bool held =
      testing::pollUntil([&] { return std::filesystem::exists(log.wstring() + L".held"); }, [] {});
  const auto counts = testing::countFileLines(SystemTextInput(), log, {"Googlebot", "Baiduspider"});
  ::TerminateProcess(server.hProcess, 0);
  ::WaitForSingleObject(server.hProcess, 5000);
  ::CloseHandle(server.hProcess);
  ::CloseHandle(server.hThread);
  ASSERT_TRUE(held);
  ASSERT_TRUE(counts);
  EXPECT_EQ(*counts, (std::vector<std::uint64_t>{2, 1}));
}
#endif

}  // namespace
}  // namespace tarnwick
