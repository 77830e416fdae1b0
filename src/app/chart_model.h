#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/crawlers.h"

namespace tarnwick {

// One crawler's line in a chart: its lines per row.
struct ChartSeries {
  std::string name;    // the crawler's column header
  std::string colour;  // "#1f77b4"
  std::vector<std::uint64_t> values;
};

// What a chart of the rows draws, whoever draws it: series, the rows' labels along the
// bottom, and a vertical scale of round numbers.
struct ChartModel {
  std::vector<std::string> labels;   // one per row, in row order
  std::vector<ChartSeries> series;   // one per crawler, in column order
  std::vector<std::uint64_t> ticks;  // from 0 up to the scale's top, evenly spaced
  std::uint64_t top() const { return ticks.empty() ? 1 : ticks.back(); }
};

// Round numbers from 0 that reach `most`: steps of 1, 2 or 5 times a power of ten, at
// most six of them.
std::vector<std::uint64_t> niceTicks(std::uint64_t most);

// The colour of series `index`: ten that tell apart well, then hues around the wheel.
std::string seriesColour(std::size_t index);

// Lines per crawler per row: `counts[row][crawler]`.
ChartModel rowsChart(const std::vector<std::string>& labels,
                     const std::vector<std::vector<std::uint64_t>>& counts,
                     const CrawlerList& crawlers);

// Which of `count` labels to write under the axis so that at most `room` show, evenly:
// always the first and the last.
std::vector<std::size_t> shownLabels(std::size_t count, std::size_t room);

}  // namespace tarnwick
