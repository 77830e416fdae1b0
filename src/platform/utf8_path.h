#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

// Paths are UTF-8 text inside the program. Building them through char8_t keeps that
// true on Windows too, where a plain std::string would be read in the ANSI code page.

// The local path named by UTF-8 `text`.
inline std::filesystem::path pathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// `path` as UTF-8 text.
inline std::string utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace tarnwick
