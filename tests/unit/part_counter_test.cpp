#include "analysis/part_counter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/count_lines.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::FakeInput;
using testing::repeatLine;
using testing::TempDir;
using Status = PartCounter::Result::Status;

const std::vector<std::string> kTokens{"Baiduspider", "Googlebot", "Yahoo!", "Sosospider"};

TEST(part_counter_test, unreadable_files_count_zero) {
  TempDir dir;
  const SystemTextInput input;
  EXPECT_EQ(testing::countLinesHolding(input, dir.path() / "ex080713.log", "Googlebot"), 0u);
  EXPECT_EQ(testing::countLinesHolding(input, dir.path(), "Googlebot"), 0u) << "a folder";
  EXPECT_FALSE(testing::countFileLines(input, dir.path(), kTokens));
}

TEST(part_counter_test, read_failing_part_way_counts_zero_and_next_file_counts) {
  FakeInput input;
  const std::string content = repeatLine("1 Googlebot\r\n", 1000);
  input.files["broken.log"] = {content, 5000};
  input.files["good.log"] = {content};
  EXPECT_EQ(testing::countLinesHolding(input, "broken.log", "Googlebot"), 0u);
  EXPECT_FALSE(testing::countFileLines(input, "broken.log", kTokens, 512));
  EXPECT_EQ(testing::countLinesHolding(input, "good.log", "Googlebot"), 1000u);
}

TEST(part_counter_test, one_pass_gives_what_single_searches_give) {
  FakeInput input;
  input.files["day.log"] = {testing::testData("ex080713.log")};
  for (const std::size_t block : {std::size_t{1}, std::size_t{13}, std::size_t{4096}}) {
    const auto all = testing::countFileLines(input, "day.log", kTokens, block);
    ASSERT_TRUE(all);
    for (std::size_t c = 0; c < kTokens.size(); ++c)
      EXPECT_EQ((*all)[c], testing::countLinesHolding(input, "day.log", kTokens[c])) << kTokens[c];
    EXPECT_EQ(*all, (std::vector<std::uint64_t>{3, 4, 2, 1})) << "block " << block;
  }
}

// A log the server writes while it is read: each read finds a little more, sometimes half
// a line. What the size says when it is asked again is read, each line once.
class GrowingLog : public InputFile {
 public:
  GrowingLog(std::string start, std::vector<std::string> writes)
      : content_(std::move(start)), opened_(content_.size()), writes_(std::move(writes)) {}
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    if (next_ < writes_.size()) content_ += writes_[next_++];  // the server writes on
    if (offset >= content_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(size, content_.size() - offset);
    std::memcpy(buffer, content_.data() + offset, n);
    return static_cast<std::ptrdiff_t>(n);
  }
  std::uint64_t size() const override { return opened_; }
  std::uint64_t currentSize() const override { return content_.size(); }

 private:
  std::string content_;
  std::uint64_t opened_;
  std::vector<std::string> writes_;
  std::size_t next_ = 0;
};

// Says it holds nothing and reads forever, as /proc/self/pagemap does.
class EndlessFile : public InputFile {
 public:
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t) override {
    std::memset(buffer, 'x', size);
    if (size > 10) std::memcpy(buffer, "Googlebot\n", 10);
    ++reads;
    return static_cast<std::ptrdiff_t>(size);
  }
  std::uint64_t size() const override { return reported; }
  std::uint64_t reported = 0;
  int reads = 0;
};

TEST(part_counter_test, a_log_that_grows_while_it_is_read_counts_each_line_once) {
  for (const std::size_t block : {std::size_t{7}, std::size_t{64}, std::size_t{4096}}) {
    GrowingLog log(repeatLine("Googlebot a\r\n", 10),
                   {repeatLine("Googlebot b\r\n", 100), "Google", "bot c\r\nBaidu", "spider d\r\n",
                    repeatLine("Googlebot e\r\n", 50)});
    PartCounter counter(kTokens, block);
    const PartCounter::Result result = counter.count(log, {});
    ASSERT_EQ(result.status, Status::Counted);
    EXPECT_EQ(result.counts, (std::vector<std::uint64_t>{1, 161, 0, 0})) << "block " << block;
  }
}

