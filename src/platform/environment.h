#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The value of environment variable `name` in UTF-8; nothing where it is not set.
std::optional<std::string> environmentVariable(std::string_view name);

// The Windows folder of the computer the program runs on; nothing off Windows.
std::optional<std::filesystem::path> windowsFolder();

}  // namespace tarnwick
