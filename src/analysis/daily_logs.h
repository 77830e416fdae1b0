#pragma once

#include <string>
#include <string_view>

#include "analysis/line_counter.h"
#include "analysis/row_builder.h"
#include "platform/date.h"

namespace tarnwick {

// The daily log of `date` in server folder `folder` (ending in a backslash):
// folder + "ex" + YYMMDD + ".log". Where that file does not exist but the one IIS 7
// and later write, "u_ex" + YYMMDD + ".log", does, that one.
std::string dailyLogName(std::string_view folder, const Date& date, const LineCounter& files);

// Rows 1 to `days` for the daily logs of `today` and the days before it, newest first.
void addDailyRows(RowBuilder& rows, std::string_view folder, const Date& today, int days);

}  // namespace tarnwick
