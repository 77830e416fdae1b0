#include "app/texts.h"

#include <cstdio>

#include "analysis/crawler_list.h"
#include "catalogue/site_source.h"

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

// Why the site's log folder could not be listed, naming it; empty where it could.
std::string folderNote(const AnalysisScope& scope) {
  switch (scope.folderStatus) {
    case Plan::Status::Ok:
      return {};
    case Plan::Status::FolderNotFound:
      return "日志目录不存在：" + scope.folder;
    case Plan::Status::FolderUnreadable:
      return "日志目录无法读取：" + scope.folder;
    case Plan::Status::NotHere:
      return "日志目录在这台计算机上找不到（驱动器不存在或未映射，或是网络路径）：" + scope.folder;
  }
  return {};
}

}  // namespace

std::string confirmLastDays(std::string_view days) {
  return "确认要查看最近" + std::string(days) + "天的日志吗？";
}

std::string analysisFailed(std::string_view what) {
  return "分析出错：" + std::string(what);
}

std::string cannotWrite(std::string_view file, std::string_view reason) {
  return "无法写入文件：" + std::string(file) + "\n原因：" + std::string(reason);
}

std::string rowTip(const FileResult& row) {
  const std::string& read = row.local ? *row.local : row.name;
  using P = FileResult::Problem;
  switch (row.problem) {
    case P::None:
      return (row.status == FileResult::Status::Counted ? "读取：" : "没有这个日志文件：") + read;
    case P::NotHere:
      return "没有这个日志文件：" + read + "（这个路径在这台计算机上找不到：驱动器未映射或不存在）";
    case P::NotFound:
      return "没有这个日志文件：" + read;
    case P::NotAFile:
      return "无法读取：" + read + "（不是文件，而是文件夹、命名管道或设备）";
    case P::Denied:
      return "无法读取：" + read + "（没有读取权限，或被其他程序独占）";
    case P::ReadFailed:
      return "无法读取：" + read + "（读取出错）";
  }
  return read;
}

void RowTotals::add(const FileResult& row) {
  if (counts.size() < row.counts.size()) counts.resize(row.counts.size(), 0);
  for (std::size_t c = 0; c < row.counts.size(); ++c) counts[c] += row.counts[c];
  ++rows;
  missing += row.status == FileResult::Status::Missing;
  unreadable += row.status == FileResult::Status::Unreadable;
}

std::string periodWords(LogPeriod period) {
  switch (period) {
    case LogPeriod::Daily:
      return "每天";
    case LogPeriod::Hourly:
      return "每小时";
    case LogPeriod::Weekly:
      return "每周";
    case LogPeriod::Monthly:
      return "每月";
    case LogPeriod::BySize:
      return "按大小";
  }
  return "每天";
}

// "每小时一个日志" where the site's logs do not roll over daily.
std::string scheduleWords(LogPeriod period) {
  if (period == LogPeriod::Daily) return {};
  return periodWords(period) + (period == LogPeriod::BySize ? "滚动日志" : "一个日志");
}

std::string scheduleNote(LogPeriod period) {
  return period == LogPeriod::Daily ? "" : "，" + scheduleWords(period);
}

