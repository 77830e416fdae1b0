#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The row label of a log file: its name with every "ex" and then every ".log" removed,
// of which the last six characters are kept. "u_ex080713.log" gives "080713".
std::string dayLabel(std::string_view mpath);

// The day a label names, as an ISO date: "080713" gives "2008-07-13"; empty where the
// label is not six digits of a valid day.
std::string labelDate(std::string_view label);

}  // namespace tarnwick
