#include "app/result_rows.h"

#include "app/texts.h"

namespace tarnwick {

ResultRows::ResultRows(const CrawlerList& crawlers) {
  columns_.push_back({std::string(kDateColumnKey), std::string(kDateColumnHeader)});
  for (const Crawler& crawler : crawlers) columns_.push_back({crawler.columnKey, crawler.header});
}

std::string ResultRows::cell(std::size_t row, std::size_t column) const {
  const FileResult& shown = rows_[row];
  if (column == 0) return shown.label;
  return column - 1 < shown.counts.size() ? std::to_string(shown.counts[column - 1]) : "";
}

bool ResultRows::greyed(std::size_t row) const {
  return rows_[row].status != FileResult::Status::Counted;
}

std::string ResultRows::tip(std::size_t row) const {
  return rowTip(rows_[row]);
}

}  // namespace tarnwick
