#include "analysis/row_text.h"

#include <algorithm>
#include <cstdio>

#include "analysis/day_label.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

using Format = RowFormat;

// Rows are printed as they arrive, so the table's columns cannot follow its widest cell:
// the day column fits a six-character label, a count column its header or eight digits.
constexpr std::size_t kDayWidth = 6;
constexpr std::size_t kCountWidth = 8;

std::size_t countWidth(const Crawler& crawler) {
  return std::max(kCountWidth, displayWidth(terminalText(crawler.header)));
}

std::string localPath(const FileResult& row) {
  return row.local.value_or(std::string());
}

}  // namespace

std::string_view statusWords(FileResult::Status status, const WindowCsvHeaders& words) {
  switch (status) {
    case FileResult::Status::Counted:
      return words.ok;
    case FileResult::Status::Missing:
      return words.missing;
    case FileResult::Status::Unreadable:
      return words.unreadable;
  }
  return words.ok;
}

namespace {

// Where no words are given, the csv's own.
constexpr WindowCsvHeaders kCsvWords{"date", "file", "status", "ok", "missing", "unreadable"};

}  // namespace

std::string_view statusName(const FileResult& row) {
  switch (row.status) {
    case FileResult::Status::Counted:
      return "ok";
    case FileResult::Status::Missing:
      return "missing";
    case FileResult::Status::Unreadable:
      return "unreadable";
  }
  return "ok";
}

std::size_t displayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    width += length >= 3 ? 2 : 1;  // three- and four-byte characters are nearly all CJK
    i += length;
  }
  return width;
}

std::string padLeft(std::string_view text, std::size_t width) {
  const std::size_t shown = displayWidth(text);
  return std::string(width > shown ? width - shown : 0, ' ') + std::string(text);
}

std::string padRight(std::string_view text, std::size_t width) {
  const std::size_t shown = displayWidth(text);
  return std::string(text) + std::string(width > shown ? width - shown : 0, ' ');
}

std::string notFormula(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
    text.insert(text.begin(), '\'');
  return text;
}

// A tab-separated cell: no tab or line break inside, and never a formula.
std::string tsvField(std::string_view text) {
  std::string cell = notFormula(validUtf8(text));
  for (char& c : cell)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return cell;
}

std::string csvField(std::string_view text) {
  const std::string cell = notFormula(validUtf8(text));
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : validUtf8(text)) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + '"';
}

