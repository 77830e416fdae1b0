#pragma once

#include <random>
#include <string>

#include "calendar/date.h"

namespace tarnwick {

// The header lines IIS writes at the top of a daily W3C log, CRLF-terminated.
std::string w3cHeader(const Date& day);

// About `lines` request lines of one day of site `siteId`, as IIS writes them: CRLF line
// ends, '+' for spaces in user agents, a realistic mix of browsers and the four crawlers,
// and lines that mention a crawler without counting for it.
std::string w3cLines(const Date& day, int siteId, int lines, std::mt19937& random);

}  // namespace tarnwick
