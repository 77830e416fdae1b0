#include "app/status_text.h"

#include <cstdio>

namespace tarnwick {

namespace {

std::string decimal(double value, int places) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", places, value);
  return text;
}

std::string megabytes(std::uint64_t bytes) {
  return decimal(static_cast<double>(bytes) / (1024.0 * 1024.0), 1) + " MB";
}

double seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

std::string clockName(LogClock clock) {
  return clock == LogClock::Utc ? "按 UTC 日期" : "按本地日期";
}

}  // namespace

void RowTotals::add(const FileResult& row) {
  if (counts.size() < row.counts.size()) counts.resize(row.counts.size(), 0);
  for (std::size_t c = 0; c < row.counts.size(); ++c) counts[c] += row.counts[c];
  ++rows;
  missing += row.status == FileResult::Status::Missing;
  unreadable += row.status == FileResult::Status::Unreadable;
}

std::string describeScope(const AnalysisScope& scope) {
  const std::string site = "「" + scope.site + "」";
  switch (scope.mode) {
    case Mode::AllLogs:
      return site + "所有日志";
    case Mode::LastDays:
      return site + "最近 " + std::to_string(scope.days) + " 天（" +
             isoDate(daysBefore(scope.newest, scope.days - 1)) + " 至 " + isoDate(scope.newest) +
             "，" + clockName(scope.clock) + "）";
    case Mode::Today:
      return site + "当天日志（" + isoDate(scope.newest) + "，" + clockName(scope.clock) + "）";
    case Mode::SingleFile:
      return "单一日志 " + scope.chosenFile;
  }
  return site;
}

std::string runningStatus(const AnalysisScope& scope, const Progress& progress) {
  const double elapsed = seconds(progress.elapsed);
  const double rate = elapsed > 0 ? static_cast<double>(progress.bytesRead) / elapsed : 0;
  return "正在分析" + describeScope(scope) + "：" + std::to_string(progress.filesDone) + "/" +
         std::to_string(progress.filesPlanned) + " 个文件，" + megabytes(progress.bytesRead) +
         "，" + megabytes(static_cast<std::uint64_t>(rate)) + "/s";
}

std::string finishedStatus(const AnalysisScope& scope, const Progress& progress,
                           const RowTotals& totals, const CrawlerList& crawlers) {
  std::string text = describeScope(scope) + "：" + std::to_string(totals.rows) + " 个文件，" +
                     megabytes(progress.bytesRead) + "，用时 " +
                     decimal(seconds(progress.elapsed), 2) + " 秒。合计";
  for (std::size_t c = 0; c < crawlers.size(); ++c)
    text += (c ? "，" : " ") + crawlers[c].header + " " +
            std::to_string(c < totals.counts.size() ? totals.counts[c] : 0);
  text += "。";
  if (totals.missing) text += std::to_string(totals.missing) + " 个日志文件不存在。";
  if (totals.unreadable) text += std::to_string(totals.unreadable) + " 个日志文件无法读取。";
  return text;
}

std::string cancelledStatus(const AnalysisScope& scope, const RowTotals& totals,
                            std::size_t planned) {
  return describeScope(scope) + "：已取消，保留已完成的 " + std::to_string(totals.rows) + "/" +
         std::to_string(planned) + " 行。";
}

std::string noLogsStatus(const AnalysisScope& scope, const std::string& reason) {
  return describeScope(scope) + "：该站点无日志文件（" + reason + "）。";
}

}  // namespace tarnwick