std::string describeScope(const AnalysisScope& scope) {
  const std::string site = "「" + scope.site + "」";
  switch (scope.mode) {
    case Mode::AllLogs:
      return site + "所有日志" +
             (scope.period == LogPeriod::Daily ? "" : "（" + scheduleWords(scope.period) + "）");
    case Mode::LastDays:
      return site + "最近 " + std::to_string(scope.days) + " 天（" +
             isoDate(daysBefore(scope.newest, scope.days - 1)) + " 至 " + isoDate(scope.newest) +
             "，" + clockName(scope.clock) + scheduleNote(scope.period) + "）";
    case Mode::Today:
      return site + "当天日志（" + isoDate(scope.newest) + "，" + clockName(scope.clock) +
             scheduleNote(scope.period) + "）";
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
  return text + folderNote(scope);
}

std::string uncountableMessage(Uncountable why, const SiteLogging& logging) {
  switch (why) {
    case Uncountable::None:
      return {};
    case Uncountable::NoUserAgent:
      return std::string("该站点的日志为 ") + (logging.logging == Logging::Iis ? "IIS" : "NCSA") +
             " 格式，不记录 User-Agent，无法统计蜘蛛。";
    case Uncountable::EtwOnly:
      return "该站点只把日志写入 ETW，没有日志文件可以统计。";
    case Uncountable::Off:
      return "该站点未启用日志，没有日志文件可以统计。";
    case Uncountable::CustomModule:
      return "该站点使用自定义日志模块（或 ODBC），没有 W3C 日志文件可以统计。";
  }
  return {};
}

std::string verifyColumnHeader(std::string_view header) {
  return std::string(header) + " " + std::string(kVerified) + "/" + std::string(kFake) + "/" +
         std::string(kUnverified);
}

std::string rangesNote(const RangesFolder& ranges, const Date& today) {
  std::string text = "验证：";
  std::string files;
  for (const FoundRanges& found : ranges.found) {
    files += (files.empty() ? "" : "、") + found.name + "（";
    if (!found.file.ok())
      files += "无法使用：" + found.file.description();
    else if (!found.file.created)
      files += "日期不明";
    else
      files += isoDate(*found.file.created) +
               (isoDate(*found.file.created) < isoDate(daysBefore(today, kRangesOldDays))
                    ? "，已超过 " + std::to_string(kRangesOldDays) + " 天"
                    : "");
    files += "）";
  }
  text += files.empty() ? "未找到 IP 段文件（右键菜单“" + std::string(kUpdateRanges) + "”可下载）"
                        : "IP 段文件 " + files;
  return text + "；其余按反向 DNS 确认。";
}

std::string verifyingStatus(std::size_t answered, std::size_t asked) {
  return "正在反向解析蜘蛛 IP：已完成 " + std::to_string(answered) + "/" + std::to_string(asked) +
         "。";
}

std::string rangesUpdatedStatus(const std::vector<RangesUpdate>& updates) {
  std::string done, failed;
  for (const RangesUpdate& update : updates) {
    if (update.ok)
      done += (done.empty() ? "" : "、") + update.name + "（" + std::to_string(update.prefixes) +
              " 段）";
    else
      failed += (failed.empty() ? "" : "；") + update.name + "：" + update.reason;
  }
  std::string text;
  if (!done.empty()) text += "IP 段文件已更新：" + done + "。";
  if (!failed.empty()) text += "未能更新（保留原文件）：" + failed + "。";
  return text;
}

std::string cancelledStatus(const AnalysisScope& scope, const RowTotals& totals,
                            std::size_t planned) {
  return describeScope(scope) + "：已取消，保留已完成的 " + std::to_string(totals.rows) + "/" +
         std::to_string(planned) + " 行。";
}

std::string outOfMemoryStatus(const AnalysisScope& scope, const RowTotals& totals,
                              std::size_t planned) {
  return describeScope(scope) + "：内存不足，已停止，保留已完成的 " + std::to_string(totals.rows) +
         "/" + std::to_string(planned) + " 行。";
}

std::string noLogsStatus(const AnalysisScope& scope) {
  return describeScope(scope) + "：该站点无日志文件。" + folderNote(scope);
}

std::string exportedStatus(std::size_t rows, std::string_view file) {
  return "已导出 " + std::to_string(rows) + " 行到 " + std::string(file) + "。";
}

std::string configMessage(const SiteSource& source) {
  using L = ConfigLocation::Status;
  const ConfigLocation& location = source.location;
  const auto neither = [&] {
    std::string text;
    for (const std::string& file : location.looked) text += "\n" + file;
    return text;
  };
  switch (location.status) {
    case L::Found:
      break;
    case L::RootAndConfig:
      return "--root 与 --config 不能同时使用。";
    case L::NotGiven:
      return "没有指定站点配置：请用 --root 目录（服务器系统盘的副本）或 --config 文件。";
    case L::NotUnderRoot:
      return "找不到站点配置：下列文件都不存在：" + neither();
    case L::NotInstalled:
      return "找不到站点配置：这台计算机没有安装 IIS，下列文件都不存在：" + neither();
  }
  using S = ConfigOpenResult::Status;
  const ConfigOpenResult& config = source.config;
  const std::string& file = config.file;
  switch (config.status) {
    case S::Ok:
      return {};
    case S::FileNotFound:
      return "站点配置文件不存在：" + file;
    case S::NotAFile:
      return "站点配置不是一个文件：" + file;
    case S::AccessDenied:
      return "无权读取站点配置文件：" + file + "\n请以管理员身份运行本程序。";
    case S::FileUnreadable:
      return "无法读取站点配置文件：" + file;
    case S::TooLarge:
      return "站点配置文件过大，不像是 IIS 的站点配置：" + file;
    case S::OutOfMemory:
      return "内存不足，无法读取站点配置文件：" + file;
    case S::NotWellFormed:
      return "站点配置文件格式错误：" + file + "\n第 " + std::to_string(config.line) + " 行第 " +
             std::to_string(config.column) + " 列。";
    case S::NotIisConfiguration:
      return "不是 IIS 的站点配置文件：" + file;
    case S::NoServiceNode:
      return "站点配置文件中找不到网站节点（<sites> 或 /LM/W3SVC）：" + file;
  }
  return {};
}

std::string crawlerListMessage(const CrawlerListResult& list, std::string_view given) {
  if (list.status != CrawlerListResult::Status::Ok)
    return "无法读取蜘蛛列表" + (given.empty() ? std::string() : "：" + std::string(given)) +
           "\n只统计四种默认的蜘蛛。";
  if (list.problems.empty()) return {};
  std::string text = "蜘蛛列表中有几行不能使用，已略过：";
  for (const CrawlerListProblem& problem : list.problems) {
    text += "\n第 " + std::to_string(problem.line) + " 行：";
    using P = CrawlerListProblem::Kind;
    switch (problem.kind) {
      case P::NotUtf8:
        text += "不是 UTF-8 文本";
        break;
      case P::NoToken:
        text += "制表符前没有蜘蛛标识";
        break;
      case P::TooLong:
        text += "蜘蛛标识过长";
        break;
      case P::TooManyTabs:
        text += "多于两个制表符";
        break;
      case P::BadCheck:
        text += "第三列只能写 dns:域名 或 ranges:文件名";
        break;
      case P::ControlCharacter:
        text += "含有控制字符";
        break;
      case P::Duplicate:
        text += "「" + problem.token + "」已经统计";
        break;
      case P::Reserved:
        text += "「" + problem.token + "」是每一行自有的列名";
        break;
      case P::TooMany:
        text += "蜘蛛超过 " + std::to_string(kMaxAddedCrawlers) + " 个";
        break;
    }
  }
  return text;
}

std::string detailZoneLine(std::string_view zone, int utcOffsetMinutes, bool offsetChanges) {
  const std::string offset = utcOffsetText(utcOffsetMinutes);
  const bool named = !zone.empty() && zone != offset;
  std::string line = "时段按本机时间：" +
                     (named ? std::string(zone) + "（" + offset + "）" : offset) +
                     "，日志记录的是 UTC 时间。";
  if (offsetChanges) line += "所选日期跨过夏令时调整，各日按当日的时差换算。";
  return line;
}

std::string detailRowsWithout(std::size_t rows) {
  return "另有 " + std::to_string(rows) + " 行是在打开详情之前读取的，没有详情。";
}

std::string detailTitle(const AnalysisScope& scope, std::size_t chosen, std::size_t shown,
                        bool running) {
  std::string title = std::string(kDetailCaption) + " - " + describeScope(scope) + "，";
  title += chosen == shown ? "全部 " + std::to_string(shown) + " 行"
                           : "所选 " + std::to_string(chosen) + " 行";
  if (running) title += "（分析中）";
  return title;
}

}  // namespace tarnwick
