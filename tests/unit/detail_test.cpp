#include "analysis/crawler_detail.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "analysis/detail_reader.h"
#include "analysis/detail_text.h"
#include "analysis/filtered_reader.h"
#include "analysis/job.h"
#include "analysis/line_splitter.h"
#include "analysis/value_ids.h"
#include "test_support.h"

namespace tarnwick {
namespace {

const std::vector<std::string> kTokens{"Baiduspider", "Googlebot", "Yahoo!", "Sosospider"};

// What a log holds, built line by line beside the reference of what its details must say.
struct RandomLog {
  std::string text;
  std::vector<CrawlerDetail> expected = std::vector<CrawlerDetail>(kTokens.size());
};

// The fields a directive may name, and a value for each.
std::string valueOf(const std::string& field, std::mt19937& random) {
  const auto pick = [&](std::initializer_list<const char*> values) {
    return std::string(*(values.begin() + random() % values.size()));
  };
  if (field == "date") return "2026-12-0" + std::to_string(1 + random() % 7);
  if (field == "time") {
    const unsigned hour = random() % 24;
    return (hour < 10 ? "0" : "") + std::to_string(hour) + ":1" + std::to_string(random() % 10) +
           ":00";
  }
  if (field == "c-ip")
    return pick({"66.249.71.5", "66.249.71.9", "220.181.7.12", "::ffff:123.125.71.1",
                 "2001:4860:4801:10::1", "-", "10.0.0.8"});
  if (field == "cs-uri-stem")
    return pick(
        {"/index.html", "/news/a/b.aspx", "/news/", "/robots.txt", "/Googlebot/x.html", "-"});
  if (field == "sc-status") return pick({"200", "404", "301", "500", "-"});
  if (field == "sc-bytes" || field == "time-taken") return std::to_string(random() % 5000);
  if (field == "cs(User-Agent)")
    return pick({"Baiduspider+(+http://www.baidu.com/search/spider.htm)",
                 "Mozilla/5.0+(compatible;+Googlebot/2.1)", "Yahoo!+Slurp", "Sosospider",
                 "Mozilla/5.0", "baiduspider"});
  if (field == "cs(Referer)") return pick({"-", "http://x/?q=Sosospider", "http://y/"});
  return "x";
}

// The reference: what one line adds, worked out from the values it was built of.
void expect(RandomLog& log, const std::string& line, const std::vector<std::string>& names,
            const std::vector<std::string>& values, bool parsed) {
  for (std::size_t t = 0; t < kTokens.size(); ++t) {
    if (line.find(kTokens[t]) == std::string::npos) continue;
    CrawlerDetail& d = log.expected[t];
    ++d.lines;
    if (!parsed) {
      ++d.unparsed;
      continue;
    }
    for (std::size_t f = 0; f < names.size(); ++f) {
      const std::string& v = values[f];
      if (names[f] == "sc-status" && v != "-") ++d.status[v];
      if (names[f] == "sc-bytes") d.bytes = d.bytes.value_or(0) + std::stoull(v);
      if (names[f] == "time-taken") d.timeTakenMs = d.timeTakenMs.value_or(0) + std::stoull(v);
      if (names[f] == "c-ip" && v != "-") {
        d.ips.add(v);
        if (v.find('.') != std::string::npos) {
          const std::string four = v.starts_with("::ffff:") ? v.substr(7) : v;
          d.segments.add(four.substr(0, four.rfind('.') + 1));
        }
      }
      if (names[f] == "cs-uri-stem" && v != "-") {
        d.pages.add(v);
        const auto slash = v.find('/', 1);
        d.dirs.add(slash == std::string::npos ? "/" : v.substr(0, slash + 1));
      }
      if (names[f] == "time") ++d.hours[static_cast<std::size_t>(std::stoi(v.substr(0, 2)))];
    }
  }
}

// Changing field sets, lines before any directive, torn lines, CRLF and LF.
const std::vector<std::vector<std::string>> kLayouts{
    {"date", "time", "s-sitename", "cs-uri-stem", "c-ip", "cs(User-Agent)", "sc-status", "sc-bytes",
     "time-taken"},
    {"time", "c-ip", "cs(User-Agent)", "cs(Referer)", "cs-uri-stem", "sc-status"},
    {"date", "time", "cs-uri-stem", "cs(User-Agent)"},
};

void addDirective(RandomLog& log, const std::vector<std::string>& layout, const char* end) {
  std::string directive = "#Fields:";
  for (const std::string& name : layout) directive += " " + name;
  log.text += directive + end;
}

// A line of random values in `layout` (none: before any directive), now and then torn.
void addLine(RandomLog& log, const std::vector<std::string>* layout, std::mt19937& random,
             const char* end) {
  std::vector<std::string> names = layout ? *layout : kLayouts[0];
  std::vector<std::string> values;
  std::string line;
  for (const std::string& name : names) {
    values.push_back(valueOf(name, random));
    line += (line.empty() ? "" : " ") + values.back();
  }
  bool parsed = layout != nullptr;
  if (random() % 25 == 0) {  // torn: a field short
    line = line.substr(0, line.rfind(' '));
    parsed = false;
  }
  expect(log, line, names, values, parsed);
  log.text += line + end;
}

RandomLog randomLog(unsigned seed) {
  std::mt19937 random(seed);
  RandomLog log;
  const std::vector<std::string>* layout = nullptr;
  for (int n = 0; n < 600; ++n) {
    const char* end = random() % 3 ? "\r\n" : "\n";
    if (n == 0 || random() % 40 == 0) {
      if (n > 0 || random() % 2) {
        layout = &kLayouts[random() % kLayouts.size()];
        addDirective(log, *layout, end);
        continue;
      }
    }
    addLine(log, layout, random, end);
  }
  return log;
}

// A log of `lines` lines that takes another field set once, before line `at`, and keeps it
// to its end, as IIS writes one where a field is added during the day.
RandomLog changedOnce(unsigned seed, int lines, int at) {
  std::mt19937 random(seed);
  RandomLog log;
  for (int n = 0; n < lines; ++n) {
    if (n == 0 || n == at) addDirective(log, kLayouts[n == 0 ? 0 : 1], "\r\n");
    addLine(log, &kLayouts[n < at ? 0 : 1], random, "\r\n");
  }
  return log;
}

class Collect : public RowSink {
 public:
  bool row(FileResult&& r) override {
    rows.push_back(std::move(r));
    return true;
  }
  void finished(const Progress&) override {}
  std::vector<FileResult> rows;
};

void expectSame(const CrawlerDetail& got, const CrawlerDetail& want, const std::string& where) {
  EXPECT_EQ(got.lines, want.lines) << where;
  EXPECT_EQ(got.unparsed, want.unparsed) << where;
  EXPECT_EQ(got.status, want.status) << where;
  EXPECT_EQ(got.bytes, want.bytes) << where;
  EXPECT_EQ(got.timeTakenMs, want.timeTakenMs) << where;
  EXPECT_EQ(got.ips.distinct(), want.ips.distinct()) << where;
  EXPECT_EQ(got.ips.top(100), want.ips.top(100)) << where;
  EXPECT_EQ(got.topSegments(100), want.topSegments(100)) << where;
  EXPECT_EQ(got.pages.top(100), want.pages.top(100)) << where;
  EXPECT_EQ(got.dirs.top(100), want.dirs.top(100)) << where;
  EXPECT_EQ(got.hours, want.hours) << where;
}

// Every member against a reference worked out line by line, across read sizes and
// threads; the counts and the details' lines always agree.
TEST(detail_test, random_logs_against_the_reference) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    const RandomLog log = randomLog(seed);
    testing::FakeInput input;
    input.files["a.log"] = {log.text};
    input.files["b.log"] = {log.text};
    for (const std::size_t block : {std::size_t{7}, std::size_t{64}, std::size_t{4096}}) {
      for (const unsigned threads : {1u, 2u}) {
        Collect sink;
        JobSettings settings{threads, block, 1, true};
        AnalysisJob job({{1, "a", "a.log", "a.log", {}}, {2, "b", "b.log", "b.log", {}}}, kTokens,
                        input, sink, settings);
        job.wait();
        ASSERT_EQ(sink.rows.size(), 2u);
        for (const FileResult& row : sink.rows) {
          ASSERT_EQ(row.detail.size(), kTokens.size());
          for (std::size_t t = 0; t < kTokens.size(); ++t) {
            const std::string where = "seed " + std::to_string(seed) + ", threads " +
                                      std::to_string(threads) + ", block " + std::to_string(block) +
                                      ", " + kTokens[t];
            EXPECT_EQ(row.detail[t].lines, row.counts[t]) << where;
            expectSame(row.detail[t], log.expected[t], where);
          }
        }
        // The total over both rows is each row's twice.
        CrawlerDetail total;
        for (const FileResult& row : sink.rows) total.merge(row.detail[1]);
        EXPECT_EQ(total.lines, 2 * log.expected[1].lines);
        EXPECT_EQ(total.ips.distinct(), log.expected[1].ips.distinct());
      }
    }
  }
}

