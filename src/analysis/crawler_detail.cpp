#include "analysis/crawler_detail.h"

#include <algorithm>
#include <bit>

#include "analysis/value_words.h"

namespace tarnwick {

using words::load64;
using words::tailWord;

// A word at a time: values are paths and addresses of a few dozen bytes, hashed once for
// every line a crawler wrote.
std::uint32_t ValueCounts::hashOf(std::string_view text) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = text.size() * kMultiplier;
  const auto mix = [&](std::uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  };
  const char* at = text.data();
  for (std::size_t left = text.size(); left > 8; at += 8, left -= 8) mix(load64(at));
  mix(tailWord(text.data(), text.size()));
  hash *= 0xBF58476D1CE4E5B9ull;
  return static_cast<std::uint32_t>(hash >> 32);
}

bool ValueCounts::add(std::string_view value, std::uint64_t lines) {
  return addHashed(value, hashOf(value), lines);
}

std::string_view ValueCounts::valueOf(const Slot& slot) const {
  return words::storedValue(text_.data() + slot.offset);
}

bool ValueCounts::holds(const Slot& slot, std::string_view value) const {
  return words::holdsValue(text_.data() + slot.offset, value);
}

bool ValueCounts::addHashed(std::string_view value, std::uint32_t hash, std::uint64_t lines) {
  if (lines == 0) return true;
  if (slots_.empty()) slots_.resize(16);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.lines == 0) {
      const std::optional<std::uint32_t> stored =
          size_ < bound_ ? words::storeValue(text_, value, kMostText) : std::nullopt;
      if (!stored) {
        approximate_ = true;
        return false;
      }
      slot = {lines, *stored, hash};
      if (++size_ * 2 > slots_.size()) reserve(size_);
      return true;
    }
    if (slot.hash == hash && holds(slot, value)) {
      slot.lines += lines;
      return true;
    }
  }
}

void ValueCounts::reserve(std::size_t values) {
  // At most half the slots in use, so that a value is mostly found in its own slot; no
  // more than the bound lets in.
  const std::size_t wanted = std::bit_ceil(2 * std::max<std::size_t>(8, std::min(values, bound_)));
  if (wanted > slots_.size())
    words::resizeSlots(slots_, wanted, [](const Slot& slot) { return slot.lines != 0; });
}

void ValueCounts::merge(const ValueCounts& other) {
  approximate_ = approximate_ || other.approximate_;
  // Into an empty list that has room for them all, the other's values are copied as they
  // are: a row's details are added so to the totals.
  if (size_ == 0 && other.size_ <= bound_) {
    size_ = other.size_;
    slots_ = other.slots_;
    text_ = other.text_;
    return;
  }
  // The lists share most values, where they are the pages of the same site.
  reserve(std::max(size_, other.size_));
  for (const Slot& slot : other.slots_)
    if (slot.lines) addHashed(other.valueOf(slot), slot.hash, slot.lines);
}

void ValueCounts::merge(ValueCounts&& other) {
  // Into an empty list that has room for them all, the other's values move as they are.
  if (size_ == 0 && other.size_ <= bound_) {
    approximate_ = approximate_ || other.approximate_;
    size_ = other.size_;
    slots_ = std::move(other.slots_);
    text_ = std::move(other.text_);
    other.size_ = 0;
    return;
  }
  merge(other);
}

void ValueCounts::keepTop(std::size_t n) {
  if (size_ <= n) return;
  ValueCounts kept(bound_);
  for (const auto& [value, lines] : top(n)) kept.add(value, lines);
  kept.approximate_ = true;
  *this = std::move(kept);
}

std::vector<std::pair<std::string, std::uint64_t>> ValueCounts::top(std::size_t n) const {
  using Entry = std::pair<std::string_view, std::uint64_t>;
  const auto before = [](const Entry& a, const Entry& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  };
  // The best n so far as a heap whose top is the worst of them: most values are then
  // turned away by one comparison, and the list is never copied whole.
  std::vector<Entry> best;
  best.reserve(std::min(n, size_));
  for (const Slot& slot : slots_) {
    if (!slot.lines) continue;
    const Entry entry{valueOf(slot), slot.lines};
    if (best.size() < n) {
      best.push_back(entry);
      std::push_heap(best.begin(), best.end(), before);
    } else if (n > 0 && before(entry, best.front())) {
      std::pop_heap(best.begin(), best.end(), before);
      best.back() = entry;
      std::push_heap(best.begin(), best.end(), before);
    }
  }
  std::sort_heap(best.begin(), best.end(), before);
  return {best.begin(), best.end()};
}

bool CrawlerDetail::approximate() const {
  return ips.approximate() || segments.approximate() || pages.approximate() || dirs.approximate();
}

std::size_t CrawlerDetail::values() const {
  return ips.distinct() + segments.distinct() + pages.distinct() + dirs.distinct();
}

