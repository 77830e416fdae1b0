#include "analysis/shared_file.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace tarnwick {

namespace {

// Reads the lines of `file` from `begin` to `end` again, in `layout`.
std::vector<CrawlerDetail> readAgain(InputFile& file, std::uint64_t begin, std::uint64_t end,
                                     const std::optional<FieldLayout>& layout,
                                     const std::vector<std::string>& tokens) {
  DetailReader reader(tokens, layout);
  std::string block(1u << 20, '\0');
  for (std::uint64_t at = begin; at < end;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), end - at));
    const std::ptrdiff_t got = file.readAt(block.data(), want, at);
    if (got <= 0) return std::vector<CrawlerDetail>(tokens.size());  // counted as unparsed
    reader.feed({block.data(), static_cast<std::size_t>(got)}, at);
    at += static_cast<std::uint64_t>(got);
  }
  return reader.finishStretch().head;
}

}  // namespace

void SharedFile::met(std::uint64_t at, const FieldLayout& layout) {
  std::lock_guard lock(mutex);
  directives_.insert_or_assign(at, layout);
}

std::optional<FieldLayout> SharedFile::inForceAt(std::uint64_t at) {
  if (at == 0) return std::nullopt;
  std::lock_guard lock(mutex);
  const auto after = directives_.lower_bound(at);
  return after == directives_.begin() ? firstLayout : std::prev(after)->second;
}

void SharedFile::addPart(std::uint64_t begin, DetailReader::Found found,
                         std::optional<std::uint64_t> end, const std::vector<std::string>& tokens) {
  read_.emplace(begin, ReadPart{std::move(found), end});
  if (detail.empty()) detail.resize(tokens.size());
  while (nextMerge_) {
    const auto next = read_.find(*nextMerge_);
    if (next == read_.end()) break;  // waiting for the part before
    DetailReader::Found& part = next->second.found;
    if (part.startLayout != inForce_)
      part.head =
          readAgain(*file, part.begun, part.firstDirective.value_or(part.ended), inForce_, tokens);
    for (std::size_t t = 0; t < detail.size(); ++t) {
      detail[t].merge(std::move(part.head[t]));
      detail[t].merge(std::move(part.body[t]));
    }
    if (part.firstDirective) inForce_ = part.endLayout;
    nextMerge_ = next->second.end;
    read_.erase(next);
  }
}

std::optional<FieldLayout> firstLayoutOf(InputFile& file) {
  std::string head(64 * 1024, '\0');
  const std::ptrdiff_t got = file.readAt(head.data(), head.size(), 0);
  head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  for (std::size_t start = 0; start < head.size();) {
    const std::size_t end = head.find_first_of("\r\n", start);
    if (end == std::string::npos) break;  // a line cut off by the 64 KiB
    const std::string_view line(head.data() + start, end - start);
    if (std::optional<FieldLayout> layout = directiveAt(line, 0)) return layout;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace tarnwick
