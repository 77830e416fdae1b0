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

// A line of a crawler list that was left out, and why.
struct CrawlerListProblem {
  enum class Kind {
    NotUtf8,
    NoToken,           // nothing before the tab
    TooLong,           // a token of more than 200 bytes
    TooManyTabs,       // more than two tabs
    BadCheck,          // a third column item that is neither dns:DOMAIN nor ranges:FILE
    ControlCharacter,  // a control character in the token or the header
    Duplicate,         // the token is counted already
    Reserved,          // the token is the name of a row's own csv column or json member
    TooMany,           // past the most crawlers a list may add
  };

  int line = 0;  // 1-based
  Kind kind = Kind::NoToken;
  std::string token;  // as written

  // "line 3: no token before the tab"
  std::string description() const;
};

// Crawlers the user adds after the designed four, from a UTF-8 text file: one crawler a
// line, its token, then optionally a tab and a column header, then optionally a tab and
// the checks that tell it from an impostor (space-separated "dns:DOMAIN" and
// "ranges:FILE" items); "#" starts a comment.
struct CrawlerListResult {
  enum class Status { Ok, Unreadable, TooLarge };

  Status status = Status::Ok;                // whether the file itself could be read
  std::string reason;                        // the system's words, where it could not
  CrawlerList crawlers;                      // the designed four, then those of the file
  std::vector<CrawlerListProblem> problems;  // one per line left out, where any
  std::size_t problemsNotKept = 0;           // lines left out past the ones kept in `problems`

  bool ok() const { return status == Status::Ok; }
  // Why the file could not be read, in English.
  std::string description() const;
};

// Tokens that are the names of a row's own members in csv and json.
bool reservedToken(std::string_view token);

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