void CrawlerDetail::keepTop(std::size_t n) {
  fold();  // before the pages and addresses it works from are cut
  for (ValueCounts* list : {&ips, &segments, &pages, &dirs}) list->keepTop(n);
}

std::vector<std::pair<std::string, std::uint64_t>> CrawlerDetail::topSegments(std::size_t n) const {
  auto top = segments.top(n);
  for (auto& [segment, lines] : top) segment += '*';
  return top;
}

namespace {

void addOptional(std::optional<std::uint64_t>& sum, const std::optional<std::uint64_t>& more) {
  if (more) sum = sum.value_or(0) + *more;
}

// A field of digits as a number, into `value`: false for an empty one, anything else in
// it, or one past what 64 bits hold. (Not an optional: that comes back through memory,
// written a part at a time and read whole, and the read waits for the writes.)
bool number(std::string_view text, std::uint64_t& value) {
  if (text.empty()) return false;
  std::uint64_t sum = 0;
  // Nineteen digits never overflow; only a longer field is read with a check, in a loop
  // of its own, so that the usual one has no check to make.
  if (text.size() > 19) {
    for (const char c : text) {
      const auto digit = static_cast<unsigned>(c - '0');
      if (digit > 9 || sum > (UINT64_MAX - digit) / 10) return false;
      sum = sum * 10 + digit;
    }
  } else {
    for (const char c : text) {
      const auto digit = static_cast<unsigned>(c - '0');
      if (digit > 9) return false;
      sum = sum * 10 + digit;
    }
  }
  value = sum;
  return true;
}

std::string_view field(const std::vector<std::string_view>& fields, int at) {
  return at >= 0 && static_cast<std::size_t>(at) < fields.size()
             ? fields[static_cast<std::size_t>(at)]
             : std::string_view();
}

// Whether a field holds a value: IIS writes an empty one as "-".
bool logged(std::string_view value) {
  return !value.empty() && value != "-";
}

}  // namespace

void CrawlerDetail::mergeTallies(const CrawlerDetail& other) {
  lines += other.lines;
  unparsed += other.unparsed;
  for (const auto& [code, count] : other.status) status[code] += count;
  addOptional(bytes, other.bytes);
  addOptional(timeTakenMs, other.timeTakenMs);
  for (std::size_t h = 0; h < hours.size(); ++h) hours[h] += other.hours[h];
}

// Lists worked out from others are brought up to date on both sides first: once the
// pages of two details are one list, whose lines' directories were counted already
// could no longer be told.
void CrawlerDetail::merge(const CrawlerDetail& other) {
  fold();
  mergeTallies(other);
  if (other.unfolded_) addDerived(other);
  ips.merge(other.ips);
  segments.merge(other.segments);
  pages.merge(other.pages);
  dirs.merge(other.dirs);
}

void CrawlerDetail::merge(CrawlerDetail&& other) {
  fold();
  other.fold();
  mergeTallies(other);
  ips.merge(std::move(other.ips));
  segments.merge(std::move(other.segments));
  pages.merge(std::move(other.pages));
  dirs.merge(std::move(other.dirs));
}

void CrawlerDetail::fold() {
  if (!unfolded_) return;
  unfolded_ = false;
  addDerived(*this);
}

// The /24 segment's first three numbers with their dots ("66.249.71."), a view into `ip`;
// empty for anything but an IPv4 address.
std::string_view segmentPrefix(std::string_view ip) {
  if (ip.starts_with("::ffff:") || ip.starts_with("::FFFF:")) ip.remove_prefix(7);
  int dots = 0;
  for (const char c : ip) {
    if (c == '.')
      ++dots;
    else if (c < '0' || c > '9')
      return {};
  }
  if (dots != 3) return {};
  return ip.substr(0, ip.rfind('.') + 1);
}

// The first path component of a stem with its slashes, a view into `stem`.
std::string_view directoryView(std::string_view stem) {
  if (!stem.starts_with('/')) return {};
  const std::size_t next = stem.find('/', 1);
  return next == std::string_view::npos ? stem.substr(0, 1) : stem.substr(0, next + 1);
}

// A segment is kept as "66.249.71."; the star is added where they are shown.
void CrawlerDetail::addDerived(const CrawlerDetail& from) {
  from.pages.forEach([&](std::string_view page, std::uint64_t count) {
    if (const std::string_view dir = directoryView(page); !dir.empty()) dirs.add(dir, count);
  });
  from.ips.forEach([&](std::string_view ip, std::uint64_t count) {
    if (const std::string_view segment = segmentPrefix(ip); !segment.empty())
      segments.add(segment, count);
  });
}

std::string segmentOf(std::string_view ip) {
  const std::string_view prefix = segmentPrefix(ip);
  return prefix.empty() ? std::string() : std::string(prefix) + "*";
}