// One log read from memory, whose reads a test holds back or lets go: before() runs on
// the reading thread ahead of each read.
class ScriptedLog : public TextInput {
 public:
  explicit ScriptedLog(std::string text) : text_(std::move(text)) {}
  OpenedFile open(const std::filesystem::path&) const override {
    OpenedFile result;
    result.status = OpenedFile::Status::Ok;
    result.file = std::make_unique<Reader>(*this);
    return result;
  }
  bool isFile(const std::filesystem::path&) const override { return true; }

 protected:
  virtual void before(std::uint64_t offset, std::size_t bytes) const = 0;
  std::uint64_t size() const { return text_.size(); }
  // Waits, for a few seconds at most, until `done` holds.
  template <typename Done>
  void waitUntil(std::unique_lock<std::mutex>& lock, Done done) const {
    changed_.wait_for(lock, std::chrono::seconds(10), done);
  }
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;

 private:
  struct Reader : InputFile {
    explicit Reader(const ScriptedLog& log) : log(log) {}
    std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
      log.before(offset, size);
      if (offset >= log.size()) return 0;
      const std::size_t n = std::min<std::size_t>(size, log.size() - offset);
      std::memcpy(buffer, log.text_.data() + offset, n);
      return static_cast<std::ptrdiff_t>(n);
    }
    std::uint64_t size() const override { return log.size(); }
    const ScriptedLog& log;
  };
  std::string text_;
};

// One log whose first half is read slowly: the thread that reads it waits, after its
// first read, until another thread reads there too, as one does that takes the rest of
// that half over once it has read the second.
class HeldFirstHalf : public ScriptedLog {
 public:
  HeldFirstHalf(std::string text, std::size_t block)
      : ScriptedLog(std::move(text)), block_(block) {}
  bool takenOver() const {
    std::lock_guard lock(mutex_);
    return takenOver_;
  }

