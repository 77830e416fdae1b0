#pragma once

#include <filesystem>

namespace tarnwick::bench {

// Logs however the server writes them: a gzipped log beside gzip -dc, local days beside
// the same days by UTC, a year of hourly logs by day beside file by file. The logs are
// written into `dir` once, cut from `pool`. Whether every target was met.
bool logsCases(const std::filesystem::path& dir, const std::string& pool);

}  // namespace tarnwick::bench
