#pragma once

// Every text the windows show the user, in Chinese, and the words of the report's
// Chinese headers: one place to read and to change them. The design table keeps its
// captions (window_design.cpp), the crawler table its column headers (crawlers.cpp).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "analysis/plan.h"
#include "analysis/row_text.h"
#include "catalogue/site_logging.h"
#include "platform/clock.h"
#include "verify/ranges_folder.h"
#include "verify/ranges_update.h"

namespace tarnwick {

struct SiteSource;
struct AnalysisScope;
struct CrawlerListResult;

// The title of every message box.
inline constexpr std::string_view kMessageTitle = "提示";

// Questions and messages of a site selection.
inline constexpr std::string_view kConfirmAllLogs =
    "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。";
inline constexpr std::string_view kConfirmToday = "确认要查看当天的日志吗？";
inline constexpr std::string_view kNoLogFiles = "该站点无日志文件。";
inline constexpr std::string_view kLogFileFilter = "日志文件|*.log|所有文件|*.*";
std::string confirmLastDays(std::string_view days);
// A failure while showing rows, with what the program said of it.
std::string analysisFailed(std::string_view what);

// The rows' menu, and the export it offers.
inline constexpr std::string_view kCopy = "复制";
inline constexpr std::string_view kExportCsv = "导出 CSV…";
inline constexpr std::string_view kCsvFilter = "CSV 文件|*.csv|所有文件|*.*";
inline constexpr std::string_view kCsvSuggestedName = "蜘蛛统计.csv";
inline constexpr std::string_view kCsvDialogTitle = "导出 CSV";
inline constexpr WindowCsvHeaders kWindowCsvHeaders{"年月日", "文件",   "状态",
                                                    "已读取", "不存在", "无法读取"};
std::string cannotWrite(std::string_view file, std::string_view reason);

// The detail view: what each crawler's lines of the chosen rows say.
inline constexpr std::string_view kShowDetail = "查看详情";
inline constexpr std::string_view kShowChart = "趋势图";
inline constexpr std::string_view kChartCaption = "蜘蛛爬行趋势";
inline constexpr std::string_view kDetailCaption = "蜘蛛详情";
inline constexpr std::string_view kExactStatus = "具体状态码";
inline constexpr std::string_view kDetailLines = "行数";
inline constexpr std::string_view kDetailUnparsed = "无法读取字段的行";
inline constexpr std::string_view kDetailStatus = "状态码";
inline constexpr std::string_view kDetailNotLogged = "未记录";
inline constexpr std::string_view kDetailBytes = "抓取量";
inline constexpr std::string_view kDetailBytesNotLogged = "未记录（日志没有 sc-bytes 字段）";
inline constexpr std::string_view kDetailAverageTime = "平均用时";
inline constexpr std::string_view kDetailMilliseconds = "毫秒";
inline constexpr std::string_view kDetailIps = "不同 IP";
inline constexpr std::string_view kDetailApproximate = "（近似，至少）";
inline constexpr std::string_view kDetailPages = "热门页面";
inline constexpr std::string_view kDetailDirs = "热门目录";
inline constexpr std::string_view kDetailSegments = "热门 IP 段";
inline constexpr std::string_view kDetailHours = "时段";
inline constexpr std::string_view kDetailHourSuffix = "时";
inline constexpr std::string_view kDetailReading = "正在读取详情……";
inline constexpr std::string_view kDetailNoRows = "所选的行没有可读的日志。";
// The hours' time zone: "时段按本机时间：CST（UTC+08:00），日志记录的是 UTC 时间。"
std::string detailZoneLine(std::string_view zone, int utcOffsetMinutes, bool offsetChanges);
// Rows read before the detail view was opened.
std::string detailRowsWithout(std::size_t rows);
// The detail view's title: which rows of which analysis it shows.
std::string detailTitle(const AnalysisScope& scope, std::size_t chosen, std::size_t shown,
                        bool running);

// The words of the report's --detail lines under each row of its table.
// The words of verification: a line's verdicts, in the table and the window.
inline constexpr std::string_view kVerified = "真";
inline constexpr std::string_view kFake = "假";
inline constexpr std::string_view kUnverified = "未验证";
// The rows' menu entry that downloads the ranges files.
inline constexpr std::string_view kUpdateRanges = "更新 IP 段文件";
// The report's table: a line of verdicts under each row.
inline constexpr VerifyWords kVerifyWords{"验证：", kVerified, kFake, kUnverified};

inline constexpr DetailWords kDetailWords{" 行",
                                          " 行无法读取字段",
                                          kDetailStatus,
                                          kDetailNotLogged,
                                          kDetailBytes,
                                          "未记录（没有 sc-bytes 字段）",
                                          kDetailAverageTime,
                                          "IP",
                                          kDetailApproximate,
                                          kDetailPages,
                                          "合计"};

// The HTML report.
inline constexpr std::string_view kReportTitle = "蜘蛛爬行情况分析";
inline constexpr std::string_view kReportChart = "各行抓取次数";
inline constexpr std::string_view kReportRows = "明细";
inline constexpr std::string_view kReportDay = "日期";
inline constexpr std::string_view kReportDetail = "蜘蛛详情";
inline constexpr std::string_view kReportHoursUtc = "时段（UTC，按日志记录）";
inline constexpr std::string_view kExportReport = "导出报告…";
inline constexpr std::string_view kReportFilter = "网页文件|*.html|所有文件|*.*";
inline constexpr std::string_view kReportSuggestedName = "蜘蛛报告.html";
inline constexpr std::string_view kReportDialogTitle = "导出报告";

// The platform dialogs' own words, where the toolkit does not supply them.
inline constexpr std::string_view kOk = "确定";
inline constexpr std::string_view kCancel = "取消";
inline constexpr std::string_view kOpenDialogTitle = "打开";

// Column headers of the report's --list-sites table.
inline constexpr std::string_view kSiteHeader = "站点";
inline constexpr std::string_view kIdHeader = "编号";
inline constexpr std::string_view kLoggingHeader = "日志记录";
inline constexpr std::string_view kLogFolderHeader = "日志目录";
inline constexpr std::string_view kLocalFolderHeader = "本地目录";

// The tip of a row: which file was read, and why it shows zeros where it does.
std::string rowTip(const FileResult& row);

// What an analysis covers, as the status line names it.
struct AnalysisScope {
  std::string site;  // the site's display name
  Mode mode = Mode::Today;
  int days = 1;                    // LastDays
  Date newest;                     // the newest day of LastDays and Today
  LogClock clock = LogClock::Utc;  // the clock that names the site's logs
  std::string chosenFile;          // SingleFile
  std::string folder;              // the site's log folder, as the configuration builds it
  Plan::Status folderStatus = Plan::Status::Ok;  // whether it could be listed
  LogPeriod period = LogPeriod::Daily;           // how often the site's logs roll over
};

// What the rows of a finished or cancelled analysis add up to.
struct RowTotals {
  std::vector<std::uint64_t> counts;  // one per crawler
  std::size_t rows = 0;
  std::size_t missing = 0;
  std::size_t unreadable = 0;

