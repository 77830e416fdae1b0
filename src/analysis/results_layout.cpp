#include "analysis/results_layout.h"

#include "analysis/day_label.h"

namespace tarnwick {

void prepareResultsTable(ResultsTable& table, const CrawlerList& crawlers) {
  table.setReportView();
  table.addColumn(kDateColumnKey, kDateColumnHeader);
  for (const Crawler& crawler : crawlers) table.addColumn(crawler.columnKey, crawler.header);
  for (int position = 1; position <= static_cast<int>(crawlers.size()) + 1; ++position)
    table.setColumnWidth(position, kColumnWidthTwips);
}

std::string rowTip(const FileResult& row) {
  const std::string& read = row.local ? *row.local : row.name;
  switch (row.status) {
    case FileResult::Status::Counted:
      return "读取：" + read;
    case FileResult::Status::Missing:
      return "没有这个日志文件：" + read + (row.reason.empty() ? "" : "（" + row.reason + "）");
    case FileResult::Status::Unreadable:
      return "无法读取：" + read + "（" + row.reason + "）";
  }
  return read;
}

void addResultRow(ResultsTable& table, const CrawlerList& crawlers, const FileResult& row) {
  const RowHandle handle = table.addRow(row.position, rowKey(row.position), row.label);
  for (std::size_t c = 0; c < crawlers.size() && c < row.counts.size(); ++c)
    table.setCell(handle, crawlers[c].columnKey, row.counts[c]);
  const RowState state = row.status == FileResult::Status::Counted   ? RowState::Counted
                         : row.status == FileResult::Status::Missing ? RowState::Missing
                                                                     : RowState::Unreadable;
  table.describeRow(handle, state, rowTip(row));
}

}  // namespace tarnwick
