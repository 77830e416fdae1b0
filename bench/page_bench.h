#pragma once

#include <filesystem>

namespace tarnwick::bench {

// The chart of 10,000 rows, built and laid out as a window repaints it; and the HTML
// page of 1,000 daily rows with details, its size and the time Chromium takes to draw
// it beside an empty page. `root` holds the benchmark's server copy. Whether every
// target was met.
bool pageCases(const std::filesystem::path& root);

}  // namespace tarnwick::bench
