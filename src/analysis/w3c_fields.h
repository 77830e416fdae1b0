#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Where the fields a detail reads stand in a W3C log line, as the last "#Fields:"
// directive named them; -1 for a field that is not logged.
struct FieldLayout {
  std::size_t count = 0;  // fields a line has
  int date = -1;          // date
  int time = -1;          // time
  int clientIp = -1;      // c-ip
  int uriStem = -1;       // cs-uri-stem
  int status = -1;        // sc-status
  int bytes = -1;         // sc-bytes
  int timeTaken = -1;     // time-taken
  int siteName = -1;      // s-sitename

  // The layout "#Fields: date time c-ip ..." names; `names` is the text after the colon.
  static FieldLayout fromDirective(std::string_view names);

  friend bool operator==(const FieldLayout&, const FieldLayout&) = default;
};

// What a field directive starts with.
inline constexpr std::string_view kFieldsDirective = "#Fields:";

// `tokens`, then "#Fields:": what a scan looks for that finds the directives' lines too.
std::vector<std::string> withFieldsDirective(std::vector<std::string> tokens);

// Whether `line` is a field directive: "#Fields:" at its start.
bool isFieldsDirective(std::string_view line);

// The layout named by the line of `text` that starts at `start` and ends at its first CR
// or LF (or the end of `text`), where that line is a field directive.
std::optional<FieldLayout> directiveAt(std::string_view text, std::size_t start);

// The first `keep` fields of the line of `text` that starts at `start`, into `fields`:
// false where it has fewer. The rest of the line is not looked at.
bool splitFirstFields(std::string_view text, std::size_t start, std::size_t keep,
                      std::vector<std::string_view>& fields);

// Where the line from `start` ends: its first CR or LF; npos where it does not end in
// `bytes`.
std::size_t lineEndAt(std::string_view bytes, std::size_t start);

// Splits `line` at single spaces into `fields`: false where there are not `count`.
bool splitFields(std::string_view line, std::size_t count, std::vector<std::string_view>& fields);
// As splitFields() for the line of `text` that starts at `start` and ends at its first CR
// or LF (or the end of `text`), found as it is split: for a line read where it lies.
bool splitLineAt(std::string_view text, std::size_t start, std::size_t count,
                 std::vector<std::string_view>& fields);

}  // namespace tarnwick
