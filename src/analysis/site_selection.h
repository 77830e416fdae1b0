#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/analysis.h"
#include "catalogue/site_list.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace tarnwick {

// Which log files a site selection analyses.
enum class Mode {
  AllLogs = 1,     // every file in the site's log folder
  LastDays = 2,    // today's daily log and the n - 1 days before
  Today = 3,       // today's daily log
  SingleFile = 4,  // one file chosen in the open dialog
};

// The user's side of an analysis: confirmations, message box and open dialog.
struct Dialogs {
  MessageBox& box;
  FileDialog& cd;
  const Clock& clock;
};

// Texts the user sees during a selection.
inline constexpr std::string_view kConfirmAllLogs =
    "确认要查看所有日志吗？ 如果日志文件比较大或文件比较多，可能会出现卡死现象。";
inline constexpr std::string_view kConfirmToday = "确认要查看当天的日志吗？";
inline constexpr std::string_view kNoLogFiles = "该站点无日志文件。";
inline constexpr std::string_view kLogFileFilter = "日志文件|*.log|所有文件|*.*";
std::string confirmLastDays(std::string_view days);

// What happens when the user selects a site: the analysis in the chosen mode.
class SiteSelection {
 public:
  SiteSelection(Dialogs dialogs, ResultsTable& table, SiteList& list2, SiteList& list3,
                Analysis& analysis, const PathResolver& paths)
      : dialogs_(dialogs),
        table_(table),
        list2_(list2),
        list3_(list3),
        analysis_(analysis),
        paths_(paths) {}

  // The site at 0-based `index` of the site list was selected while `mode` was set and
  // `days` ("1" to "9") was the day count. Asks for confirmation where the mode needs
  // it, then replaces the table's rows. A failure is shown in a message, never thrown.
  void List1_Click(int index, Mode mode, std::string_view days);

  // Running row number of the folder scan, reset by each selection.
  std::int64_t fileNo() const { return fileNo_; }

 private:
  void run(int index, Mode mode, std::string_view days);
  bool confirm(std::string_view text);
  void getSubForderOrFile(const std::string& path);

  Dialogs dialogs_;
  ResultsTable& table_;
  SiteList& list2_;
  SiteList& list3_;
  Analysis& analysis_;
  const PathResolver& paths_;
  std::int64_t fileNo_ = 0;
};

}  // namespace tarnwick
