#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/detail_text.h"
#include "analysis/job.h"

namespace tarnwick {

// How rows are written out.
enum class RowFormat {
  Table,      // aligned columns under the window's headers, for a terminal
  Csv,        // RFC 4180: day, one count per crawler token, the file read, its status
  Json,       // {"rows":[...]}, the same members as csv
  Tsv,        // the window's columns separated by tabs, for pasting into a spreadsheet
  WindowCsv,  // csv under the window's headers, with the day as a date, for a spreadsheet
};

// Headers of the window's csv that the window's table does not have: the day as a date,
// the file read and its status.
struct WindowCsvHeaders {
  std::string_view date, file, status;
  std::string_view ok, missing, unreadable;  // the status's words
};

// Analysis rows as text, one row at a time as they arrive. Every text it gives is valid
// UTF-8, and no text cell can be taken for a formula by a spreadsheet.
class RowFormatter {
 public:
  // WindowCsv takes the words of its extra headers from `words`.
  RowFormatter(RowFormat format, const CrawlerList& crawlers,
               const WindowCsvHeaders* words = nullptr)
      : format_(format), crawlers_(crawlers), csvWords_(words) {}

  // What comes before the first row: the header line, or the opening of the JSON.
  std::string header() const;
  // One row: its day, one count per crawler, the local file read and its status.
  std::string row(const FileResult& row);
  // What comes after the last row: with details, their total over every row.
  std::string footer() const;

  // Adds each row's details, their lists cut to `top` values; the table's lines use
  // `words`. Csv then has its long form, one line per row, crawler, measure and key.
  void showDetail(std::size_t top, const DetailWords& words) {
    top_ = top;
    words_ = &words;
  }
  // Adds each row's verified, fake and unverified lines per crawler: csv columns, json
  // members, and in the table a line in `words`.
  void showVerify(const VerifyWords& words) { verifyWords_ = &words; }

 private:
  const WindowCsvHeaders& words() const;
  std::string tableRow(const FileResult& row, const std::vector<Verdicts>& verdicts,
                       const std::vector<CrawlerDetail>& details) const;
  std::string csvRow(const FileResult& row, const std::vector<Verdicts>& verdicts) const;
  std::string jsonRow(const FileResult& row, const std::vector<Verdicts>& verdicts,
                      const std::vector<CrawlerDetail>& details,
                      const std::vector<Verdicts>* shownVerdicts) const;

  RowFormat format_;
  const CrawlerList& crawlers_;
  const WindowCsvHeaders* csvWords_;
  std::size_t top_ = 0;                       // with details: how many values each list shows
  const DetailWords* words_ = nullptr;        // set where details are shown
  const VerifyWords* verifyWords_ = nullptr;  // set where verdicts are shown
  std::vector<CrawlerDetail> total_;          // the details of every row so far
  std::vector<Verdicts> verifyTotal_;         // the verdicts of every row so far
  bool first_ = true;
};

// A row's status in the window's words: 已读取, 不存在 or 无法读取.
std::string_view statusWords(FileResult::Status status, const WindowCsvHeaders& words);

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
