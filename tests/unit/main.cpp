// The unit tests' entry point. On Windows the same program also plays the web server
// that holds a log open for writing, for the test that reads such a log.

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>

namespace {

// Opens `path` for writing as IIS opens the log it writes, allowing others only to read,
// writes a few lines, says so in `path` + ".held", and keeps it open until ended.
int holdOpen(const wchar_t* path) {
  const HANDLE log = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  const char lines[] = "Googlebot\r\nBaiduspider\r\nGooglebot\r\n";
  DWORD written = 0;
  ::WriteFile(log, lines, sizeof lines - 1, &written, nullptr);
  std::ofstream(std::filesystem::path(std::wstring(path) + L".held")) << "held\n";
  ::Sleep(60000);
  ::CloseHandle(log);
  return 0;
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (count == 3 && std::wstring(wide[1]) == L"--hold-open") return holdOpen(wide[2]);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
