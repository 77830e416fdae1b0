#include "analysis/line_counter.h"

#include "analysis/read_ahead.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"

namespace tarnwick {
namespace {

using testing::TempDir;

// Serves files from memory; a file can be made to fail after some bytes.
class FakeInput : public TextInput {
 public:
  struct File {
    std::string content;
    std::ptrdiff_t failAfter = -1;  // read fails once this many bytes were served
  };
  std::map<std::string, File> files;
  mutable int opened = 0;

  std::unique_ptr<InputFile> open(const std::filesystem::path& path) const override {
    const auto found = files.find(path.string());
    if (found == files.end()) return nullptr;
    ++opened;
    return std::make_unique<Reader>(found->second);
  }
  bool isFile(const std::filesystem::path& path) const override {
    return files.count(path.string()) > 0;
  }

 private:
  struct Reader : InputFile {
    explicit Reader(const File& f) : file(f) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
      if (file.failAfter >= 0 && static_cast<std::ptrdiff_t>(pos) >= file.failAfter) return -1;
      const std::size_t n = std::min(size, file.content.size() - pos);
      std::memcpy(buffer, file.content.data() + pos, n);
      pos += n;
      return static_cast<std::ptrdiff_t>(n);
    }
    const File& file;
    std::size_t pos = 0;
  };
};

std::string repeatLine(const std::string& line, int times) {
  std::string text;
  text.reserve(line.size() * times);
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

TEST(line_counter_test, unreadable_files_count_zero) {
  TempDir dir;
  const SystemTextInput input;
  const PathResolver paths;
  const LineCounter counter(input, paths);
  const std::string folder = dir.path().string();
  const std::string missing = (dir.path() / "ex080713.log").string();
  EXPECT_EQ(counter.searchtxt(missing, "Googlebot"), 0u);
  EXPECT_EQ(counter.searchtxt(folder, "Googlebot"), 0u);
  EXPECT_EQ(counter.countCrawlers(folder), CrawlerCounts{});
  EXPECT_EQ(counter.searchtxt("Z:\\logs\\ex080713.log", "Googlebot"), 0u) << "unmapped drive";
}

TEST(line_counter_test, read_failing_part_way_counts_zero_and_next_file_counts) {
  FakeInput input;
  const std::string content = repeatLine("1 Googlebot\r\n", 1000);
  input.files["broken.log"] = {content, 5000};
  input.files["good.log"] = {content, -1};
  const PathResolver paths;
  const LineCounter counter(input, paths, 512);
  EXPECT_EQ(counter.searchtxt("broken.log", "Googlebot"), 0u);
  EXPECT_EQ(counter.countCrawlers("broken.log"), CrawlerCounts{});
  EXPECT_EQ(counter.searchtxt("good.log", "Googlebot"), 1000u);
}

TEST(line_counter_test, one_pass_gives_what_four_single_searches_give) {
  FakeInput input;
  input.files["day.log"] = {testing::testData("ex080713.log"), -1};
  const PathResolver paths;
  for (const std::size_t block : {std::size_t{1}, std::size_t{13}, std::size_t{4096}}) {
    const LineCounter counter(input, paths, block);
    const CrawlerCounts all = counter.countCrawlers("day.log");
    for (std::size_t c = 0; c < kCrawlers.size(); ++c)
      EXPECT_EQ(all[c], counter.searchtxt("day.log", kCrawlers[c].token)) << kCrawlers[c].token;
    EXPECT_EQ(all, (CrawlerCounts{3, 4, 2, 1})) << "block " << block;
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
  input.files["busy.log"] = {repeatLine(std::string("Googlebot/2.1") + ending, lines), -1};
  const PathResolver paths;
  const LineCounter counter(input, paths, 4093);
  EXPECT_EQ(counter.searchtxt("busy.log", "Googlebot"), static_cast<std::uint64_t>(lines));
}

INSTANTIATE_TEST_SUITE_P(Counts, ManyMatchingLines,
                         ::testing::Values(BigCase{32767, "\r\n"}, BigCase{32768, "\r\n"},
                                           BigCase{65536, "\r\n"}, BigCase{70000, "\n"},
                                           BigCase{70000, "\r"}));

TEST(line_counter_test, long_line_is_read_in_bounded_blocks) {
  FakeInput input;
  std::string text(3 << 20, 'x');
  text.replace(2 << 20, 9, "Googlebot");
  text += "\r\nGooglebot\r\n";
  input.files["long.log"] = {text, -1};
  const PathResolver paths;
  const LineCounter counter(input, paths, 4096);
  EXPECT_EQ(counter.searchtxt("long.log", "Googlebot"), 2u);
}

TEST(read_ahead_test, blocks_arrive_in_order_and_stopping_early_does_not_hang) {
  FakeInput input;
  std::string content;
  for (int i = 0; i < 5000; ++i) content += static_cast<char>('a' + i % 26);
  input.files["f"] = {content, -1};
  {
    const auto file = input.open("f");
    ReadAhead ahead(*file, 97, 5);
    std::string got;
    for (ReadAhead::Block block = ahead.next(); block.size > 0; block = ahead.next())
      got.append(block.data, static_cast<std::size_t>(block.size));
    EXPECT_EQ(got, content);
  }
  for (int taken = 0; taken < 4; ++taken) {
    const auto file = input.open("f");
    ReadAhead ahead(*file, 10, 0);
    for (int i = 0; i < taken; ++i) EXPECT_EQ(ahead.next().size, 10);
  }  // each destroyed with the reader still busy or waiting
}

TEST(line_counter_test, real_file_through_the_system) {
  TempDir dir;
  const auto file = dir.write("ex080713.log", testing::testData("ex080713.log"));
  const SystemTextInput input;
  const PathResolver paths;
  const LineCounter counter(input, paths);
  EXPECT_EQ(counter.countCrawlers(file.string()), (CrawlerCounts{3, 4, 2, 1}));
  EXPECT_TRUE(counter.exists(file.string()));
  EXPECT_FALSE(counter.exists(dir.path().string()));
}

}  // namespace
}  // namespace tarnwick
