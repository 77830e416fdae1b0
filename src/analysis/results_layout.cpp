#include "analysis/results_layout.h"

#include "analysis/crawlers.h"

namespace tarnwick {

void prepareResultsTable(ResultsTable& table) {
  table.setReportView();
  table.addColumn(kDateColumnKey, kDateColumnHeader);
  for (const Crawler& crawler : kCrawlers) table.addColumn(crawler.columnKey, crawler.header);
  for (int position = 1; position <= static_cast<int>(kCrawlers.size()) + 1; ++position)
    table.setColumnWidth(position, kColumnWidthTwips);
}

}  // namespace tarnwick
