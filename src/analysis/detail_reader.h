#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/line_scanner.h"
#include "analysis/line_splitter.h"
#include "analysis/value_ids.h"
#include "analysis/w3c_fields.h"

namespace tarnwick {

// What the readers of one log's parts tell each other of its "#Fields:" directives: a
// part that starts inside the log learns, while it is read, which layout was in force
// where it starts.
class DirectiveBoard {
 public:
  virtual ~DirectiveBoard() = default;
  // A reader took the directive at `at` in the file, which names `layout`.
  virtual void met(std::uint64_t at, const FieldLayout& layout) = 0;
  // The layout in force at `at`, as the directives met so far before it say.
  virtual std::optional<FieldLayout> inForceAt(std::uint64_t at) = 0;
};

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

  // Hands the lines a scanner counts to a reader, where they are in the file: the
  // scanned text starts at `origin`.
  class CountedLines : public LineScanner::LineSink {
   public:
    CountedLines(DetailReader& reader, std::uint64_t origin) : reader_(reader), origin_(origin) {}
    void counted(std::size_t token, std::int64_t lineStart) override {
      reader_.lineCounted(token, origin_ + static_cast<std::uint64_t>(lineStart));
    }

   private:
    DetailReader& reader_;
    std::uint64_t origin_;
  };

  // `layout` is the directive in force where the reader starts: none at a log's start.
  explicit DetailReader(std::vector<std::string> tokens, std::optional<FieldLayout> layout = {});

  // The next bytes, which stand at `at` in the file.
  void feed(std::string_view bytes, std::uint64_t at = 0);
  // As feed(), for a caller that scans the same bytes itself, for
  // withFieldsDirective(tokens): it reports every line it counts in them with
  // lineCounted() (a CountedLines sink does), then calls scanned() while `bytes` are
  // still there. One scan then serves the counts and the detail.
  void hold(std::string_view bytes, std::uint64_t at);
  // Token `token` of withFieldsDirective(tokens) is in the line that starts at
  // `lineStart` in the file.
  void lineCounted(std::size_t token, std::uint64_t lineStart);
  // The caller's scan of the held bytes is over: reads the lines it counted, while the
  // bytes are still there.
  void scanned();
  // Tells `board` of each directive taken. Where `restartAfter` is given, a stretch that
  // has read that many bytes without a directive of its own then asks the board, at
  // startChanged(), whether its start's layout is still the one it began with.
  void share(DirectiveBoard& board, std::optional<std::uint64_t> restartAfter);
  // Whether the layout the board now holds in force at the stretch's start is another
  // than the one its lines so far were read in: the stretch is then better read again
  // from its start, than every line before its first directive again at the end.
  bool startChanged() const;
  // The stretch has ended: its last line, if it has no line break, is read too.
  Found finishStretch();
  // The log has ended: the details of all its lines, taking the counter's `lines` per
  // token as theirs.
  std::vector<CrawlerDetail> finish(const std::vector<std::uint64_t>& lines);

  // Gives each detail the counter's lines: every line the counter counted that could not
  // be read counts as unparsed.
  static void settle(std::vector<CrawlerDetail>& details, const std::vector<std::uint64_t>& lines);

 private:
  // A line begun in an earlier piece, now whole.
  void wholeLine(std::string_view text, std::uint64_t at);
  // The directive at `at` in the file names `layout`.
  void directive(const FieldLayout& layout, std::uint64_t at);
  // Takes the directive of the held lines found last, if its line starts before `before`.
  void directiveBefore(std::size_t before);

  // A line read, waiting to be added to the detail of one of its tokens.
  struct ReadLine {
    CrawlerDetail* detail = nullptr;
    std::vector<std::uint32_t>* pages = nullptr;  // the detail's lines by page number
    LineValues values;
  };
  // Lines read before any of them is added.
  static constexpr std::size_t kTogether = 16;
  // Asks for the slots of a line's page and address, which adding it will look at. Lines
  // are read a few at a time, so that their lookups wait for memory together.
  void prefetchSlots(const ReadLine& line) const;
  void add(const ReadLine& line);
  // Counts the pages counted by number in the details' lists, at the stretch's end.
  void handOver();

  std::vector<std::string> tokens_;
  // Finds the tokens of a line in one pass, however many there are.
  LineScanner scanner_;
  LineSplitter splitter_;
  // The whole lines of the piece held last, where they are in the file.
  std::string_view held_;
  std::uint64_t heldAt_ = 0;
  // The held lines counted in the current scan: where each starts, and its token (the
  // directive's for a line holding "#Fields:").
  std::vector<std::pair<std::size_t, std::size_t>> counted_;
  // A directive's line, taken once a line after it is read, as the lines it lays out
  // start after it: where it starts in held_ (npos for none).
  std::size_t directiveAt_ = std::string_view::npos;
  // The lines of the batch being read, then added.
  std::array<ReadLine, kTogether> batch_;
  // The held line read last, for a line that holds several tokens: where it starts in
  // held_ (npos for none), and its values.
  std::size_t lastLine_ = std::string_view::npos;
  LineValues lastValues_;
  Found found_;
  std::vector<CrawlerDetail>* into_;  // head until the first directive, then body
  std::optional<FieldLayout> layout_;
  std::uint64_t read_ = 0;  // the fields of layout_ a detail reads, a bit each
  DirectiveBoard* board_ = nullptr;
  std::optional<std::uint64_t> restartAfter_;
  bool fed_ = false;
  std::string pending_;          // the line begun in an earlier piece
  std::uint64_t pendingAt_ = 0;  // where it begins in the file
  bool overlong_ = false;
  std::vector<std::string_view> fields_;
  // The crawlers of a site fetch much the same pages: while a stretch is read, a page's
  // text is kept once for them all, and each detail counts its lines by page number.
  // What a line looks up then mostly stays in the core's own cache, which the log's
  // bytes streaming through keep emptying. The counts go to the details' lists when the
  // stretch ends.
  ValueIds pageIds_{ValueCounts::kDefaultBound};
  std::vector<std::vector<std::uint32_t>> pageLines_;  // by token: the head's, the body's
};

}  // namespace tarnwick