TEST(part_counter_test, a_file_is_not_read_past_the_size_it_reports) {
  for (const std::uint64_t reported : {std::uint64_t{0}, std::uint64_t{25}}) {
    EndlessFile endless;
    endless.reported = reported;
    PartCounter counter(kTokens, 20);
    const PartCounter::Result result = counter.count(endless, {});
    EXPECT_EQ(result.status, Status::Counted);
    EXPECT_LE(endless.reads, 3) << "reported " << reported;
    EXPECT_EQ(result.counts[1], reported ? 1u : 0u) << "only the reported bytes count";
  }
}

struct BigCase {
  int lines;
  const char* ending;
  friend std::ostream& operator<<(std::ostream& out, const BigCase& c) { return out << c.lines; }
};

class ManyMatchingLines : public ::testing::TestWithParam<BigCase> {};

// Far beyond what a 16-bit count holds: the count keeps going instead of collapsing to 0.
TEST_P(ManyMatchingLines, are_all_counted) {
  FakeInput input;
  const auto [lines, ending] = GetParam();
  input.files["busy.log"] = {repeatLine(std::string("Googlebot/2.1") + ending, lines)};
  EXPECT_EQ(testing::countFileLines(input, "busy.log", {"Googlebot"}, 4093)->front(),
            static_cast<std::uint64_t>(lines));
}

INSTANTIATE_TEST_SUITE_P(Counts, ManyMatchingLines,
                         ::testing::Values(BigCase{32767, "\r\n"}, BigCase{32768, "\r\n"},
                                           BigCase{65536, "\r\n"}, BigCase{70000, "\n"},
                                           BigCase{70000, "\r"}));

TEST(part_counter_test, long_line_is_read_in_bounded_blocks) {
  FakeInput input;
  std::string text(3 << 20, 'x');
  text.replace(2 << 20, 9, "Googlebot");
  text += "\r\nGooglebot\r\n";
  input.files["long.log"] = {text};
  EXPECT_EQ(testing::countFileLines(input, "long.log", {"Googlebot"}, 4096)->front(), 2u);
}

// Lines of `text` holding each token, counted the simple way.
std::vector<std::uint64_t> reference(const std::string& text) {
  std::vector<std::uint64_t> counts(kTokens.size(), 0);
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string line = text.substr(start, end - start);
    for (std::size_t t = 0; t < kTokens.size(); ++t)
      counts[t] += line.find(kTokens[t]) != std::string::npos;
    start = end + 1;
  }
  return counts;
}

// Up to 300 pieces of tokens, parts of them, line breaks and filler, in random order.
std::string randomText(std::mt19937& random) {
  const std::vector<std::string> pieces{
      "Baiduspider", "Googlebot", "Yahoo!", "Sosospider",        "\r\n", "\r", "\n",
      " x ",         "Googl",     "ebot",   std::string(40, 'y')};
  std::string text;
  const int length = static_cast<int>(random() % 300);
  for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
  return text;
}

struct PartCase {
  std::size_t parts;
  std::size_t block;
  friend std::ostream& operator<<(std::ostream& out, const PartCase& c) {
    return out << c.parts << " parts, block " << c.block;
  }
};

class CutAtLineBreaks : public ::testing::TestWithParam<PartCase> {};

// However a file is cut, every line is counted in exactly one part: the parts add up to
// the whole, also where a cut falls inside a token, a CRLF, or a line longer than a part.
TEST_P(CutAtLineBreaks, parts_add_up_to_the_whole) {
  std::mt19937 random(20090101);
  FakeInput input;
  for (int round = 0; round < 40; ++round) {
    const std::string text = randomText(random);
    input.files["f.log"] = {text};
    const auto file = input.open("f.log").file;
    PartCounter counter(kTokens, GetParam().block);
    const std::size_t parts = GetParam().parts;
    std::vector<std::uint64_t> sum(kTokens.size(), 0);
    // Only the first part begins at 0; the others may be empty.
    const auto cut = [&](std::size_t k) {
      return std::max<std::size_t>(1, text.size() * k / parts);
    };
    for (std::size_t k = 0; k < parts; ++k) {
      FilePart part{k == 0 ? 0 : cut(k), std::nullopt};
      if (k + 1 < parts) part.end = cut(k + 1);
      const PartCounter::Result result = counter.count(*file, part);
      ASSERT_EQ(result.status, Status::Counted);
      for (std::size_t t = 0; t < sum.size(); ++t) sum[t] += result.counts[t];
    }
    ASSERT_EQ(sum, reference(text)) << "round " << round << ": " << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Cuts, CutAtLineBreaks,
                         ::testing::Values(PartCase{1, 4096}, PartCase{2, 7}, PartCase{3, 1},
                                           PartCase{7, 16}, PartCase{50, 3}, PartCase{400, 64}));

// Cuts the part it is read for once, on its `cutAt`th read, as another thread does that
// takes the rest of a part over.
class CutWhileRead : public InputFile {
 public:
  CutWhileRead(InputFile& file, PartReach& reach, int cutAt, std::uint64_t least)
      : file_(file), reach_(reach), cutAt_(cutAt), least_(least) {}
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    if (reads_++ == cutAt_) rest = reach_.cutHalf(least_, file_.size(), [] {});
    return file_.readAt(buffer, size, offset);
  }
  std::uint64_t size() const override { return file_.size(); }
  std::optional<FilePart> rest;  // what the cut left for another reader

 private:
  InputFile& file_;
  PartReach& reach_;
  int cutAt_, reads_ = 0;
  std::uint64_t least_;
};

