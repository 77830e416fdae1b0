#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/line_scanner.h"
#include "analysis/w3c_fields.h"

namespace tarnwick {

// Reads, from one log fed in pieces of any size, the fields of every line that holds a
// token: a detail per token. Lines end as the counter's do (CR, LF or CRLF), and each
// line takes the layout of the last "#Fields:" directive before it.
class DetailReader {
 public:
  // Longest line whose fields are read; a longer one counts as unparsed.
  static constexpr std::size_t kLongestLine = 64 * 1024;

  explicit DetailReader(std::vector<std::string> tokens);

  // The next bytes of the log.
  void feed(std::string_view bytes);
  // The log has ended: its last line, if it has no line break, is read too. `lines` are
  // the counter's lines per token, which the details take as theirs: every line the
  // counter counted and that could not be read here counts as unparsed.
  std::vector<CrawlerDetail> finish(const std::vector<std::uint64_t>& lines);

 private:
  void line(std::string_view text);

  std::vector<std::string> tokens_;
  // Finds the tokens of a line in one pass, however many there are.
  LineScanner scanner_;
  std::vector<CrawlerDetail> details_;
  std::optional<FieldLayout> layout_;
  std::string pending_;  // the line begun in an earlier piece
  bool overlong_ = false;
  std::vector<std::string_view> fields_;
};

}  // namespace tarnwick