 private:
  void before(std::uint64_t offset, std::size_t) const override {
    if (offset < block_ || offset >= size() / 2) return;
    std::unique_lock lock(mutex_);
    if (!holder_) holder_ = std::this_thread::get_id();
    if (*holder_ == std::this_thread::get_id()) {
      waitUntil(lock, [&] { return takenOver_; });
    } else {
      takenOver_ = true;
      changed_.notify_all();
    }
  }

  std::size_t block_;
  mutable std::optional<std::thread::id> holder_;
  mutable bool takenOver_ = false;
};

// A thread that has read its part takes over the rest of the other's: the parts, however
// cut, give the reference, merged in the order of the file.
TEST(detail_test, a_part_taken_over_by_another_thread_gives_the_reference) {
  const RandomLog log = randomLog(4);
  constexpr std::size_t kBlock = 64;
  HeldFirstHalf input(log.text, kBlock);
  Collect sink;
  JobSettings settings{2, kBlock, 1, true};
  settings.takeOverSize = 16;
  AnalysisJob job({{1, "a", "a.log", "a.log", {}}}, kTokens, input, sink, settings);
  job.wait();
  EXPECT_TRUE(input.takenOver());
  ASSERT_EQ(sink.rows.size(), 1u);
  for (std::size_t t = 0; t < kTokens.size(); ++t) {
    EXPECT_EQ(sink.rows[0].detail[t].lines, sink.rows[0].counts[t]) << kTokens[t];
    expectSame(sink.rows[0].detail[t], log.expected[t], kTokens[t]);
  }
}

// One log read in two parts, in this order: the second part reads a while, then waits;
// the first reads on past where the field set changes, and the second goes on.
class ChangeSeenLate : public ScriptedLog {
 public:
  ChangeSeenLate(std::string text, std::uint64_t change, std::uint64_t waitAt)
      : ScriptedLog(std::move(text)), change_(change), waitAt_(waitAt) {}
  // How often the second part was begun, and how many bytes were read in it.
  std::size_t secondPartBegun() const {
    std::lock_guard lock(mutex_);
    return begun_;
  }
  std::uint64_t secondPartRead() const {
    std::lock_guard lock(mutex_);
    return read_;
  }

 private:
  void before(std::uint64_t offset, std::size_t bytes) const override {
    const std::uint64_t half = size() / 2;
    std::unique_lock lock(mutex_);
    if (offset == half) ++begun_;
    if (offset >= half && offset < size()) read_ += std::min<std::uint64_t>(bytes, size() - offset);
    if (offset >= half + waitAt_ && !changeRead_) {
      secondWaits_ = true;
      changed_.notify_all();
      waitUntil(lock, [&] { return changeRead_; });
    } else if (offset > 0 && offset < half && offset + bytes > change_) {
      // (The read at 0 looks for the file's first directive, before the parts begin.)
      waitUntil(lock, [&] { return secondWaits_; });
      if (offset > change_ + bytes) {  // the block with the directive has been read
        changeRead_ = true;
        changed_.notify_all();
      }
    }
  }

  std::uint64_t change_;              // where the new directive starts
  std::uint64_t waitAt_;              // where the second part waits, from its start
  mutable bool secondWaits_ = false;  // the second part has read to waitAt_
  mutable bool changeRead_ = false;   // the first has read past the directive at change_
  mutable std::size_t begun_ = 0;
  mutable std::uint64_t read_ = 0;
};

// A log that takes another field set early in the day: the part that starts inside it
// learns so from the part before while it is read, and begins again in that field set
// rather than reading all it has read again at the end.
TEST(detail_test, a_part_learns_of_an_earlier_change_of_fields_and_begins_again) {
  const RandomLog log = changedOnce(5, 3000, 200);
  const std::uint64_t change = log.text.find("#Fields: time");
  constexpr std::size_t kBlock = 64;
  ChangeSeenLate input(log.text, change, 64 * kBlock);
  Collect sink;
  JobSettings settings{2, kBlock, 1, true};
  settings.restartAfter = 16 * kBlock;
  AnalysisJob job({{1, "a", "a.log", "a.log", {}}}, kTokens, input, sink, settings);
  job.wait();
  EXPECT_EQ(input.secondPartBegun(), 2u);
  const std::uint64_t second = log.text.size() - log.text.size() / 2;
  EXPECT_LT(input.secondPartRead(), second + second / 4)
      << "its lines are read again only as far as it had got, not all again at the end";
  ASSERT_EQ(sink.rows.size(), 1u);
  for (std::size_t t = 0; t < kTokens.size(); ++t) {
    EXPECT_EQ(sink.rows[0].detail[t].lines, sink.rows[0].counts[t]) << kTokens[t];
    expectSame(sink.rows[0].detail[t], log.expected[t], kTokens[t]);
  }
}

