#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// What the name of a log file the server wrote says: "ex" or "u_ex", the date digits of
// its schedule (YYMMDD daily or YYMMWW weekly, YYMMDDHH hourly, YYMM monthly) or
// "extend" and a number (by size), then "_x" where the site logs custom fields, ".log".
struct ServerLogName {
  enum class Kind { SixDigits, Hourly, Monthly, BySize };
  Kind kind = Kind::SixDigits;
  std::string digits;  // the date digits, or the by-size number
  std::string stem;    // the name without ".log"
};

// The file name at the end of `mpath` (after its last "\" or "/") read as one the server
// wrote, case ignored as NTFS does; nothing for any other name.
std::optional<ServerLogName> serverLogName(std::string_view mpath);

// The row label of a log file: for a name the server wrote, its date digits
// ("u_ex26120713_x.log" gives "26120713"; a by-size file its name without ".log");
// otherwise its name with every "ex" and then every ".log" removed, of which the last
// six characters are kept.
std::string dayLabel(std::string_view mpath);

// The day a label names, as an ISO date: "080713" gives "2008-07-13"; empty where the
// label is not six digits of a valid day.
std::string labelDate(std::string_view label);

}  // namespace tarnwick
