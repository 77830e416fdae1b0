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

// Reads, from one log or one stretch of it fed in pieces of any size, the fields of every
// line that holds a token: a detail per token. Lines end as the counter's do (CR, LF or
// CRLF), and each line takes the layout of the last "#Fields:" directive before it.
class DetailReader {
 public:
  // Longest line whose fields are read; a longer one counts as unparsed.
  static constexpr std::size_t kLongestLine = 64 * 1024;

  // What a reader found in its stretch of a log.
  struct Found {
    // Lines before its first directive, read with the layout it started with: the
    // caller keeps them where that was the layout in force there.
    std::vector<CrawlerDetail> head;
    std::vector<CrawlerDetail> body;  // lines from its first directive on
    std::optional<FieldLayout> startLayout;
    std::optional<FieldLayout> endLayout;         // in force at its end
    std::optional<std::uint64_t> firstDirective;  // where its first directive starts
    std::uint64_t begun = 0;                      // where its first byte is in the file
    std::uint64_t ended = 0;                      // and where its last byte ends
  };

  // `layout` is the directive in force where the reader starts: none at a log's start.
  explicit DetailReader(std::vector<std::string> tokens, std::optional<FieldLayout> layout = {});

  // The next bytes, which stand at `at` in the file.
  void feed(std::string_view bytes, std::uint64_t at = 0);
  // The stretch has ended: its last line, if it has no line break, is read too.
  Found finishStretch();
  // The log has ended: the details of all its lines, taking the counter's `lines` per
  // token as theirs.
  std::vector<CrawlerDetail> finish(const std::vector<std::uint64_t>& lines);

  // Gives each detail the counter's lines: every line the counter counted that could not
  // be read counts as unparsed.
  static void settle(std::vector<CrawlerDetail>& details, const std::vector<std::uint64_t>& lines);

 private:
  void line(std::string_view text, std::uint64_t at);

  std::vector<std::string> tokens_;
  // Finds the tokens of a line in one pass, however many there are.
  LineScanner scanner_;
  Found found_;
  std::vector<CrawlerDetail>* into_;  // head until the first directive, then body
  std::optional<FieldLayout> layout_;
  bool fed_ = false;
  std::string pending_;          // the line begun in an earlier piece
  std::uint64_t pendingAt_ = 0;  // where it begins in the file
  bool overlong_ = false;
  std::vector<std::string_view> fields_;
};

}  // namespace tarnwick