// Past its bound a list keeps what it has, says so, and never counts more than the truth.
TEST(detail_test, bounded_lists_are_flagged_and_never_overstate) {
  ValueCounts pages(3);
  for (const char* page : {"/a", "/b", "/a", "/c", "/d", "/a", "/d", "/b"}) pages.add(page);
  EXPECT_TRUE(pages.approximate());
  EXPECT_EQ(pages.distinct(), 3u) << "at most the truth (4)";
  EXPECT_EQ(pages.top(2),
            (std::vector<std::pair<std::string, std::uint64_t>>{{"/a", 3}, {"/b", 2}}));
  // Taken or copied whole into an empty list, or added one by one into one with less room.
  ValueCounts taken, copied, smaller(2), smallerCopy(2);
  taken.merge(ValueCounts(pages));
  copied.merge(pages);
  smaller.merge(ValueCounts(pages));
  smallerCopy.merge(pages);
  EXPECT_EQ(taken.top(3), pages.top(3));
  EXPECT_EQ(copied.top(3), pages.top(3));
  EXPECT_TRUE(taken.approximate() && copied.approximate());
  EXPECT_EQ(smaller.distinct(), 2u) << "its own bound holds";
  EXPECT_EQ(smallerCopy.distinct(), 2u) << "its own bound holds";
  copied.add("/a");
  EXPECT_EQ(copied.top(1).front().second, 4u) << "a copy is a list of its own";
  EXPECT_EQ(pages.top(1).front().second, 3u);
  const std::string json = detailJson({CrawlerDetail{}}, {designedCrawlers()[0]}, 10);
  EXPECT_EQ(json.find("approximate"), std::string::npos) << "only where it must";
}

// Directories and segments stay exact where the pages and addresses they come from
// overflow their lists, and whichever way details are merged before they are read.
TEST(detail_test, directories_and_segments_stay_exact_past_the_bound) {
  const std::size_t distinct = ValueCounts::kDefaultBound + 20000;
  std::string log = "#Fields: c-ip cs-uri-stem cs(User-Agent)\n";
  for (std::size_t i = 0; i < distinct; ++i)
    log += "10." + std::to_string(i % 3) + "." + std::to_string(i / 3 % 200) + "." +
           std::to_string(i / 600 % 250) + " /d" + std::to_string(i % 4) + "/p" +
           std::to_string(i) + ".html Googlebot\n";
  DetailReader reader(kTokens);
  reader.feed(log);
  const CrawlerDetail got = std::move(reader.finish({0, distinct, 0, 0})[1]);
  EXPECT_TRUE(got.pages.approximate() && got.ips.approximate());
  EXPECT_EQ(got.pages.distinct(), ValueCounts::kDefaultBound);
  using Top = std::vector<std::pair<std::string, std::uint64_t>>;
  const std::uint64_t quarter = distinct / 4;
  EXPECT_EQ(got.dirs.top(10),
            (Top{{"/d0/", quarter}, {"/d1/", quarter}, {"/d2/", quarter}, {"/d3/", quarter}}));
  // 600 segments of 200 addresses each.
  EXPECT_EQ(got.segments.distinct(), 600u);
  EXPECT_EQ(got.topSegments(1), (Top{{"10.0.0.*", distinct / 600}}));
  EXPECT_FALSE(got.dirs.approximate() || got.segments.approximate());

  // Lines added one at a time into details merged unfolded, folded, or moved.
  std::vector<std::string_view> fields;
  const FieldLayout layout = FieldLayout::fromDirective(" c-ip cs-uri-stem cs(User-Agent)");
  const auto detailOf = [&](std::initializer_list<const char*> lines) {
    CrawlerDetail detail;
    for (const char* line : lines) addLine(detail, line, &layout, fields);
    return detail;
  };
  CrawlerDetail merged = detailOf({"1.2.3.4 /a/x Googlebot", "1.2.3.5 /a/y Googlebot"});
  const CrawlerDetail unfolded = detailOf({"1.2.3.4 /a/x Googlebot", "5.6.7.8 /b Googlebot"});
  merged.merge(unfolded);
  merged.merge(detailOf({"5.6.7.9 /b Googlebot"}));
  CrawlerDetail folded = detailOf({"1.2.3.6 /a/z Googlebot"});
  folded.fold();
  merged.merge(folded);
  merged.fold();
  EXPECT_EQ(merged.dirs.top(10), (Top{{"/a/", 4}, {"/", 2}}));
  EXPECT_EQ(merged.topSegments(10), (Top{{"1.2.3.*", 4}, {"5.6.7.*", 2}}));
  EXPECT_EQ(merged.pages.top(1), (Top{{"/a/x", 2}}));
}

struct PieceCase {
  const char* line;
  const char* segment;
  const char* dir;
};

// Values are hashed and compared a word at a time, their last word read where they end:
// two values that differ in any one byte, of any length, are two values.
TEST(detail_test, values_differing_in_one_byte_are_apart) {
  for (std::size_t length = 1; length <= 40; ++length) {
    ValueCounts values;
    const std::string base(length, 'a');
    values.add(base);
    for (std::size_t at = 0; at < length; ++at) {
      std::string other = base;
      other[at] = 'b';
      values.add(other);
      values.add(other);
    }
    values.add(base + "a");
    EXPECT_EQ(values.distinct(), length + 2) << length;
    EXPECT_EQ(values.top(1).front(),
              (std::pair<std::string, std::uint64_t>{std::string(length - 1, 'a') + "b", 2}))
        << length;
    values.add(base);
    std::uint64_t lines = 0;
    values.forEach([&](std::string_view value, std::uint64_t n) {
      if (value == base) lines = n;
    });
    EXPECT_EQ(lines, 2u) << length;
  }
}

