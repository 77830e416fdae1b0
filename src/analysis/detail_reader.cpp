#include "analysis/detail_reader.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {

DetailReader::DetailReader(std::vector<std::string> tokens, std::optional<FieldLayout> layout)
    : tokens_(std::move(tokens)), scanner_(tokens_), layout_(std::move(layout)) {
  found_.head.resize(tokens_.size());
  found_.body.resize(tokens_.size());
  found_.startLayout = layout_;
  into_ = &found_.head;
}

void DetailReader::feed(std::string_view bytes, std::uint64_t at) {
  if (!fed_) found_.begun = at;
  fed_ = true;
  found_.ended = at + bytes.size();
  // A CRLF makes an empty line between its two bytes: it holds no token, so it is no line
  // to read.
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = lineEndAt(bytes, start);
    if (end == std::string_view::npos) {
      const std::string_view rest = bytes.substr(start);
      if (pending_.empty() && !overlong_) pendingAt_ = at + start;
      if (pending_.size() + rest.size() > kLongestLine)
        overlong_ = true;
      else
        pending_.append(rest);
      return;
    }
    if (pending_.empty() && !overlong_) {
      line(bytes.substr(start, end - start), at + start);
    } else {
      if (pending_.size() + (end - start) > kLongestLine) overlong_ = true;
      if (!overlong_) {
        pending_.append(bytes.substr(start, end - start));
        line(pending_, pendingAt_);
      }
      pending_.clear();
      overlong_ = false;
    }
    start = end + 1;
  }
}

void DetailReader::line(std::string_view text, std::uint64_t at) {
  if (isFieldsDirective(text)) {
    layout_ = FieldLayout::fromDirective(text.substr(8));
    if (!found_.firstDirective) found_.firstDirective = at;
    into_ = &found_.body;
    return;
  }
  scanner_.restart();
  scanner_.scan(text, 0);
  const std::vector<std::uint64_t>& found = scanner_.counts();
  for (std::size_t t = 0; t < tokens_.size(); ++t)
    if (found[t]) addLine((*into_)[t], text, layout_ ? &*layout_ : nullptr, fields_);
}

DetailReader::Found DetailReader::finishStretch() {
  if (!pending_.empty() && !overlong_) line(pending_, pendingAt_);
  pending_.clear();
  found_.endLayout = layout_;
  return std::move(found_);
}

std::vector<CrawlerDetail> DetailReader::finish(const std::vector<std::uint64_t>& lines) {
  Found found = finishStretch();
  for (std::size_t t = 0; t < found.body.size(); ++t) found.body[t].merge(found.head[t]);
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
