#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/value_words.h"
#include "analysis/w3c_fields.h"

namespace tarnwick {

// How many lines each value had, exact for up to `bound` distinct values. Past that,
// values not seen yet are left out and the counts are flagged approximate: what they
// say is never more than the truth.
class ValueCounts {
 public:
  static constexpr std::size_t kDefaultBound = 100000;

  ValueCounts() = default;
  explicit ValueCounts(std::size_t bound) : bound_(bound) {}

  // Counts `lines` more for `value`: false where the list had no room left for it.
  bool add(std::string_view value, std::uint64_t lines = 1);
  // As add(), with `hash` = hashOf(value).
  bool addHashed(std::string_view value, std::uint32_t hash, std::uint64_t lines = 1);
  // Makes room for `values` distinct values in all, so that adding them never grows the
  // table on the way.
  void reserve(std::size_t values);
  void merge(const ValueCounts& other);
  // As merge(), taking the other's values where this list is empty.
  void merge(ValueCounts&& other);
  // Keeps only the `n` values with most lines (ties by value in byte order), flagged
  // approximate where any goes.
  void keepTop(std::size_t n);

  // The hash a value is kept under.
  static std::uint32_t hashOf(std::string_view value);
  // Asks for the slot where `hash` is looked for to be brought into the cache, ahead of
  // an add of its value.
  void prefetch(std::uint32_t hash) const {
    if (!slots_.empty()) words::prefetch(&slots_[hash & (slots_.size() - 1)]);
  }

  // Distinct values seen (those kept, where approximate).
  std::size_t distinct() const { return size_; }
  bool approximate() const { return approximate_; }
  // Calls `visit(value, lines)` for every value held, in no order.
  template <typename Visit>
  void forEach(Visit&& visit) const {
    for (const Slot& slot : slots_)
      if (slot.lines) visit(valueOf(slot), slot.lines);
  }
  // The `n` values with most lines, most first, ties by value in byte order.
  std::vector<std::pair<std::string, std::uint64_t>> top(std::size_t n) const;

 private:
  // An open-addressing table: a crawler's lines are counted in four of these each, so a
  // lookup is one probe into one array of small slots, and the text of a value is only
  // looked at where its hash matches. The values lie back to back in `text_`, each after
  // its length.
  struct Slot {
    std::uint64_t lines = 0;   // 0 for a free slot
    std::uint32_t offset = 0;  // of the value's length in text_
    std::uint32_t hash = 0;
  };
  // Most text the values may take: an offset must fit a slot.
  static constexpr std::size_t kMostText = UINT32_MAX;

  std::string_view valueOf(const Slot& slot) const;
  // Whether `slot` holds `value`.
  bool holds(const Slot& slot, std::string_view value) const;

  std::size_t bound_ = kDefaultBound;
  bool approximate_ = false;
  std::size_t size_ = 0;
  // A power of two of them, at most half in use: a value is then mostly found in its own
  // slot, and the search for it seldom runs on to the next.
  std::vector<Slot> slots_;
  std::string text_;
};

struct LineValues;

// What one crawler's lines of one row (or of all rows) say, from their W3C fields.
struct CrawlerDetail {
  std::uint64_t lines = 0;     // lines that hold the token
  std::uint64_t unparsed = 0;  // of those, lines whose fields could not be read
  std::map<std::string, std::uint64_t, std::less<>> status;  // sc-status as written → lines
  std::optional<std::uint64_t> bytes;                        // sum of sc-bytes, where logged
  std::optional<std::uint64_t> timeTakenMs;                  // sum of time-taken, where logged
  ValueCounts ips, pages, dirs;
  ValueCounts segments;                   // kept as "66.249.71.", without the star
  std::array<std::uint64_t, 24> hours{};  // lines per hour of the time field, as logged