// Values under one hash are numbered apart by their text; past the bound no value is
// numbered, while those numbered keep their numbers.
TEST(detail_test, value_ids_number_values_apart_up_to_their_bound) {
  ValueIds ids(3);
  constexpr std::uint32_t kHash = 7;
  EXPECT_EQ(ids.idOf("/a", kHash), 0u);
  EXPECT_EQ(ids.idOf("/b", kHash), 1u);
  EXPECT_EQ(ids.idOf("/a", kHash), 0u);
  EXPECT_EQ(ids.idOf("/a/", kHash), 2u);
  EXPECT_EQ(ids.idOf("/c", kHash), ValueIds::kNone);
  EXPECT_EQ(ids.idOf("/b", kHash), 1u);
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids.value(2), "/a/");
  EXPECT_EQ(ids.hash(2), kHash);
  ids.clear();
  EXPECT_EQ(ids.idOf("/c", kHash), 0u);

  // Many values, each under its own hash, across the table's growth.
  ValueIds many(ValueCounts::kDefaultBound);
  for (std::uint32_t i = 0; i < 5000; ++i) {
    const std::string page = "/p" + std::to_string(i);
    ASSERT_EQ(many.idOf(page, ValueCounts::hashOf(page)), i);
  }
  for (std::uint32_t i = 0; i < 5000; i += 7) {
    const std::string page = "/p" + std::to_string(i);
    EXPECT_EQ(many.idOf(page, ValueCounts::hashOf(page)), i);
    EXPECT_EQ(many.value(i), page);
  }
}

// The pages of all crawlers are numbered together while a stretch is read. One crawler
// filling that numbering leaves another's pages exact, and its own.
TEST(detail_test, a_crawler_stays_exact_where_another_fills_the_shared_pages) {
  const std::size_t bound = ValueCounts::kDefaultBound;
  std::string log = "#Fields: c-ip cs-uri-stem cs(User-Agent)\n";
  for (std::size_t i = 0; i < bound; ++i)
    log += "1.2.3.4 /g/p" + std::to_string(i) + ".html Googlebot\n";
  for (std::size_t i = 0; i < 30; ++i)
    log += "5.6.7.8 /b/p" + std::to_string(i % 10) + ".html Baiduspider\n";
  log += "1.2.3.4 /g/p0.html Googlebot\n";
  DetailReader reader(kTokens);
  for (std::size_t at = 0; at < log.size(); at += 100000)
    reader.feed(std::string_view(log).substr(at, 100000), at);
  const std::vector<CrawlerDetail> got = reader.finish({30, bound + 1, 0, 0});
  using Top = std::vector<std::pair<std::string, std::uint64_t>>;
  const CrawlerDetail& baidu = got[0];
  EXPECT_FALSE(baidu.approximate());
  EXPECT_EQ(baidu.pages.distinct(), 10u);
  EXPECT_EQ(baidu.pages.top(2), (Top{{"/b/p0.html", 3}, {"/b/p1.html", 3}}));
  EXPECT_EQ(baidu.dirs.top(2), (Top{{"/b/", 30}}));
  const CrawlerDetail& google = got[1];
  EXPECT_FALSE(google.approximate());
  EXPECT_EQ(google.pages.distinct(), bound);
  EXPECT_EQ(google.pages.top(1), (Top{{"/g/p0.html", 2}}));
  EXPECT_EQ(google.dirs.top(2), (Top{{"/g/", bound + 1}}));
}

// sc-bytes and time-taken are read as numbers only where they are all digits and fit 64
// bits; anything else adds nothing.
TEST(detail_test, numbers_are_read_whole_or_not_at_all) {
  const struct {
    const char* field;
    std::optional<std::uint64_t> value;
  } cases[] = {
      {"0", 0},
      {"0007", 7},
      {"4096", 4096},
      {"9999999999999999999", 9999999999999999999ull},
      {"18446744073709551615", UINT64_MAX},
      {"18446744073709551616", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"000000000000000000001", 1},
      {"12a", std::nullopt},
      {"-", std::nullopt},
      {"+5", std::nullopt},
  };
  const FieldLayout layout = FieldLayout::fromDirective(" sc-bytes time-taken");
  for (const auto& c : cases) {
    const std::vector<std::string_view> fields{c.field, c.field};
    const LineValues values = readValues(&layout, &fields);
    EXPECT_EQ(values.bytes, c.value) << c.field;
    EXPECT_EQ(values.timeTaken, c.value) << c.field;
  }
}

TEST(detail_test, keeping_the_top_values_never_overstates) {
  struct Case {
    std::size_t kept;
    std::vector<std::pair<std::string, std::uint64_t>> left;
    bool approximate;
  };
  const Case cases[] = {
      {5, {{"/a", 3}, {"/b", 2}, {"/c", 2}, {"/d", 1}}, false},
      {4, {{"/a", 3}, {"/b", 2}, {"/c", 2}, {"/d", 1}}, false},
      {2, {{"/a", 3}, {"/b", 2}}, true},  // ties by value
      {0, {}, true},
  };
  for (const Case& c : cases) {
    ValueCounts pages;
    for (const char* page : {"/c", "/a", "/d", "/b", "/a", "/c", "/a", "/b"}) pages.add(page);
    pages.keepTop(c.kept);
    EXPECT_EQ(pages.top(10), c.left) << c.kept;
    EXPECT_EQ(pages.distinct(), c.left.size()) << c.kept;
    EXPECT_EQ(pages.approximate(), c.approximate) << c.kept;
    pages.add("/a");  // the table still counts after it has been cut
    if (c.kept) {
      EXPECT_EQ(pages.top(1).front(), (std::pair<std::string, std::uint64_t>{"/a", 4}));
    }
  }
}

