#include "analysis/daily_logs.h"

namespace tarnwick {

std::string dailyLogName(std::string_view folder, const Date& date, const LineCounter& files) {
  const std::string day = yymmdd(date) + ".log";
  std::string name = std::string(folder) + "ex" + day;
  if (!files.exists(name)) {
    std::string modern = std::string(folder) + "u_ex" + day;
    if (files.exists(modern)) return modern;
  }
  return name;
}

void addDailyRows(RowBuilder& rows, std::string_view folder, const Date& today, int days) {
  for (int k = 0; k < days; ++k)
    rows.fullTable(k + 1, dailyLogName(folder, daysBefore(today, k), rows.counter()), kFullPath);
}

}  // namespace tarnwick
