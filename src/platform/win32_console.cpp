#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/win32_text.h"

namespace tarnwick {

namespace {

// The console behind `stream`, where it is one: text goes to it as UTF-16, which shows
// Chinese whatever the console's code page.
HANDLE consoleOf(DWORD stream) {
  const HANDLE handle = ::GetStdHandle(stream);
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

bool writeTo(std::FILE* file, DWORD stream, std::string_view text) {
  if (const HANDLE console = consoleOf(stream)) {
    std::fflush(file);
    const std::wstring wide = widen(text);
    DWORD written = 0;
    return ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) != 0;
  }
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && !std::ferror(file);
}

}  // namespace

void prepareConsole() {
  // Files and pipes get UTF-8 bytes as they are, with "\n" line ends as on Linux.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
}

bool writeOut(std::string_view text) {
  return writeTo(stdout, STD_OUTPUT_HANDLE, text);
}

bool flushOut() {
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void writeError(std::string_view text) {
  writeTo(stderr, STD_ERROR_HANDLE, text);
  std::fflush(stderr);
}

}  // namespace tarnwick