// The most counted values, most first and ties by value, for any n: the same as sorting
// the whole list, on lists with many ties and a reserve made before or between adds.
TEST(detail_test, top_values_are_those_of_the_whole_list_sorted) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    ValueCounts list;
    std::map<std::string, std::uint64_t> truth;
    const auto values = 1 + random() % 300;
    if (round % 2) list.reserve(values / 2);
    for (std::size_t i = 0; i < 3 * values; ++i) {
      const std::string value = "/p" + std::to_string(random() % values);
      const std::uint64_t lines = 1 + random() % 3;
      list.add(value, lines);
      truth[value] += lines;
      if (i == values) list.reserve(values);
    }
    std::vector<std::pair<std::string, std::uint64_t>> sorted(truth.begin(), truth.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const std::size_t n :
         {std::size_t{0}, std::size_t{1}, std::size_t{10}, sorted.size(), sorted.size() + 3}) {
      const auto kept = static_cast<std::ptrdiff_t>(std::min(n, sorted.size()));
      EXPECT_EQ(list.top(n), decltype(sorted)(sorted.begin(), sorted.begin() + kept))
          << "round " << round << ", n " << n;
    }
  }
}

TEST(detail_test, segments_and_directories) {
  const PieceCase cases[] = {
      {"66.249.71.5", "66.249.71.*", ""}, {"::ffff:66.249.71.5", "66.249.71.*", ""},
      {"2001:4860::1", "", ""},           {"1.2.3", "", ""},
      {"/news/a/b.aspx", "", "/news/"},   {"/index.html", "", "/"},
      {"/news/", "", "/news/"},           {"news", "", ""},
  };
  for (const PieceCase& c : cases) {
    EXPECT_EQ(segmentOf(c.line), c.segment) << c.line;
    EXPECT_EQ(directoryOf(c.line), c.dir) << c.line;
  }
}

// Where a field is not logged, its sum is null, never zero; the csv's long form says what
// the json says.
// Status codes are kept exactly as written, however many a crawler meets, and a code
// that only starts like another is another.
TEST(detail_test, every_status_code_counts_apart) {
  DetailReader reader(kTokens);
  std::string log = "#Fields: sc-status cs(User-Agent)\n";
  std::map<std::string, std::uint64_t, std::less<>> expected;
  for (int round = 0; round < 3; ++round) {
    for (const char* code : {"200", "2000", "20", "404", "301", "302", "304", "500", "503", "403",
                             "401", "206", "429", "200"}) {
      log += std::string(code) + " Googlebot\n";
      ++expected[code];
    }
  }
  reader.feed(log);
  const std::vector<CrawlerDetail> details = reader.finish({0, 42, 0, 0});
  EXPECT_EQ(details[1].status, expected);
  EXPECT_EQ(details[1].unparsed, 0u);
}

