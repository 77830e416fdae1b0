#include "analysis/site_selection.h"

#include <charconv>
#include <exception>

#include "analysis/daily_logs.h"

namespace tarnwick {

namespace {

int dayCount(std::string_view text) {
  int days = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
  return (error == std::errc() && end == text.data() + text.size() && days > 0) ? days : 0;
}

}  // namespace

std::string confirmLastDays(std::string_view days) {
  return "确认要查看最近" + std::string(days) + "天的日志吗？";
}

void SiteSelection::List1_Click(int index, Mode mode, std::string_view days) {
  try {
    run(index, mode, days);
  } catch (const std::exception& error) {
    dialogs_.box.show("分析出错：" + std::string(error.what()), MessageBox::Buttons::Ok,
                      kMessageTitle);
  }
}

bool SiteSelection::confirm(std::string_view text) {
  return dialogs_.box.show(text, MessageBox::Buttons::OkCancel, kMessageTitle) ==
         MessageBox::Answer::Ok;
}

void SiteSelection::getSubForderOrFile(const std::string& path) {
  if (!analysis_.scan.run(path, fileNo_).ok())
    dialogs_.box.show(kNoLogFiles, MessageBox::Buttons::Ok, kMessageTitle);
}

void SiteSelection::run(int index, Mode mode, std::string_view days) {
  fileNo_ = 0;
  list3_.select(index);
  const std::string folder = list3_.selectedText();
  switch (mode) {
    case Mode::AllLogs:
      if (!confirm(kConfirmAllLogs)) return;
      list2_.select(index);
      table_.clearRows();
      getSubForderOrFile(list2_.selectedText());
      break;
    case Mode::LastDays:
      if (!confirm(confirmLastDays(days))) return;
      table_.clearRows();
      // Today is read once, so an analysis that runs past midnight neither skips nor repeats a day.
      addDailyRows(analysis_.rows, folder, dialogs_.clock.today(), dayCount(days));
      break;
    case Mode::Today:
      if (!confirm(kConfirmToday)) return;
      table_.clearRows();
      addDailyRows(analysis_.rows, folder, dialogs_.clock.today(), 1);
      break;
    case Mode::SingleFile: {
      const auto initialFolder = paths_.resolve(folder);
      dialogs_.cd.showOpen(kLogFileFilter, initialFolder ? initialFolder->string() : std::string());
      const std::string chosen = dialogs_.cd.fileName();
      if (chosen.empty()) return;
      table_.clearRows();
      analysis_.rows.fullTable(1, chosen, kFullPath);
      break;
    }
  }
}

}  // namespace tarnwick
