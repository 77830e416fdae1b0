#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/w3c_fields.h"
#include "calendar/date.h"
#include "platform/text_input.h"

namespace tarnwick {

// Which of a log's lines belong to a row, by their own fields: a day's lines of a file
// that holds many days, a site's lines of a file all sites share.
struct LineFilter {
  std::optional<Date> day;          // the line's `date` field must name this day
  std::optional<std::string> site;  // its `s-sitename` must be this ("W3SVC1"), case ignored
  // Where not 0, `day` is the day of the line's `date` and `time` this many minutes later:
  // a local calendar day of logs written in UTC.
  int shiftMinutes = 0;

  friend bool operator==(const LineFilter&, const LineFilter&) = default;
};

// What reading a filtered file gave.
struct FilteredCount {
  enum class Status { Counted, ReadFailed, Stopped };
  Status status = Status::Counted;
  std::vector<std::uint64_t> counts;  // per token: lines that hold it and pass the filter
  std::vector<CrawlerDetail> detail;  // per token, where asked for
};

// Counts the lines of `file` that hold each token and pass `filter`, reading it from its
// start to its end, in order, on the caller's thread; each line takes the layout of the
// last "#Fields:" directive before it. An empty filter takes every line, as a plain log's
// count does: a stream that can only be read in order (an archive's content) is counted
// so. Stops where `stop` is set.
FilteredCount countFiltered(InputFile& file, const std::vector<std::string>& tokens,
                            const LineFilter& filter, bool detail,
                            const std::atomic<bool>* stop = nullptr,
                            std::atomic<std::uint64_t>* bytesRead = nullptr);

// As countFiltered(), for several rows that each take the lines of `file` that pass their
// own filter, in one reading: a row per filter, in their order. Reads `blockSize` bytes
// at a time; a line longer than that is cut to it.
std::vector<FilteredCount> countFilteredRows(InputFile& file,
                                             const std::vector<std::string>& tokens,
                                             const std::vector<LineFilter>& filters, bool detail,
                                             const std::atomic<bool>* stop = nullptr,
                                             std::atomic<std::uint64_t>* bytesRead = nullptr,
                                             std::size_t blockSize = 128 * 1024);

}  // namespace tarnwick