std::string terminalText(std::string_view text) {
  const std::string valid = validUtf8(text);
  std::string out;
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto c = static_cast<unsigned char>(valid[i]);
    // C1 controls are U+0080 to U+009F, written C2 80 to C2 9F.
    const bool c1 =
        c == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) < 0xA0;
    if (c < 0x20 || c == 0x7F || c1) {
      const unsigned code = c1 ? static_cast<unsigned char>(valid[++i]) : c;
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

const WindowCsvHeaders& RowFormatter::words() const {
  return csvWords_ ? *csvWords_ : kCsvWords;
}

std::string RowFormatter::header() const {
  std::string out;
  switch (format_) {
    case Format::Table:
      out = padRight(kDateColumnHeader, kDayWidth);
      for (const Crawler& crawler : crawlers_)
        out += "  " + padLeft(terminalText(crawler.header), countWidth(crawler));
      return out + '\n';
    case Format::Csv:
      if (words_) return "day,file,crawler,measure,key,value\n";
      out = "day,date";
      for (const Crawler& crawler : crawlers_) out += ',' + csvField(crawler.token);
      if (verifyWords_)
        for (const Crawler& crawler : crawlers_)
          for (const std::string_view verdict : {" verified", " fake", " unverified"})
            out += ',' + csvField(crawler.token + std::string(verdict));
      return out + ",file,status\n";
    case Format::WindowCsv:
      out = csvField(kDateColumnHeader) + ',' + csvField(words().date);
      for (const Crawler& crawler : crawlers_) out += ',' + csvField(crawler.header);
      return out + ',' + csvField(words().file) + ',' + csvField(words().status) + '\n';
    case Format::Json:
      return "{\"rows\":[";
    case Format::Tsv:
      out = tsvField(kDateColumnHeader);
      for (const Crawler& crawler : crawlers_) out += '\t' + tsvField(crawler.header);
      return out + '\n';
  }
  return out;
}

std::string RowFormatter::row(const FileResult& row) {
  const std::vector<Verdicts> verdicts = verdictsOf(row.verify, crawlers_.size());
  const std::vector<Verdicts>* shownVerdicts = verifyWords_ ? &verdicts : nullptr;
  if (verifyWords_) {
    verifyTotal_.resize(crawlers_.size());
    for (std::size_t c = 0; c < crawlers_.size(); ++c) verifyTotal_[c] += verdicts[c];
  }
  std::vector<CrawlerDetail> empty;
  const std::vector<CrawlerDetail>* details = &row.detail;
  if (words_) {
    // A file that could not be read has no details: its crawlers had no lines.
    if (details->size() < crawlers_.size()) {
      empty = row.detail;
      empty.resize(crawlers_.size());
      details = &empty;
    }
    total_.resize(crawlers_.size());
    for (std::size_t c = 0; c < crawlers_.size(); ++c) total_[c].merge((*details)[c]);
    if (format_ == Format::Csv)
      return detailCsv(row.label, localPath(row), *details, crawlers_, top_, shownVerdicts);
  }
  std::string out;
  switch (format_) {
    case Format::Table:
      out = tableRow(row, verdicts, *details);
      break;
    case Format::Csv:
    case Format::WindowCsv:
      out = csvRow(row, verdicts);
      break;
    case Format::Json:
      out = jsonRow(row, verdicts, *details, shownVerdicts);
      break;
    case Format::Tsv:
      out = tsvField(row.label);
      for (std::size_t c = 0; c < crawlers_.size(); ++c)
        out += '\t' + std::to_string(row.counts.at(c));
      out += '\n';
      break;
  }
  first_ = false;
  return out;
}

std::string RowFormatter::tableRow(const FileResult& row, const std::vector<Verdicts>& verdicts,
                                   const std::vector<CrawlerDetail>& details) const {
  std::string out = padRight(terminalText(row.label), kDayWidth);
  for (std::size_t c = 0; c < crawlers_.size(); ++c)
    out += "  " + padLeft(std::to_string(row.counts.at(c)), countWidth(crawlers_[c]));
  out += '\n';
  if (verifyWords_) out += verifyTable(verdicts, crawlers_, *verifyWords_);
  if (words_) out += detailTable(details, crawlers_, top_, *words_);
  return out;
}

std::string RowFormatter::csvRow(const FileResult& row,
                                 const std::vector<Verdicts>& verdicts) const {
  std::string out = csvField(row.label) + ',' + labelDate(row.label);
  for (std::size_t c = 0; c < crawlers_.size(); ++c) out += ',' + std::to_string(row.counts.at(c));
  if (verifyWords_ && format_ == Format::Csv)
    for (const Verdicts& v : verdicts)
      out += ',' + std::to_string(v.verified) + ',' + std::to_string(v.fake) + ',' +
             std::to_string(v.unverified);
  return out + ',' + csvField(localPath(row)) + ',' +
         (format_ == Format::Csv ? std::string(statusName(row))
                                 : csvField(statusWords(row.status, words()))) +
         '\n';
}

std::string RowFormatter::jsonRow(const FileResult& row, const std::vector<Verdicts>& verdicts,
                                  const std::vector<CrawlerDetail>& details,
                                  const std::vector<Verdicts>* shownVerdicts) const {
  std::string out = std::string(first_ ? "" : ",") + "{\"day\":" + jsonString(row.label) +
                    ",\"date\":" + jsonString(labelDate(row.label));
  for (std::size_t c = 0; c < crawlers_.size(); ++c)
    out += ',' + jsonString(crawlers_[c].token) + ':' + std::to_string(row.counts.at(c));
  out += ",\"file\":" + jsonString(localPath(row)) + ",\"status\":\"" +
         std::string(statusName(row)) + "\"";
  if (verifyWords_) {
    out += ",\"verify\":{";
    for (std::size_t c = 0; c < crawlers_.size(); ++c)
      out += (c ? "," : "") + jsonString(crawlers_[c].token) + ":{" + verdictMembers(verdicts[c]) +
             "}";
    out += "}";
  }
  if (words_) out += ",\"detail\":" + detailJson(details, crawlers_, top_, shownVerdicts);
  return out + "}";
}

std::string RowFormatter::footer() const {
  if (!words_) return format_ == Format::Json ? "]}\n" : "";
  // The totals are many lists of thousands of values: copied only where there were no rows.
  const bool rows = total_.size() >= crawlers_.size();
  const std::vector<CrawlerDetail> none(rows ? 0 : crawlers_.size());
  const std::vector<CrawlerDetail>& total = rows ? total_ : none;
  const std::vector<Verdicts> verdicts = verdictsOf(verifyTotal_, crawlers_.size());
  const std::vector<Verdicts>* shownVerdicts = verifyWords_ ? &verdicts : nullptr;
  switch (format_) {
    case Format::Json:
      return "],\"total\":" + detailJson(total, crawlers_, top_, shownVerdicts) + "}\n";
    case Format::Csv:
      return detailCsv("*", "*", total, crawlers_, top_, shownVerdicts);
    case Format::Table:
      return std::string(words_->total) + "\n" +
             (verifyWords_ ? verifyTable(verdicts, crawlers_, *verifyWords_) : "") +
             detailTable(total, crawlers_, top_, *words_);
    default:
      return {};
  }
}

}  // namespace tarnwick