TEST(detail_test, fields_not_logged_and_the_long_form) {
  DetailReader reader(kTokens);
  reader.feed("#Fields:time c-ip cs-uri-stem cs(User-Agent) sc-status\r\n");  // no space
  reader.feed("01:00:00 66.249.71.5 /a Googlebot 404\r\n02:00:00 66.249.71.6 /b Googlebot 200\n");
  const std::vector<CrawlerDetail> details = reader.finish({0, 2, 0, 0});
  EXPECT_FALSE(details[1].bytes);
  EXPECT_FALSE(details[1].timeTakenMs);
  const std::string json = detailJson(details, designedCrawlers(), 10);
  EXPECT_NE(json.find("\"Googlebot\":{\"lines\":2,\"unparsed\":0,\"status\":{\"200\":1,\"404\":1},"
                      "\"bytes\":null,\"time_taken_ms\":null,\"ips\":2"),
            std::string::npos)
      << json;
  const std::string csv = detailCsv("080713", "f.log", details, designedCrawlers(), 1);
  EXPECT_NE(csv.find("080713,f.log,Googlebot,status,404,1\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("080713,f.log,Googlebot,ip,66.249.71.5,1\n"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("66.249.71.6"), std::string::npos) << "the top 1 only";
  EXPECT_EQ(csv.find("Googlebot,bytes"), std::string::npos) << "null values are left out";
  EXPECT_NE(csv.find("080713,f.log,Googlebot,hour,01,1\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

struct FilterCase {
  const char* name;
  std::optional<Date> day;
  const char* site;                   // null for any
  std::vector<std::uint64_t> counts;  // Baiduspider, Googlebot
};

// "f0 f1 ... f{n-1}": a line of `n` fields.
std::string fieldsNamed(std::size_t n) {
  std::string line;
  for (std::size_t k = 0; k < n; ++k) line += (k ? " f" : "f") + std::to_string(k);
  return line;
}

// `n` fields of `length` bytes each: 64 bytes then hold about 64 / (length + 1) spaces.
std::string fieldsOfLength(std::size_t length, std::size_t n) {
  std::string line;
  for (std::size_t k = 0; k < n; ++k) line += (k ? " " : "") + std::string(length, 'a' + k % 26);
  return line;
}

// A line read where it lies splits as the line cut out would, whatever ends it and
// wherever its spaces and its end fall against the 16 or 64 bytes read at a time, and
// however many of its spaces those bytes hold (the fields of 5 to 8 bytes give 7 to 10
// a time); its first fields alone are found where it has them.
TEST(detail_test, a_line_split_in_place_splits_as_the_line_alone) {
  const std::string lines[] = {
      "",
      " ",
      "a",
      "a b c",
      "a  b",
      " a b ",
      std::string(15, 'x') + " " + std::string(16, 'y'),
      "2026-12-07 00:00:01 66.249.71.5 /news/a/b.aspx 200 5120 15 Googlebot/2.1",
      std::string(40, ' '),
      std::string(70, 'x') + " " + std::string(63, 'y') + " z",
      fieldsNamed(64),
      fieldsNamed(65),
      fieldsOfLength(5, 40),
      fieldsOfLength(6, 40),
      fieldsOfLength(7, 40),
      fieldsOfLength(8, 40)};
  const LineSplitter splitters[] = {LineSplitter(LineScanner::Kernel::Best),
                                    LineSplitter(LineScanner::Kernel::Avx2),
                                    LineSplitter(LineScanner::Kernel::Portable)};
  for (const std::string& line : lines) {
    std::vector<std::string_view> alone, inPlace;
    for (const std::string end : {"", "\r\n", "\n", "\r", "\nnext line"}) {
      for (std::size_t lead = 0; lead < 20; ++lead) {
        const std::string text = std::string(lead, '#') + line + end;
        // The first fields alone, where the line has that many.
        const std::size_t all =
            static_cast<std::size_t>(std::count(line.begin(), line.end(), ' ')) + 1;
        splitFields(line, all, alone);
        for (std::size_t keep = 0; keep < 4; ++keep) {
          ASSERT_EQ(splitFirstFields(text, lead, keep, inPlace), keep <= all) << keep;
          if (keep <= all) {
            ASSERT_EQ(inPlace, std::vector<std::string_view>(alone.begin(), alone.begin() + keep));
          }
        }
        for (std::size_t count = 0; count < 70; ++count) {
          const bool whole = splitFields(line, count, alone);
          ASSERT_EQ(splitLineAt(text, lead, count, inPlace), whole)
              << "[" << line << "] lead " << lead << " count " << count;
          if (whole) {
            ASSERT_EQ(inPlace, alone) << "[" << line << "] lead " << lead;
          }
          // Only some fields wanted: those are set as the whole split's; the rest are
          // untouched, or split too.
          for (const LineSplitter& splitter : splitters)
            for (const std::uint64_t wanted :
                 {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{0x5}, std::uint64_t{0x80},
                  std::uint64_t{1} << 19, std::uint64_t{1} << 63, ~std::uint64_t{0}}) {
              std::vector<std::string_view> some(count, "untouched");
              ASSERT_EQ(splitter.split(text, lead, count, some, wanted), whole)
                  << "[" << line << "] lead " << lead << " count " << count;
              if (!whole) continue;
              for (std::size_t k = 0; k < count; ++k) {
                if ((k < 64 && (wanted >> k) & 1) || some[k] != "untouched") {
                  ASSERT_EQ(some[k], alone[k]) << "[" << line << "] field " << k;
                }
              }
            }
        }
      }
    }
  }
}

// A line whose spaces lie past 64 KiB from its start splits as a short one does, on
// every kernel: one kernel notes its spaces' places in 16 bits, and hands such a line on.
TEST(detail_test, a_line_longer_than_64_KiB_splits_whole) {
  for (const std::string& line : {fieldsOfLength(4100, 17), fieldsOfLength(70000, 2)}) {
    for (const std::string& end : {std::string(), "\r\n" + std::string(64, 'n')}) {
      const std::string text = "#" + line + end;
      const auto all = static_cast<std::size_t>(std::count(line.begin(), line.end(), ' ')) + 1;
      std::vector<std::string_view> alone;
      splitFields(line, all, alone);
      for (const auto kernel :
           {LineScanner::Kernel::Best, LineScanner::Kernel::Avx2, LineScanner::Kernel::Portable}) {
        std::vector<std::string_view> some;
        EXPECT_FALSE(LineSplitter(kernel).split(text, 1, all - 1, some, ~std::uint64_t{0}));
        EXPECT_FALSE(LineSplitter(kernel).split(text, 1, all + 1, some, ~std::uint64_t{0}));
        ASSERT_TRUE(LineSplitter(kernel).split(text, 1, all, some, ~std::uint64_t{0}));
        EXPECT_EQ(some, alone);
      }
    }
  }
}

// A file of several days and sites: a row takes only the lines its filter names, by the
// fields of the directive in force; a line without them belongs to no row, a line with a
// field too many ("torn") goes by the fields it has.
TEST(filtered_reader_test, a_row_takes_its_own_lines) {
  const std::string log =
      "Googlebot before any directive\r\n"
      "#Fields: date time s-sitename cs(User-Agent)\r\n"
      "2026-12-06 23:59:59 W3SVC1 Googlebot\r\n"
      "2026-12-07 00:00:00 W3SVC1 Googlebot\r\n"
      "2026-12-07 00:00:01 w3svc2 Baiduspider\r"
      "2026-12-07 00:00:02 W3SVC2 Googlebot torn\n"
      "#Fields: s-sitename date cs(User-Agent)\n"
      "W3SVC2 2026-12-07 Baiduspider+Googlebot";
  const FilterCase cases[] = {
      {"none_counts_every_line", std::nullopt, nullptr, {2, 5}},
      {"day", Date{2026, 12, 7}, nullptr, {2, 3}},
      {"day_before", Date{2026, 12, 6}, nullptr, {0, 1}},
      {"site", std::nullopt, "W3SVC2", {2, 2}},
      {"day_and_site", Date{2026, 12, 7}, "W3SVC1", {0, 1}},
      {"other_site", std::nullopt, "W3SVC10", {0, 0}},
  };
  testing::FakeInput input;
  input.files["log"] = {log};
  for (const FilterCase& c : cases) {
    const auto file = input.open("log").file;
    LineFilter filter;
    filter.day = c.day;
    if (c.site) filter.site = c.site;
    const FilteredCount counted = countFiltered(*file, {"Baiduspider", "Googlebot"}, filter, true);
    EXPECT_EQ(counted.status, FilteredCount::Status::Counted) << c.name;
    EXPECT_EQ(counted.counts, c.counts) << c.name;
    ASSERT_EQ(counted.detail.size(), 2u);
    EXPECT_EQ(counted.detail[1].lines, c.counts[1]) << c.name << ": the detail has the same lines";
  }
  input.files["broken"] = {log, 10};
  EXPECT_EQ(countFiltered(*input.open("broken").file, {"Googlebot"}, {}, false).status,
            FilteredCount::Status::ReadFailed);
}

// One reading serves several rows: each row of local days (UTC+8 and UTC-5) takes the
// lines the reference gives it, whatever size the reads are and wherever lines, tokens
// and directives fall against them; a line longer than a read is cut, not lost; a time
// not written "hh:mm" puts its line in no row.
TEST(filtered_reader_test, rows_read_together_take_what_each_takes_alone) {
  std::mt19937 random(20261208);
  const std::vector<std::string> tokens{"Googlebot", "Baiduspider"};
  const std::vector<int> shifts{480, -300};
  // Googlebot's lines per shift and day of December, worked out as the lines are written.
  std::map<std::pair<int, int>, std::uint64_t> googlebot;
  std::string log;
  for (int n = 0; n < 400; ++n) {
    if (n % 97 == 0)
      log +=
          n % 2 ? "#Fields: date time cs(User-Agent)\r\n" : "#Fields: time date cs(User-Agent)\n";
    const bool dateFirst = (n / 97) % 2 == 1;
    const int day = 6 + static_cast<int>(random() % 2);
    const std::string date = "2026-12-0" + std::to_string(day);
    const int hour = static_cast<int>(random() % 24), minute = static_cast<int>(random() % 60);
    const bool timeRead = random() % 13 != 0;
    char time[16];
    std::snprintf(time, sizeof time, timeRead ? "%02d:%02d:00" : "%d:%d:00", hour, minute);
    const char* agents[] = {"Googlebot", "Baiduspider", "Googlebot+Baiduspider", "Mozilla"};
    const std::string agent = agents[random() % 4];
    log += (dateFirst ? date + " " + time : time + (" " + date)) + " " + agent +
           (random() % 9 == 0 ? " torn" : "") + (random() % 3 ? "\r\n" : "\n");
    const bool timeReadAnyway = hour >= 10 && minute >= 10;  // "10:10:00" all the same
    if (agent.starts_with("Googlebot") && (timeRead || timeReadAnyway))
      for (const int shift : shifts) {
        const int minutes = hour * 60 + minute + shift;
        ++googlebot[{shift, day + (minutes < 0 ? -1 : minutes / 1440)}];
      }
  }
  log += std::string(300, 'x') + " Googlebot\r\n";  // longer than the smallest reads
  testing::FakeInput input;
  input.files["log"] = {log};
  for (const int shift : shifts) {
    std::vector<LineFilter> filters;
    for (const int day : {5, 6, 7, 8})
      filters.push_back({Date{2026, 12, day}, std::nullopt, shift});
    std::vector<FilteredCount> alone;
    for (const LineFilter& filter : filters) {
      alone.push_back(countFiltered(*input.open("log").file, tokens, filter, true));
      EXPECT_EQ(alone.back().counts[0], (googlebot[{shift, filter.day->day}]))
          << "shift " << shift << ", day " << filter.day->day;
    }
    for (const std::size_t block : {std::size_t{64}, std::size_t{97}, std::size_t{4096}}) {
      const auto together = countFilteredRows(*input.open("log").file, tokens, filters, true,
                                              nullptr, nullptr, block);
      ASSERT_EQ(together.size(), filters.size());
      for (std::size_t f = 0; f < filters.size(); ++f) {
        const std::string where = "shift " + std::to_string(shift) + ", day " + std::to_string(f) +
                                  ", block " + std::to_string(block);
        EXPECT_EQ(together[f].counts, alone[f].counts) << where;
        expectSame(together[f].detail[0], alone[f].detail[0], where);
      }
    }
  }
  // Unfiltered, the long line counts, cut where the reads are short.
  for (const std::size_t block : {std::size_t{64}, std::size_t{4096}}) {
    const auto all = countFilteredRows(*input.open("log").file, tokens, {LineFilter{}}, false,
                                       nullptr, nullptr, block);
    EXPECT_EQ(all[0].counts[0],
              countFiltered(*input.open("log").file, tokens, {}, false).counts[0] -
                  (block == 64 ? 1u : 0u))
        << block;
  }
}

}  // namespace
}  // namespace tarnwick
