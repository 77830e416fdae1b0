#include "app/chart_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarnwick {

std::vector<std::uint64_t> niceTicks(std::uint64_t most) {
  constexpr std::uint64_t kMostSteps = 5;
  std::uint64_t step = 1;
  for (std::uint64_t power = 1;; power *= 10) {
    const std::uint64_t candidates[] = {power, 2 * power, 5 * power};
    const auto fits =
        std::find_if(std::begin(candidates), std::end(candidates),
                     [&](std::uint64_t s) { return (most + s - 1) / s <= kMostSteps; });
    if (fits != std::end(candidates)) {
      step = *fits;
      break;
    }
    if (power > UINT64_MAX / 100) {  // as large as counts go
      step = 5 * power;
      break;
    }
  }
  const std::uint64_t steps = std::max<std::uint64_t>(1, (most + step - 1) / step);
  std::vector<std::uint64_t> ticks;
  for (std::uint64_t k = 0; k <= steps; ++k) ticks.push_back(k * step);
  return ticks;
}

std::string seriesColour(std::size_t index) {
  static const char* const kTen[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                     "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
  if (index < std::size(kTen)) return kTen[index];
  // Hues a golden angle apart, never too light to read on white.
  const double hue = std::fmod(static_cast<double>(index) * 137.508, 360.0) / 60.0;
  const double c = 0.65, x = c * (1 - std::fabs(std::fmod(hue, 2.0) - 1)), m = 0.15;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(hue)) {
    case 0:
      r = c, g = x;
      break;
    case 1:
      r = x, g = c;
      break;
    case 2:
      g = c, b = x;
      break;
    case 3:
      g = x, b = c;
      break;
    case 4:
      r = x, b = c;
      break;
    default:
      r = c, b = x;
      break;
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<unsigned>((r + m) * 255),
                static_cast<unsigned>((g + m) * 255), static_cast<unsigned>((b + m) * 255));
  return text;
}

ChartModel rowsChart(std::vector<std::string> labels,
                     const std::function<const std::vector<std::uint64_t>&(std::size_t)>& countsOf,
                     const CrawlerList& crawlers) {
  ChartModel chart;
  chart.labels = std::move(labels);
  const std::size_t rows = chart.labels.size();
  std::uint64_t most = 0;
  for (std::size_t c = 0; c < crawlers.size(); ++c) {
    ChartSeries series{crawlers[c].header, seriesColour(c), {}};
    series.values.reserve(rows);
    for (std::size_t row = 0; row < rows; ++row) {
      const std::vector<std::uint64_t>& counts = countsOf(row);
      series.values.push_back(c < counts.size() ? counts[c] : 0);
      most = std::max(most, series.values.back());
    }
    chart.series.push_back(std::move(series));
  }
  chart.ticks = niceTicks(most);
  return chart;
}

ChartModel rowsChart(std::vector<std::string> labels,
                     const std::vector<std::vector<std::uint64_t>>& counts,
                     const CrawlerList& crawlers) {
  return rowsChart(
      std::move(labels),
      [&](std::size_t row) -> const std::vector<std::uint64_t>& { return counts[row]; }, crawlers);
}

std::vector<std::size_t> shownLabels(std::size_t count, std::size_t room) {
  std::vector<std::size_t> shown;
  if (count == 0 || room == 0) return shown;
  if (count <= room) {
    for (std::size_t i = 0; i < count; ++i) shown.push_back(i);
    return shown;
  }
  if (room == 1) return {0};
  for (std::size_t k = 0; k < room; ++k) shown.push_back(k * (count - 1) / (room - 1));
  return shown;
}

ChartGeometry layOutChart(const ChartModel& chart, double width, double height, double legendHeight,
                          double labelWidth, double textHeight) {
  ChartGeometry geometry;
  geometry.left = labelWidth + 8;
  geometry.top = legendHeight + textHeight / 2 + 4;
  geometry.right = std::max(geometry.left + 1, width - 12);
  geometry.bottom = std::max(geometry.top + 1, height - 2 * textHeight);
  geometry.scaleTop = chart.top();
  const std::size_t count = chart.labels.size();
  const double span = geometry.right - geometry.left;
  geometry.xs.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    geometry.xs.push_back(count > 1 ? geometry.left + span * static_cast<double>(i) /
                                                          static_cast<double>(count - 1)
                                    : geometry.left + span / 2);
  return geometry;
}

std::optional<std::size_t> ChartGeometry::rowAt(double x) const {
  if (xs.empty() || x < left - 6 || x > right + 6) return std::nullopt;
  // The rows are evenly spaced: the nearest is found by arithmetic, not a search.
  if (xs.size() == 1) return 0;
  const double step = (right - left) / static_cast<double>(xs.size() - 1);
  const double at = std::round((x - left) / step);
  return static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(xs.size() - 1)));
}

std::string chartTip(const ChartModel& chart, std::size_t row) {
  if (row >= chart.labels.size()) return {};
  std::string tip = chart.labels[row];
  for (const ChartSeries& series : chart.series)
    tip += "\n" + series.name + "：" +
           std::to_string(row < series.values.size() ? series.values[row] : 0);
  return tip;
}

std::vector<ChartPoint> linePoints(const ChartGeometry& geometry,
                                   const std::vector<std::uint64_t>& values) {
  const std::size_t count = std::min(values.size(), geometry.xs.size());
  std::vector<ChartPoint> points;
  const bool spread = count < 2 || geometry.xs[1] - geometry.xs[0] >= 1;
  if (spread) {
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      points.push_back({geometry.xs[i], geometry.yOf(values[i])});
    return points;
  }
  for (std::size_t i = 0; i < count;) {
    const double column = std::floor(geometry.xs[i]);
    const std::uint64_t first = values[i];
    std::uint64_t low = first, high = first, last = first;
    for (++i; i < count && std::floor(geometry.xs[i]) == column; ++i) {
      last = values[i];
      low = std::min(low, last);
      high = std::max(high, last);
    }
    for (const std::uint64_t value : {first, high, low, last})
      points.push_back({column, geometry.yOf(value)});
  }
  return points;
}

}  // namespace tarnwick
