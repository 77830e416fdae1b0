#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"

namespace tarnwick {

// How rows are written out.
enum class RowFormat {
  Table,  // aligned columns under the window's headers, for a terminal
  Csv,    // RFC 4180: day, one count per crawler token, the file read, its status
  Json,   // {"rows":[...]}, the same members as csv
  Tsv,    // the window's columns separated by tabs, for pasting into a spreadsheet
};

// Analysis rows as text, one row at a time as they arrive. Every text it gives is valid
// UTF-8, and no text cell can be taken for a formula by a spreadsheet.
class RowFormatter {
 public:
  RowFormatter(RowFormat format, const CrawlerList& crawlers)
      : format_(format), crawlers_(crawlers) {}

  // What comes before the first row: the header line, or the opening of the JSON.
  std::string header() const;
  // One row: its day, one count per crawler, the local file read and its status.
  std::string row(const FileResult& row);
  // What comes after the last row.
  std::string footer() const;

 private:
  RowFormat format_;
  const CrawlerList& crawlers_;
  bool first_ = true;
};

// `row`'s status as csv and json name it: "ok", "missing" or "unreadable".
std::string_view statusName(const FileResult& row);

// `text` with a leading "'" where a spreadsheet would take it for a formula: where it
// begins with =, +, -, @, a tab or a carriage return.
std::string notFormula(std::string text);
// A csv text cell: valid UTF-8, with a leading "'" where a spreadsheet would take it for a
// formula (it begins with =, +, -, @, a tab or a carriage return), quoted where needed.
std::string csvField(std::string_view text);
// `text` as a JSON string literal, quotes included, valid UTF-8.
std::string jsonString(std::string_view text);
// `text` safe for a terminal: valid UTF-8, control characters shown as \xNN.
std::string terminalText(std::string_view text);

// Columns `text` takes in a terminal: East Asian wide characters take two.
std::size_t displayWidth(std::string_view text);
// `text` after or before spaces, to take `width` columns.
std::string padLeft(std::string_view text, std::size_t width);
std::string padRight(std::string_view text, std::size_t width);

}  // namespace tarnwick
