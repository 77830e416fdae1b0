#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "catalogue/env_expand.h"
#include "platform/text_input.h"

namespace tarnwick {

// Crawlers the user adds after the designed four, from a UTF-8 text file: one crawler a
// line, its token, then optionally a tab and a column header; "#" starts a comment.
struct CrawlerListResult {
  CrawlerList crawlers;               // the designed four, then those of the file
  std::vector<std::string> problems;  // "line 3: ...", one per line left out
  std::string error;                  // where the file itself could not be read
};

// Most crawlers a list may add.
inline constexpr std::size_t kMaxAddedCrawlers = 64;

// The designed four followed by the crawlers of list `text`. A bad line is left out and
// named in `problems`; the rest still counts.
CrawlerListResult parseCrawlerList(std::string_view text);

// The list in file `file`.
CrawlerListResult readCrawlerList(const std::filesystem::path& file, const TextInput& input);

// Where the user's own list lives: %APPDATA%\Tarnwick\crawlers.txt on Windows,
// $XDG_CONFIG_HOME/tarnwick/crawlers.txt (or ~/.config/...) elsewhere.
std::optional<std::filesystem::path> userCrawlerListPath(const VariableLookup& environment);

// The crawlers to count: those of `given` (--crawlers FILE) where given, else of the
// user's own list where there is one, else the designed four.
CrawlerListResult chooseCrawlers(const std::optional<std::filesystem::path>& given,
                                 const TextInput& input, const VariableLookup& environment);

}  // namespace tarnwick
