#pragma once

#include <filesystem>

namespace tarnwick::bench {

// tarnwick-report --detail on a 1 GiB log whose field set changes, beside wc -l, and on a
// log of 10 million distinct pages: time and peak memory. The logs are written into
// `dir` once. Whether every target was met.
bool detailCases(const std::filesystem::path& dir, const std::filesystem::path& crawlerList);

}  // namespace tarnwick::bench
