#include "page_bench.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/crawler_list.h"
#include "app/chart_model.h"
#include "bench_support.h"

namespace tarnwick::bench {

namespace {

namespace fs = std::filesystem;

// What a repaint of the chart costs, the drawing itself aside: the model from the rows,
// its layout and the points of every line.
double chartSeconds(std::size_t rows) {
  std::mt19937 random(7);
  std::vector<std::string> labels;
  std::vector<std::vector<std::uint64_t>> counts;
  for (std::size_t r = 0; r < rows; ++r) {
    labels.push_back(std::to_string(100000 + r));
    counts.push_back({random() % 500, random() % 400, random() % 300, random() % 200});
  }
  return bestSeconds([&] {
    const ChartModel chart = rowsChart(labels, counts, designedCrawlers());
    const ChartGeometry geometry = layOutChart(chart, 1280, 720, 20, 40, 16);
    std::size_t points = 0;
    for (const ChartSeries& series : chart.series)
      points += linePoints(geometry, series.values).size();
    if (points == 0) std::printf("no points\n");
  });
}

double browserSeconds(const fs::path& page) {
  return bestSeconds([&] {
    capture("chromium --headless --no-sandbox --disable-gpu --dump-dom 'file://" + page.string() +
            "' 2>/dev/null > /dev/null");
  });
}

}  // namespace

bool pageCases(const fs::path& root) {
  const double chart = chartSeconds(10000);
  std::printf("\nThe chart of 10,000 rows: model, layout and lines\n");
  std::printf("  %-44s %7.2f ms\n", "one repaint's work", chart * 1000);
  bool met = verdict("under 10 ms", chart < 0.010);

  const fs::path page = root / "report.html", blank = root / "blank.html";
  std::ofstream(blank) << "<!DOCTYPE html><html><body></body></html>\n";
  const std::string report = std::string(TARNWICK_REPORT) + " --root " + quoted(root / "c") +
                             " --site 3 --all --detail --format html --output " + quoted(page);
  capture(report);
  const auto size = fs::exists(page) ? fs::file_size(page) : 0;
  if (capture("command -v chromium").empty()) {
    std::printf("\nThe HTML page: chromium is not installed (make test installs it)\n");
    return verdict("the page under 2 MB", size > 0 && size < (2u << 20)) && met;
  }
  const double empty = browserSeconds(blank), drawn = browserSeconds(page);
  std::printf("\nThe HTML page of 1,000 daily rows with details, %.0f KB\n", size / 1024.0);
  line("chromium, an empty page", empty, empty, "empty");
  line("chromium, the page", drawn, empty, "empty");
  met = verdict("the page under 2 MB", size > 0 && size < (2u << 20)) && met;
  return verdict("drawn within 1 s more than an empty page", drawn - empty < 1.0) && met;
}

}  // namespace tarnwick::bench
