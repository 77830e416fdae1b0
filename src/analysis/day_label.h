#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The row label of a log file: its name with every "ex" and then every ".log" removed,
// of which the last six characters are kept. "u_ex080713.log" gives "080713".
std::string dayLabel(std::string_view mpath);

// Row key of the row at position `i`: "ayfy1", "ayfy2", ...
std::string rowKey(std::int64_t i);

}  // namespace tarnwick
