#include "analysis/filtered_reader.h"

#include "analysis/w3c_fields.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// The day of "2026-12-06" "23:30:00" `minutes` later: 2026-12-07 for 480.
std::optional<Date> shiftedDate(std::string_view date, std::string_view time, int minutes) {
  const auto day = parseIsoDate(date);
  if (!day || time.size() < 5 || time[2] != ':') return std::nullopt;
  const auto digit = [&](std::size_t i) {
    return time[i] >= '0' && time[i] <= '9' ? time[i] - '0' : -1;
  };
  const int h1 = digit(0), h2 = digit(1), m1 = digit(3), m2 = digit(4);
  if (h1 < 0 || h2 < 0 || m1 < 0 || m2 < 0) return std::nullopt;
  const int total = (h1 * 10 + h2) * 60 + m1 * 10 + m2 + minutes;
  const int days = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
  return daysBefore(*day, -days);
}

}  // namespace

bool passes(const LineFilter& filter, const FieldLayout& layout,
            const std::vector<std::string_view>& fields) {
  const auto field = [&](int at) -> std::optional<std::string_view> {
    if (at < 0 || static_cast<std::size_t>(at) >= fields.size()) return std::nullopt;
    return fields[static_cast<std::size_t>(at)];
  };
  if (filter.day && filter.shiftMinutes == 0) {
    const auto date = field(layout.date);
    if (!date || *date != isoDate(*filter.day)) return false;
  } else if (filter.day) {
    const auto date = field(layout.date);
    const auto time = field(layout.time);
    if (!date || !time) return false;
    const auto shifted = shiftedDate(*date, *time, filter.shiftMinutes);
    if (!shifted || !(*shifted == *filter.day)) return false;
  }
  if (filter.site) {
    const auto site = field(layout.siteName);
    if (!site || !equalsIgnoringCase(*site, *filter.site)) return false;
  }
  return true;
}

namespace {

class FilteredLines {
 public:
  FilteredLines(const std::vector<std::string>& tokens, const LineFilter& filter, bool detail)
      : tokens_(tokens), filter_(filter), found_(tokens.size()) {
    result_.counts.assign(tokens.size(), 0);
    if (detail) result_.detail.resize(tokens.size());
  }

  void line(std::string_view text) {
    if (isFieldsDirective(text)) {
      layout_ = FieldLayout::fromDirective(text.substr(8));
      return;
    }
    // Each token looked for by itself, a line at a time: cheaper than setting up the
    // block scanner for every line.
    bool any = false;
    for (std::size_t t = 0; t < tokens_.size(); ++t) {
      found_[t] = text.find(tokens_[t]) != std::string_view::npos;
      any = any || found_[t];
    }
    if (!any) return;
    // Without a filter every line counts, as in a plain log; with one, only a line whose
    // fields can be read and pass it.
    if (filter_.day || filter_.site) {
      if (!layout_ || !splitFields(text, layout_->count, fields_)) return;
      if (!passes(filter_, *layout_, fields_)) return;
    }
    for (std::size_t t = 0; t < found_.size(); ++t) {
      if (!found_[t]) continue;
      ++result_.counts[t];
      if (!result_.detail.empty())
        addLine(result_.detail[t], text, layout_ ? &*layout_ : nullptr, fields_);
    }
  }

  FilteredCount take() { return std::move(result_); }

 private:
  const std::vector<std::string>& tokens_;
  const LineFilter& filter_;
  std::vector<char> found_;  // per token: whether the line holds it
  std::optional<FieldLayout> layout_;
  std::vector<std::string_view> fields_;
  FilteredCount result_;
};

}  // namespace

FilteredCount countFiltered(InputFile& file, const std::vector<std::string>& tokens,
                            const LineFilter& filter, bool detail, const std::atomic<bool>* stop,
                            std::atomic<std::uint64_t>* bytesRead) {
  FilteredLines lines(tokens, filter, detail);
  std::vector<char> block(1 << 20);
  std::string pending;  // a line begun in the block before
  std::uint64_t at = 0;
  for (;;) {
    if (stop && stop->load()) return {FilteredCount::Status::Stopped, {}, {}};
    const std::ptrdiff_t got = file.readAt(block.data(), block.size(), at);
    if (got < 0) return {FilteredCount::Status::ReadFailed, {}, {}};
    if (got == 0) break;
    at += static_cast<std::uint64_t>(got);
    if (bytesRead) bytesRead->fetch_add(static_cast<std::uint64_t>(got));
    std::string_view bytes(block.data(), static_cast<std::size_t>(got));
    std::size_t start = 0;
    for (std::size_t end; (end = lineEndAt(bytes, start)) != std::string_view::npos;
         start = end + 1) {
      if (pending.empty()) {
        lines.line(bytes.substr(start, end - start));
      } else {
        pending.append(bytes.substr(start, end - start));
        lines.line(pending);
        pending.clear();
      }
    }
    // A line longer than any log writes is cut rather than held whole.
    if (pending.size() < (1u << 20)) pending.append(bytes.substr(start));
  }
  if (!pending.empty()) lines.line(pending);
  return lines.take();
}

}  // namespace tarnwick