class CutWhileReading : public ::testing::TestWithParam<PartCase> {};

// A part cut short while it is read, and the rest read apart, add up to the whole: the
// cut never falls in what the reader has gone over. `parts` is the read of the cut.
TEST_P(CutWhileReading, the_part_and_its_rest_add_up_to_the_whole) {
  std::mt19937 random(20090102);
  FakeInput input;
  int cuts = 0;
  for (int round = 0; round < 40; ++round) {
    const std::string text = randomText(random);
    input.files["f.log"] = {text};
    const auto file = input.open("f.log").file;
    // The file's second half, cut again while it is read.
    const FilePart half{text.size() / 2, std::nullopt};
    PartReach reach(half);
    CutWhileRead cutting(*file, reach, static_cast<int>(GetParam().parts), 8);
    PartCounter counter(kTokens, GetParam().block);
    std::vector<std::uint64_t> sum = counter.count(*file, {0, half.begin}).counts;
    const PartCounter::Result read =
        counter.count(cutting, half, nullptr, nullptr, nullptr, &reach);
    ASSERT_EQ(read.status, Status::Counted);
    for (std::size_t t = 0; t < sum.size(); ++t) sum[t] += read.counts[t];
    if (cutting.rest) {
      ++cuts;
      EXPECT_EQ(reach.end(), cutting.rest->begin);
      EXPECT_GE(cutting.rest->begin,
                std::min(text.size(), half.begin + GetParam().parts * GetParam().block));
      const PartCounter::Result rest = counter.count(*file, *cutting.rest);
      for (std::size_t t = 0; t < sum.size(); ++t) sum[t] += rest.counts[t];
    }
    EXPECT_FALSE(reach.cutHalf(0, text.size(), [] {})) << "no cut once the reader is done";
    ASSERT_EQ(sum, reference(text)) << "round " << round << ": " << text;
  }
  EXPECT_GT(cuts, 10);
}

INSTANTIATE_TEST_SUITE_P(Cuts, CutWhileReading,
                         ::testing::Values(PartCase{0, 7}, PartCase{1, 1}, PartCase{2, 16},
                                           PartCase{5, 3}, PartCase{3, 32}));

TEST(part_counter_test, stops_between_reads_when_asked) {
  FakeInput input;
  input.files["big.log"] = {repeatLine("Googlebot\r\n", 10000)};
  const auto file = input.open("big.log").file;
  PartCounter counter(kTokens, 64);
  std::atomic<bool> stop{true};
  std::atomic<std::uint64_t> bytes{0};
  const PartCounter::Result result = counter.count(*file, {}, &stop, &bytes);
  EXPECT_EQ(result.status, Status::Stopped);
  EXPECT_EQ(result.counts, (std::vector<std::uint64_t>(4, 0)));
  EXPECT_EQ(bytes.load(), 0u);
  stop = false;
  EXPECT_EQ(counter.count(*file, {}, &stop, &bytes).counts[1], 10000u) << "the buffer is reused";
  EXPECT_EQ(bytes.load(), 110000u);
}

TEST(part_counter_test, real_file_through_the_system) {
  TempDir dir;
  const auto file = dir.write("ex080713.log", testing::testData("ex080713.log"));
  const SystemTextInput input;
  EXPECT_EQ(*testing::countFileLines(input, file, kTokens),
            (std::vector<std::uint64_t>{3, 4, 2, 1}));
  EXPECT_TRUE(input.isFile(file));
  EXPECT_FALSE(input.isFile(dir.path()));
}

}  // namespace
}  // namespace tarnwick