  void add(const FileResult& row);
};

// The site, the mode and the range: "「Default Web Site」最近 7 天（2008-07-07 至 2008-07-13，
// 按 UTC 日期）".
std::string describeScope(const AnalysisScope& scope);

// While it runs: files done of planned, megabytes read and the rate.
std::string runningStatus(const AnalysisScope& scope, const Progress& progress);

// Once every row is in: the number of files, the time taken and the totals per crawler.
std::string finishedStatus(const AnalysisScope& scope, const Progress& progress,
                           const RowTotals& totals, const CrawlerList& crawlers);

// After the user cancelled: which rows stay.
std::string cancelledStatus(const AnalysisScope& scope, const RowTotals& totals,
                            std::size_t planned);

// After the job ran out of memory: which rows stay.
std::string outOfMemoryStatus(const AnalysisScope& scope, const RowTotals& totals,
                              std::size_t planned);
inline constexpr std::string_view kOutOfMemory = "内存不足，分析已停止。已完成的行保留在表中。";

// The header of a crawler's verification column: "百度蜘蛛 真/假/未验证".
std::string verifyColumnHeader(std::string_view header);
// What verification reads, for the status line: the ranges files and their days, and
// whether DNS is asked.
std::string rangesNote(const RangesFolder& ranges, const Date& today);
// While DNS answers come: addresses answered of those asked.
std::string verifyingStatus(std::size_t answered, std::size_t asked);
inline constexpr std::string_view kUpdatingRanges = "正在下载 IP 段文件……";
// What updating the ranges files gave.
std::string rangesUpdatedStatus(const std::vector<RangesUpdate>& updates);

// Why a site's logs cannot be counted, for the "提示" box.
std::string uncountableMessage(Uncountable why, const SiteLogging& logging);

// Where the site's log folder could not be listed.
std::string noLogsStatus(const AnalysisScope& scope);

// After an export: how many rows went where.
std::string exportedStatus(std::size_t rows, std::string_view file);

// Why the window cannot open on the configuration: which file, and why.
std::string configMessage(const SiteSource& source);

// The crawler list that could not be read, or its lines left out; empty where all is well.
std::string crawlerListMessage(const CrawlerListResult& list, std::string_view given);

}  // namespace tarnwick
