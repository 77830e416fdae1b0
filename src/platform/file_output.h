#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

// Writes `content` to the file at `path`, which the user chose, replacing it. Nothing
// else is ever written. Returns what went wrong, or nothing.
std::string writeChosenFile(const std::filesystem::path& path, std::string_view content);

}  // namespace tarnwick