std::string directoryOf(std::string_view stem) {
  return std::string(directoryView(stem));
}

void addLine(CrawlerDetail& detail, std::string_view line, const FieldLayout* layout,
             std::vector<std::string_view>& fields) {
  const bool read = layout && splitFields(line, layout->count, fields);
  addSplitLine(detail, layout, read ? &fields : nullptr);
}

LineValues readValues(const FieldLayout* layout, const std::vector<std::string_view>* split) {
  LineValues values;
  readValues(layout, split, values);
  return values;
}

void readValues(const FieldLayout* layout, const std::vector<std::string_view>* split,
                LineValues& values) {
  // Member by member, each written once: a new LineValues would be built aside and
  // copied over, and a chained assignment reads back what it has just written. Either
  // read waits until the writes are done.
  values.read = false;
  values.status = {};
  values.ip = {};
  values.stem = {};
  values.bytes.reset();
  values.timeTaken.reset();
  values.hour = -1;
  values.ipHash = 0;
  values.stemHash = 0;
  if (!layout || !split) return;
  const std::vector<std::string_view>& fields = *split;
  values.read = true;
  if (const std::string_view code = field(fields, layout->status); logged(code))
    values.status = code;
  if (std::uint64_t bytes = 0; number(field(fields, layout->bytes), bytes)) values.bytes = bytes;
  if (std::uint64_t taken = 0; number(field(fields, layout->timeTaken), taken))
    values.timeTaken = taken;
  if (const std::string_view time = field(fields, layout->time);
      time.size() >= 2 && time[0] >= '0' && time[0] <= '2' && time[1] >= '0' && time[1] <= '9') {
    const int hour = (time[0] - '0') * 10 + (time[1] - '0');
    if (hour < 24) values.hour = hour;
  }
  if (const std::string_view ip = field(fields, layout->clientIp); logged(ip)) values.ip = ip;
  if (const std::string_view stem = field(fields, layout->uriStem); logged(stem))
    values.stem = stem;
  values.ipHash = ValueCounts::hashOf(values.ip);
  values.stemHash = ValueCounts::hashOf(values.stem);
}

std::uint64_t fieldsRead(const FieldLayout& layout) {
  std::uint64_t read = 0;
  for (const int at : {layout.time, layout.clientIp, layout.uriStem, layout.status, layout.bytes,
                       layout.timeTaken})
    if (at >= 0 && at < 64) read |= std::uint64_t{1} << at;
  return read;
}

namespace {

// A line's status code into `status`. A crawler meets a handful of codes: they are
// looked through in place, a byte at a time, rather than compared through the tree.
void addStatus(std::map<std::string, std::uint64_t, std::less<>>& status, std::string_view code) {
  if (status.size() <= 8) {
    for (auto& [known, lines] : status) {
      if (known.size() != code.size()) continue;
      std::size_t at = 0;
      while (at < code.size() && known[at] == code[at]) ++at;
      if (at == code.size()) {
        ++lines;
        return;
      }
    }
    status.emplace(code, 1);
    return;
  }
  if (const auto found = status.find(code); found != status.end())
    ++found->second;
  else
    status.emplace(code, 1);
}

}  // namespace

bool addTallies(CrawlerDetail& detail, const LineValues& values) {
  ++detail.lines;
  if (!values.read) {
    ++detail.unparsed;
    return false;
  }
  if (!values.status.empty()) addStatus(detail.status, values.status);
  addOptional(detail.bytes, values.bytes);
  addOptional(detail.timeTakenMs, values.timeTaken);
  if (values.hour >= 0) ++detail.hours[static_cast<std::size_t>(values.hour)];
  return true;
}

void addValues(CrawlerDetail& detail, const LineValues& values) {
  if (!addTallies(detail, values)) return;
  if (!values.ip.empty()) detail.addAddress(values.ip, values.ipHash);
  if (!values.stem.empty()) detail.addPage(values.stem, values.stemHash);
}

// A page or address that finds no room in its list counts its directory or segment now;
// the others' wait for fold().
void CrawlerDetail::addPage(std::string_view stem, std::uint32_t hash, std::uint64_t lines) {
  unfolded_ = true;
  if (!pages.addHashed(stem, hash, lines))
    if (const std::string_view dir = directoryView(stem); !dir.empty()) dirs.add(dir, lines);
}

void CrawlerDetail::addAddress(std::string_view ip, std::uint32_t hash, std::uint64_t lines) {
  unfolded_ = true;
  if (!ips.addHashed(ip, hash, lines))
    if (const std::string_view segment = segmentPrefix(ip); !segment.empty())
      segments.add(segment, lines);
}

void addSplitLine(CrawlerDetail& detail, const FieldLayout* layout,
                  const std::vector<std::string_view>* fields) {
  addValues(detail, readValues(layout, fields));
}

}  // namespace tarnwick