  // Whether any of its distinct counts had to leave values out.
  bool approximate() const;
  // Average time-taken of the lines whose fields were read, where it was logged.
  std::optional<std::uint64_t> averageTimeMs() const {
    const std::uint64_t timed = lines - unparsed;
    if (!timeTakenMs || timed == 0) return std::nullopt;
    return *timeTakenMs / timed;
  }
  // Distinct values held in all its lists: what it costs to keep.
  std::size_t values() const;
  // Keeps only the `n` most frequent values of each list.
  void keepTop(std::size_t n);
  // The `n` /24 segments with most lines, written "66.249.71.*".
  std::vector<std::pair<std::string, std::uint64_t>> topSegments(std::size_t n) const;
  void merge(const CrawlerDetail& other);
  // As merge(), taking the other's lists where they can be taken whole.
  void merge(CrawlerDetail&& other);
  // Works out the directories and segments of the lines added with addValues() from
  // their pages and addresses: once, after the last line. Until then `dirs` and
  // `segments` hold only those of lines whose page or address found no room.
  void fold();
  // Counts `lines` read lines more for page `stem` (hash = ValueCounts::hashOf(stem)), or
  // for address `ip`: the lists fold() works from.
  void addPage(std::string_view stem, std::uint32_t hash, std::uint64_t lines = 1);
  void addAddress(std::string_view ip, std::uint32_t hash, std::uint64_t lines = 1);

 private:
  friend bool addTallies(CrawlerDetail& detail, const LineValues& values);

  void mergeTallies(const CrawlerDetail& other);  // all but the lists
  // Adds the directories of `from`'s pages and the segments of its addresses.
  void addDerived(const CrawlerDetail& from);

  // Whether lines were added whose directories and segments are still to be worked out.
  bool unfolded_ = false;
};

// Reads the fields of one crawler line into `detail` (see fold()). `layout` is the directive in
// force, or null where none came before the line; `fields` is scratch space.
void addLine(CrawlerDetail& detail, std::string_view line, const FieldLayout* layout,
             std::vector<std::string_view>& fields);
// Adds one crawler line split already: `fields` are its fields laid out as `layout`, or
// null where they could not be read.
void addSplitLine(CrawlerDetail& detail, const FieldLayout* layout,
                  const std::vector<std::string_view>* fields);

// What a detail takes from one line, read from its fields, with the hashes its lists keep
// the values under: read once for a line that holds several tokens, and read for many
// lines before any is added, so that their lookups wait for memory together.
struct LineValues {
  bool read = false;                  // whether its fields could be read
  std::string_view status, ip, stem;  // empty where not logged
  std::optional<std::uint64_t> bytes, timeTaken;
  int hour = -1;
  std::uint32_t ipHash = 0, stemHash = 0;
};

// The values of a line whose fields, laid out as `layout`, are `fields` (null where they
// could not be read). They point into the line.
LineValues readValues(const FieldLayout* layout, const std::vector<std::string_view>* fields);
// As readValues(), into `values`: for a caller that keeps them where they are written,
// since a copy read whole just after being written a field at a time waits for the writes.
void readValues(const FieldLayout* layout, const std::vector<std::string_view>* fields,
                LineValues& values);
// The fields readValues() reads of a line laid out as `layout`, a bit each (field k's is
// 1 << k), for a caller that splits only those.
std::uint64_t fieldsRead(const FieldLayout& layout);
// Adds one line of `values` to `detail`. Its directory and segment are worked out from
// its page and address when the detail is folded: a crawler comes back to the same
// pages, so that is done once per page rather than once per line.
void addValues(CrawlerDetail& detail, const LineValues& values);
// As addValues(), all but the page and the address, for a caller that counts those
// itself: whether the line's fields were read (and so its page and address are to be
// counted).
bool addTallies(CrawlerDetail& detail, const LineValues& values);

// The IPv4 /24 segment of `ip` ("66.249.71.5" → "66.249.71.*"), the IPv4 address of an
// IPv4-mapped IPv6 one included; empty for anything else.
std::string segmentOf(std::string_view ip);
// The first path component of a URI stem with its slashes: "/news/a/b.aspx" → "/news/",
// "/index.html" → "/".
std::string directoryOf(std::string_view stem);

}  // namespace tarnwick
