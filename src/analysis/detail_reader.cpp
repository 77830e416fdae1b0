#include "analysis/detail_reader.h"

#include <algorithm>

#include "analysis/value_words.h"

namespace tarnwick {

namespace {

bool isBreak(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

DetailReader::DetailReader(std::vector<std::string> tokens, std::optional<FieldLayout> layout)
    : tokens_(std::move(tokens)),
      scanner_(withFieldsDirective(tokens_)),
      layout_(std::move(layout)),
      pageLines_(2 * tokens_.size()) {
  found_.head.resize(tokens_.size());
  found_.body.resize(tokens_.size());
  found_.startLayout = layout_;
  if (layout_) read_ = fieldsRead(*layout_);
  into_ = &found_.head;
}

void DetailReader::feed(std::string_view bytes, std::uint64_t at) {
  hold(bytes, at);
  if (held_.empty()) return;
  // The held lines are whole, so no token runs past them: a scan of their own suffices.
  CountedLines sink(*this, heldAt_);
  scanner_.restart();
  scanner_.scan(held_, 0, &sink);
  scanned();
}

void DetailReader::hold(std::string_view bytes, std::uint64_t at) {
  held_ = {};
  lastLine_ = std::string_view::npos;
  if (!fed_) found_.begun = at;
  fed_ = true;
  found_.ended = at + bytes.size();

  // First the line begun in the pieces before, which ends at this piece's first break.
  std::size_t start = 0;
  if (!pending_.empty() || overlong_) {
    const std::size_t end = lineEndAt(bytes, 0);
    const std::size_t length = end == std::string_view::npos ? bytes.size() : end;
    if (pending_.size() + length > kLongestLine) overlong_ = true;
    if (!overlong_) pending_.append(bytes.substr(0, length));
    if (end == std::string_view::npos) return;
    if (!overlong_) wholeLine(pending_, pendingAt_);
    pending_.clear();
    overlong_ = false;
    start = end + 1;
  }
  // Then the whole lines, held; the last line, if it has no break yet, waits. A CRLF
  // makes an empty line between its two bytes: it holds no token, so it is no line to
  // read.
  std::size_t last = bytes.size();
  while (last > start && !isBreak(bytes[last - 1])) --last;
  const std::string_view rest = bytes.substr(last);
  if (!rest.empty()) {
    pendingAt_ = at + last;
    if (rest.size() > kLongestLine)
      overlong_ = true;
    else
      pending_.assign(rest);
  }
  held_ = bytes.substr(start, last - start);
  heldAt_ = at + start;
}

void DetailReader::lineCounted(std::size_t token, std::uint64_t lineStart) {
  // The caller's scanner also counts lines outside the held ones: the line begun before,
  // read whole already, and the one still to end.
  if (lineStart < heldAt_ || lineStart - heldAt_ >= held_.size() || token > tokens_.size()) return;
  counted_.push_back({static_cast<std::size_t>(lineStart - heldAt_), token});
}

void DetailReader::scanned() {
  // A few counted lines at a time: their values first, asking for the slots they go to;
  // then the adds. The lookups of those lines then wait for memory together rather than
  // one after another.
  for (std::size_t from = 0; from < counted_.size(); from += kTogether) {
    const std::size_t to = std::min(counted_.size(), from + kTogether);
    std::size_t batched = 0;
    for (std::size_t k = from; k < to; ++k) {
      const auto& [start, token] = counted_[k];
      directiveBefore(start);
      if (token == tokens_.size()) {
        directiveAt_ = start;
        continue;
      }
      // The batch's slots are filled over, field by field: a line made anew would first
      // be cleared whole, which costs as much as reading its values.
      ReadLine& line = batch_[batched++];
      line.detail = &(*into_)[token];
      line.pages = &pageLines_[(into_ == &found_.body ? tokens_.size() : 0) + token];
      if (start == lastLine_) {  // another token of the line read last
        line.values = batched > 1 ? batch_[batched - 2].values : lastValues_;
      } else {
        lastLine_ = start;
        const bool read = layout_ && splitter_.split(held_, start, layout_->count, fields_, read_);
        readValues(layout_ ? &*layout_ : nullptr, read ? &fields_ : nullptr, line.values);
      }
      prefetchSlots(line);
    }
    for (std::size_t k = 0; k < batched; ++k) add(batch_[k]);
    // A line whose tokens run on into the next batch takes its values from here.
    if (batched) lastValues_ = batch_[batched - 1].values;
  }
  // The lines after a directive still to be taken are in the pieces to come.
  directiveBefore(held_.size());
  counted_.clear();
}

void DetailReader::prefetchSlots(const ReadLine& line) const {
  const LineValues& values = line.values;
  if (!values.stem.empty()) pageIds_.prefetch(values.stemHash);
  if (!values.ip.empty()) line.detail->ips.prefetch(values.ipHash);
}

void DetailReader::add(const ReadLine& line) {
  const LineValues& values = line.values;
  CrawlerDetail& detail = *line.detail;
  std::vector<std::uint32_t>& pages = *line.pages;
  if (!addTallies(detail, values)) return;
  if (!values.ip.empty()) detail.addAddress(values.ip, values.ipHash);
  if (values.stem.empty()) return;
  const std::uint32_t id = pageIds_.idOf(values.stem, values.stemHash);
  if (id == ValueIds::kNone) return detail.addPage(values.stem, values.stemHash);
  if (id >= pages.size()) pages.resize(id + 1);
  std::uint32_t& lines = pages[id];
  if (lines == UINT32_MAX) return detail.addPage(values.stem, values.stemHash);
  ++lines;
}

void DetailReader::handOver() {
  for (std::size_t index = 0; index < pageLines_.size(); ++index) {
    CrawlerDetail& detail =
        index < tokens_.size() ? found_.head[index] : found_.body[index - tokens_.size()];
    std::vector<std::uint32_t>& pages = pageLines_[index];
    const auto seen = static_cast<std::size_t>(
        std::count_if(pages.begin(), pages.end(), [](std::uint32_t lines) { return lines != 0; }));
    if (seen) detail.pages.reserve(detail.pages.distinct() + seen);
    for (std::uint32_t id = 0; id < pages.size(); ++id)
      if (pages[id]) detail.addPage(pageIds_.value(id), pageIds_.hash(id), pages[id]);
    pages = {};
  }
  pageIds_.clear();
}

void DetailReader::directiveBefore(std::size_t before) {
  if (directiveAt_ >= before) return;
  if (const std::optional<FieldLayout> layout = tarnwick::directiveAt(held_, directiveAt_))
    directive(*layout, heldAt_ + directiveAt_);
  directiveAt_ = std::string_view::npos;
}

void DetailReader::share(DirectiveBoard& board, std::optional<std::uint64_t> restartAfter) {
  board_ = &board;
  restartAfter_ = restartAfter;
}

bool DetailReader::startChanged() const {
  if (!board_ || !restartAfter_ || found_.firstDirective || !fed_ ||
      found_.ended - found_.begun < *restartAfter_)
    return false;
  return board_->inForceAt(found_.begun) != found_.startLayout;
}

void DetailReader::directive(const FieldLayout& layout, std::uint64_t at) {
  if (board_) board_->met(at, layout);
  layout_ = layout;
  read_ = fieldsRead(layout);
  if (!found_.firstDirective) found_.firstDirective = at;
  into_ = &found_.body;
}

void DetailReader::wholeLine(std::string_view text, std::uint64_t at) {
  if (const std::optional<FieldLayout> layout = directiveAt(text, 0)) return directive(*layout, at);
  scanner_.restart();
  scanner_.scan(text, 0);
  const std::vector<std::uint64_t>& found = scanner_.counts();
  for (std::size_t t = 0; t < tokens_.size(); ++t)
    if (found[t]) addLine((*into_)[t], text, layout_ ? &*layout_ : nullptr, fields_);
}

DetailReader::Found DetailReader::finishStretch() {
  scanned();
  held_ = {};
  if (!pending_.empty() && !overlong_) wholeLine(pending_, pendingAt_);
  pending_.clear();
  handOver();
  found_.endLayout = layout_;
  for (std::vector<CrawlerDetail>* details : {&found_.head, &found_.body})
    for (CrawlerDetail& detail : *details) detail.fold();
  return std::move(found_);
}

std::vector<CrawlerDetail> DetailReader::finish(const std::vector<std::uint64_t>& lines) {
  Found found = finishStretch();
  for (std::size_t t = 0; t < found.body.size(); ++t) found.body[t].merge(std::move(found.head[t]));
  settle(found.body, lines);
  return std::move(found.body);
}

void DetailReader::settle(std::vector<CrawlerDetail>& details,
                          const std::vector<std::uint64_t>& lines) {
  for (std::size_t t = 0; t < details.size() && t < lines.size(); ++t) {
    CrawlerDetail& detail = details[t];
    const std::uint64_t read = detail.lines - detail.unparsed;
    detail.lines = lines[t];
    detail.unparsed = lines[t] > read ? lines[t] - read : 0;
  }
}

}  // namespace tarnwick
