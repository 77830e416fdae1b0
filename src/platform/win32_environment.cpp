#include <windows.h>

#include "platform/environment.h"
#include "platform/win32_text.h"

namespace tarnwick {

std::optional<std::string> environmentVariable(std::string_view name) {
  const std::wstring wide = widen(name);
  const DWORD size = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wide.c_str(), value.data(), size);
  value.resize(length);
  return narrow(value);
}

std::optional<std::filesystem::path> windowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  // The system's own Windows folder, also for a user of a terminal server.
  const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  return std::filesystem::path(std::wstring(folder, length));
}

}  // namespace tarnwick
