#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "analysis/crawlers.h"
#include "analysis/line_counter.h"
#include "catalogue/site_list.h"
#include "platform/results_table.h"

namespace tarnwick {

// The row label of a log file: its name with every "ex" and then every ".log" removed,
// of which the last six characters are kept. "u_ex080713.log" gives "080713".
std::string dayLabel(std::string_view mpath);

// Row key of the row at position `i`: "ayfy1", "ayfy2", ...
std::string rowKey(std::int64_t i);

// `mpath` names a bare file inside the selected site's log folder.
inline constexpr int kInLogFolder = 1;
// `mpath` is a full path.
inline constexpr int kFullPath = 2;

// One log file as analysed: what its row shows and which file was read.
struct AnalysedFile {
  std::string label;
  std::string path;  // as passed to the counter: a server path or a local one
  CrawlerCounts counts{};
};

// Turns one log file into one row of the results table.
class RowBuilder {
 public:
  // `list2` supplies the selected site's log folder for bare file names.
  RowBuilder(ResultsTable& table, const SiteList& list2, const LineCounter& counter)
      : table_(table), list2_(list2), counter_(counter) {}

  // Adds row `i` for log file `mpath` and fills its four crawler counts. `flag` is
  // kInLogFolder where `mpath` is a bare name in the selected log folder, else the
  // full path. A file that cannot be read still gets its row, with zeros.
  void fullTable(std::int64_t i, std::string_view mpath, int flag);

  // Called after each row is filled; for callers that want more than the table shows.
  void onRow(std::function<void(const AnalysedFile&)> observer) { observer_ = std::move(observer); }

  const LineCounter& counter() const { return counter_; }

 private:
  ResultsTable& table_;
  const SiteList& list2_;
  const LineCounter& counter_;
  std::function<void(const AnalysedFile&)> observer_;
};

}  // namespace tarnwick
