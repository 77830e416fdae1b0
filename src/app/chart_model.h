#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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

// Lines per crawler per row: `countsOf(row)[crawler]` for each row of `labels`.
ChartModel rowsChart(std::vector<std::string> labels,
                     const std::function<const std::vector<std::uint64_t>&(std::size_t)>& countsOf,
                     const CrawlerList& crawlers);
// The same from `counts[row][crawler]`.
ChartModel rowsChart(std::vector<std::string> labels,
                     const std::vector<std::vector<std::uint64_t>>& counts,
                     const CrawlerList& crawlers);

// Which of `count` labels to write under the axis so that at most `room` show, evenly:
// always the first and the last.
std::vector<std::size_t> shownLabels(std::size_t count, std::size_t room);

// Where a chart's parts go in a `width` × `height` area, for a painter of any toolkit.
struct ChartGeometry {
  double left = 0, top = 0, right = 0, bottom = 0;  // the plot area
  std::vector<double> xs;                           // each row's x
  std::uint64_t scaleTop = 1;                       // the value at the plot's top

  // The y of `value`.
  double yOf(std::uint64_t value) const {
    return bottom - (bottom - top) * static_cast<double>(value) / static_cast<double>(scaleTop);
  }
  // The row nearest to `x`, where `x` is over the plot and there are rows.
  std::optional<std::size_t> rowAt(double x) const;
};

// Lays out `chart` in `width` × `height`, leaving `legendHeight` at the top for the legend,
// `labelWidth` at the left for the scale's numbers and `textHeight` twice at the bottom
// for the rows' labels.
ChartGeometry layOutChart(const ChartModel& chart, double width, double height, double legendHeight,
                          double labelWidth, double textHeight);

// A point of a drawn line.
struct ChartPoint {
  double x, y;
};

// The line of `values` as drawn: a point per row where rows are a pixel or more apart;
// else, per pixel column, its rows' first, highest, lowest and last values, so that no
// peak is lost however many rows there are.
std::vector<ChartPoint> linePoints(const ChartGeometry& geometry,
                                   const std::vector<std::uint64_t>& values);

// What the tip over row `row` says: its label, then each crawler and its lines.
std::string chartTip(const ChartModel& chart, std::size_t row);

}  // namespace tarnwick
