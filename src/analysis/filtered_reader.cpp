#include "analysis/filtered_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "analysis/line_scanner.h"
#include "analysis/line_splitter.h"
#include "analysis/w3c_fields.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// Minutes into the day of a time written "23:30:00" (or "23:30"), read from its first
// five bytes, where they read so; -1 where not.
int minutesAt(const char* time) {
  const auto digit = [&](int i) { return static_cast<unsigned>(time[i] - '0'); };
  const unsigned h1 = digit(0), h2 = digit(1), m1 = digit(3), m2 = digit(4);
  if (time[2] != ':' || std::max({h1, h2, m1, m2}) > 9) return -1;
  return static_cast<int>((h1 * 10 + h2) * 60 + m1 * 10 + m2);
}

// As minutesAt(), for a whole field.
int minutesOf(std::string_view time) {
  return time.size() < 5 ? -1 : minutesAt(time.data());
}

bool isBreak(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

namespace {

// Reads whole lines a stretch at a time: the scanner finds the lines that hold a token,
// and only those are split and tried against the rows' filters.
class FilteredLines : public LineScanner::LineSink {
 public:
  FilteredLines(const std::vector<std::string>& tokens, const std::vector<LineFilter>& filters,
                bool detail)
      : anyFilter_(std::any_of(filters.begin(), filters.end(),
                               [](const LineFilter& filter) { return filter.day || filter.site; })),
        directiveToken_(detail || anyFilter_ ? tokens.size() : kNoToken),
        scanner_(directiveToken_ != kNoToken ? withFieldsDirective(tokens) : tokens),
        filters_(filters),
        detail_(detail),
        passed_(filters.size()),
        rows_(filters.size()) {
    for (const LineFilter& filter : filters) {
      dayOnlyShifted_ = dayOnlyShifted_ && filter.day && filter.shiftMinutes != 0 && !filter.site;
      isoDays_.push_back(filter.day ? isoDate(*filter.day) : std::string());
    }
    for (FilteredCount& row : rows_) {
      row.counts.assign(tokens.size(), 0);
      if (detail) row.detail.resize(tokens.size());
    }
  }

  // Reads `lines`, which end where a line does (or where the text does).
  void read(std::string_view lines) {
    lines_ = lines;
    lastLine_ = -1;
    scanner_.restart();
    scanner_.scan(lines, 0, this);
  }

  void counted(std::size_t token, std::int64_t lineStart) override {
    const auto start = static_cast<std::size_t>(lineStart);
    if (token == directiveToken_) {
      takeDirective(start);
      return;
    }
    if (lineStart != lastLine_) {
      lastLine_ = lineStart;
      // A directive is no line of the log's.
      directive_ = lines_[start] == '#' && isFieldsDirective(lines_.substr(start));
      read_ =
          detail_ && layout_ && splitter_.split(lines_, start, layout_->count, fields_, wanted_);
      // Without a filter every line counts, as in a plain log; with one, a line whose
      // fields the filter reads are there, where its directive puts them, and pass it.
      // Its other fields are the detail's: a line with one too many or too few still
      // goes to its day, as it counts in a plain log.
      if (anyFilter_) {
        lineDayKnown_ = false;
        if (dayOnlyShifted_ && layout_ && layout_->date == 0 && layout_->time == 1 &&
            leadingDay(start)) {
          for (std::size_t f = 0; f < filters_.size(); ++f)
            passed_[f] = lineDayRead_ && lineDay_ == *filters_[f].day;
        } else {
          const bool filterable = layout_ && splitFirstFields(lines_, start, kept_, firstFields_);
          for (std::size_t f = 0; f < filters_.size(); ++f) passed_[f] = filterable && passes(f);
        }
      } else {
        std::fill(passed_.begin(), passed_.end(), 1);
      }
    }
    if (directive_) return;
    for (std::size_t f = 0; f < rows_.size(); ++f) {
      if (!passed_[f]) continue;
      ++rows_[f].counts[token];
      if (!rows_[f].detail.empty())
        addSplitLine(rows_[f].detail[token], layout_ ? &*layout_ : nullptr,
                     read_ ? &fields_ : nullptr);
    }
  }

  std::vector<FilteredCount> take() {
    for (FilteredCount& row : rows_)
      for (CrawlerDetail& detail : row.detail) detail.fold();
    return std::move(rows_);
  }

 private:
  // How many of a line's first fields the filters read.
  std::size_t keptFields() const {
    int last = -1;
    for (const LineFilter& filter : filters_) {
      if (filter.day)
        last = std::max({last, layout_->date, filter.shiftMinutes ? layout_->time : -1});
      if (filter.site) last = std::max(last, layout_->siteName);
    }
    return static_cast<std::size_t>(last + 1);
  }

  std::string_view field(int at) const {
    return at >= 0 && static_cast<std::size_t>(at) < firstFields_.size()
               ? firstFields_[static_cast<std::size_t>(at)]
               : std::string_view();
  }

  // Whether the line just read passes filter `f`. A line without the fields a filter
  // needs belongs to no row.
  bool passes(std::size_t f) {
    const LineFilter& filter = filters_[f];
    const FieldLayout& layout = *layout_;
    if (filter.day && filter.shiftMinutes == 0) {
      if (layout.date < 0 || field(layout.date) != isoDays_[f]) return false;
    } else if (filter.day) {
      const Date* day = shiftedDay(filter.shiftMinutes);
      if (!day || !(*day == *filter.day)) return false;
    }
    if (filter.site) {
      if (layout.siteName < 0 || !equalsIgnoringCase(field(layout.siteName), *filter.site))
        return false;
    }
    return true;
  }

  // The day of the line's date and time `minutes` later: 2026-12-07 for "2026-12-06"
  // "23:30:00" and 480; null where they cannot be read. Worked out once a line, its
  // date's parse kept for the lines after it, which mostly share it. Plain values rather
  // than optionals: the day is read again at once, best from where it was written whole.
  const Date* shiftedDay(int minutes) {
    if (lineDayKnown_) return lineDayRead_ ? &lineDay_ : nullptr;
    lineDayKnown_ = true;
    lineDayRead_ = false;
    const int time = layout_->time < 0 ? -1 : minutesOf(field(layout_->time));
    if (time < 0 || layout_->date < 0) return nullptr;
    shiftDay(field(layout_->date), time, minutes);
    return lineDayRead_ ? &lineDay_ : nullptr;
  }

  // As shiftedDay(), for every filter's shift, straight from the bytes of a line that
  // begins "2026-12-06 23:30", as IIS writes its lines: the date and time fields are its
  // first ten bytes and the five after the space, whatever follows them. False where
  // the line is not so written, and its fields are to be split.
  bool leadingDay(std::size_t start) {
    const char* const line = lines_.data() + start;
    if (lines_.size() - start < 16 || line[10] != ' ') return false;
    const int time = minutesAt(line + 11);
    if (time < 0) return false;
    lineDayKnown_ = true;
    lineDayRead_ = false;
    shiftDay({line, 10}, time, filters_.front().shiftMinutes);
    return true;
  }

  // Sets the line's day to that of `date` and `time` (minutes into it) `minutes` later.
  void shiftDay(std::string_view date, int time, int minutes) {
    // A date field is ten bytes: any other is no date, and the last one parsed stays.
    if (date.size() != lastDate_.size()) return;
    if (!lastDateSet_ || std::memcmp(date.data(), lastDate_.data(), lastDate_.size()) != 0) {
      std::memcpy(lastDate_.data(), date.data(), lastDate_.size());
      lastDateSet_ = true;
      const std::optional<Date> parsed = parseIsoDate(date);
      lastParsedRead_ = parsed.has_value();
      if (parsed) lastParsed_ = *parsed;
      lastShift_ = 0;
    }
    if (!lastParsedRead_) return;
    const int total = time + minutes;
    const int days = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
    if (days != 0 && days != lastShift_) {
      lastShift_ = days;
      lastShifted_ = daysBefore(lastParsed_, -days);
    }
    lineDay_ = days == 0 ? lastParsed_ : lastShifted_;
    lineDayRead_ = true;
  }

  // The lines after a "#Fields:" directive are laid out as it says: the scanner finds
  // its lines as it finds the tokens', in the same pass.
  void takeDirective(std::size_t start) {
    if (std::optional<FieldLayout> layout = directiveAt(lines_, start)) {
      layout_ = std::move(layout);
      kept_ = keptFields();
      wanted_ = fieldsRead(*layout_);
    }
  }

  static constexpr std::size_t kNoToken = SIZE_MAX;
  // Whether a row takes only some lines: then, or with details, lines' fields are read.
  const bool anyFilter_;
  // The scanner's last token, which finds the directives, where layouts are read.
  const std::size_t directiveToken_;
  LineScanner scanner_;
  LineSplitter splitter_;
  const std::vector<LineFilter>& filters_;
  const bool detail_;
  std::string_view lines_;
  std::optional<FieldLayout> layout_;
  std::size_t kept_ = 0;      // how many first fields the filters read in layout_
  std::uint64_t wanted_ = 0;  // the fields of layout_ the detail reads, a bit each
  // The line read last: where it starts, whether it is a directive, whether its fields
  // (in fields_) could be read, and which rows it passes.
  std::int64_t lastLine_ = -1;
  bool directive_ = false;
  bool read_ = false;
  std::vector<std::string_view> fields_;       // those the detail reads
  std::vector<std::string_view> firstFields_;  // those the filters read
  std::vector<char> passed_;
  std::vector<FilteredCount> rows_;
  std::vector<std::string> isoDays_;  // per filter: its day as a date field writes it
  // The line's shifted day: whether it is worked out yet, and whether it has one.
  bool lineDayKnown_ = false;
  bool lineDayRead_ = false;
  Date lineDay_;
  // Where a line's day is read straight from its bytes: every filter is a day's, shifted.
  bool dayOnlyShifted_ = true;
  std::array<char, 10> lastDate_{};  // the last date field parsed, and its day
  bool lastDateSet_ = false;
  bool lastParsedRead_ = false;
  Date lastParsed_;
  int lastShift_ = 0;  // the days the last line moved its date by, where not 0, and to where
  Date lastShifted_;
};

}  // namespace

std::vector<FilteredCount> countFilteredRows(InputFile& file,
                                             const std::vector<std::string>& tokens,
                                             const std::vector<LineFilter>& filters, bool detail,
                                             const std::atomic<bool>* stop,
                                             std::atomic<std::uint64_t>* bytesRead,
                                             std::size_t blockSize) {
  const auto failed = [&](FilteredCount::Status status) {
    return std::vector<FilteredCount>(filters.size(), FilteredCount{status, {}, {}});
  };
  FilteredLines lines(tokens, filters, detail);
  // Reads are whole blocks at their places in the file, landing at the same aligned
  // place in the buffer; the unfinished line the last read left is kept just before it.
  const std::size_t block = std::max<std::size_t>(blockSize, 1);
  const std::unique_ptr<char[]> buffer(new char[2 * block]);  // never zeroed: reads fill it
  char* const landing = buffer.get() + block;
  std::size_t kept = 0;
  bool skipping = false;  // in the rest of a line longer than a block
  std::uint64_t at = 0;
  for (;;) {
    if (stop && stop->load()) return failed(FilteredCount::Status::Stopped);
    const std::ptrdiff_t got = file.readAt(landing, block, at);
    if (got < 0) return failed(FilteredCount::Status::ReadFailed);
    if (got == 0) break;
    at += static_cast<std::uint64_t>(got);
    if (bytesRead) bytesRead->fetch_add(static_cast<std::uint64_t>(got));
    char* const data = landing - kept;
    const std::size_t size = kept + static_cast<std::size_t>(got);
    std::size_t start = 0;
    if (skipping) {
      while (start < size && !isBreak(data[start])) ++start;
      if (start == size) {
        kept = 0;
        continue;
      }
      skipping = false;
      ++start;
    }
    std::size_t last = size;  // just after the last line break
    while (last > start && !isBreak(data[last - 1])) --last;
    if (last > start) lines.read({data + start, last - start});
    const std::size_t rest = size - std::max(last, start);
    if (rest > block) {
      // A line longer than any log writes is cut rather than held whole.
      lines.read({data + size - rest, rest});
      skipping = true;
      kept = 0;
      continue;
    }
    std::memmove(landing - rest, data + size - rest, rest);
    kept = rest;
  }
  if (kept > 0) lines.read({landing - kept, kept});
  return lines.take();
}

FilteredCount countFiltered(InputFile& file, const std::vector<std::string>& tokens,
                            const LineFilter& filter, bool detail, const std::atomic<bool>* stop,
                            std::atomic<std::uint64_t>* bytesRead) {
  return std::move(countFilteredRows(file, tokens, {filter}, detail, stop, bytesRead).front());
}

}  // namespace tarnwick
