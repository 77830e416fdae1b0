#include "analysis/line_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

using Kernel = LineScanner::Kernel;

// A line counted for a token: where the line starts, and the token.
using Counted = std::pair<std::int64_t, std::size_t>;

// Splits into lines at CR, LF or CRLF: the lines holding each token, by where they
// start, in the order of the text.
std::vector<Counted> referenceLines(const std::string& text,
                                    const std::vector<std::string>& tokens) {
  std::vector<Counted> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    for (std::size_t t = 0; t < tokens.size(); ++t)
      if (!tokens[t].empty() && line.find(tokens[t]) != std::string::npos)
        lines.emplace_back(static_cast<std::int64_t>(start), t);
    start = end + 1;
  }
  return lines;
}

// Splits into lines at CR, LF or CRLF and counts the lines holding each token.
std::vector<std::uint64_t> referenceCounts(const std::string& text,
                                           const std::vector<std::string>& tokens) {
  std::vector<std::uint64_t> counts(tokens.size(), 0);
  for (const auto& [start, token] : referenceLines(text, tokens)) ++counts[token];
  return counts;
}

struct LinesHeard : LineScanner::LineSink {
  std::vector<Counted> lines;
  bool inOrder = true;
  void counted(std::size_t token, std::int64_t lineStart) override {
    inOrder = inOrder && (lines.empty() || lines.back().first <= lineStart);
    lines.emplace_back(lineStart, token);
  }
};

// Feeds `text` in windows of `block` new bytes, each repeating the scanner's overlap.
std::vector<std::uint64_t> scanInBlocks(const std::string& text,
                                        const std::vector<std::string>& tokens, std::size_t block,
                                        Kernel kernel, LinesHeard* heard = nullptr) {
  LineScanner scanner(tokens, kernel);
  std::size_t kept = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += block) {
    const std::size_t start = pos - kept;
    const std::size_t size = kept + std::min(block, text.size() - pos);
    scanner.scan(std::string_view(text).substr(start, size), kept, heard);
    kept = std::min(scanner.overlap(), size);
  }
  return scanner.counts();
}

// Scans as scanInBlocks does, and checks that the lines the sink heard of are the counted
// ones, in order.
std::vector<std::uint64_t> scanAndCheckLines(const std::string& text,
                                             const std::vector<std::string>& tokens,
                                             std::size_t block, Kernel kernel) {
  LinesHeard heard;
  const auto counts = scanInBlocks(text, tokens, block, kernel, &heard);
  EXPECT_TRUE(heard.inOrder);
  auto expected = referenceLines(text, tokens);
  std::sort(heard.lines.begin(), heard.lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(heard.lines, expected);
  return counts;
}

const std::vector<std::string> kTokens{"Baiduspider", "Googlebot", "Yahoo!", "Sosospider"};

struct LineCase {
  const char* name;
  std::string text;
  std::vector<std::uint64_t> expected;  // Baiduspider, Googlebot, Yahoo!, Sosospider
  friend std::ostream& operator<<(std::ostream& out, const LineCase& c) { return out << c.name; }
};

class LineRules : public ::testing::TestWithParam<std::tuple<LineCase, Kernel, std::size_t>> {};

TEST_P(LineRules, counts_lines_holding_each_token) {
  const auto& [c, kernel, block] = GetParam();
  EXPECT_EQ(scanInBlocks(c.text, kTokens, block, kernel), c.expected) << c.name;
}

const LineCase kLineCases[] = {
    {"empty", "", {0, 0, 0, 0}},
    {"lower case does not count", "baiduspider googlebot yahoo! sosospider\r\n", {0, 0, 0, 0}},
    {"twice in a line counts once", "Baiduspider Baiduspider\r\nBaiduspider\r\n", {2, 0, 0, 0}},
    {"Yahoo without ! does not count", "Yahoo Slurp\r\nYahoo! Slurp\r\n", {0, 0, 1, 0}},
    {"last line without terminator", "x\r\nGooglebot", {0, 1, 0, 0}},
    {"CR only", "Googlebot\rGooglebot\rx", {0, 2, 0, 0}},
    {"LF only", "Googlebot\nGooglebot\nGooglebot\n", {0, 3, 0, 0}},
    {"mixed ends", "Googlebot\r\nGooglebot\nGooglebot\rGooglebot", {0, 4, 0, 0}},
    {"all four in one line", "Baiduspider Googlebot Yahoo! Sosospider", {1, 1, 1, 1}},
    {"token split by a line end", "Google\r\nbot\r\nYah\noo!", {0, 0, 0, 0}},
    {"blank lines between", "\r\n\r\n\nSosospider\r\n\r\n", {0, 0, 0, 1}},
    {"overlapping prefix", "GoogGooglebotbot\r\n", {0, 1, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LineRules,
                         ::testing::Combine(::testing::ValuesIn(kLineCases),
                                            ::testing::Values(Kernel::Best, Kernel::Avx512,
                                                              Kernel::Avx2, Kernel::Portable),
                                            ::testing::Values(std::size_t{1}, std::size_t{3},
                                                              std::size_t{7}, std::size_t{4096})));

TEST(line_scanner_test, token_with_line_break_or_empty_never_counts) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "a\r\nbcdef\r\n\r\nab\nxyz Googlebot\n";
  for (const Kernel kernel : {Kernel::Best, Kernel::Avx512, Kernel::Avx2, Kernel::Portable})
    EXPECT_EQ(scanInBlocks(text, {"", "a\r\nb", "\n", "Googlebot"}, 4096, kernel),
              (std::vector<std::uint64_t>{0, 0, 0, 100}));
}

// Random logs built from pieces that stress the edges: tokens, near misses, every kind of
// line end, and long lines; fed in windows of every awkward size through both kernels.
TEST(line_scanner_test, matches_reference_on_random_text) {
  const std::vector<std::string> pieces{"Baiduspider",
                                        "Googlebot",
                                        "Yahoo!",
                                        "Sosospider",
                                        "Baiduspide",
                                        "oglebot",
                                        "Yahoo",
                                        "baiduspider",
                                        "\r\n",
                                        "\r",
                                        "\n",
                                        "\r\n",
                                        " ",
                                        "GET /index.html 200 ",
                                        "G",
                                        "Y",
                                        "!",
                                        "r",
                                        std::string(70, 'x'),
                                        "Mozilla/5.0+(compatible;+Googlebot/2.1)"};
  std::mt19937 random(20080713);
  for (int round = 0; round < 150; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    const auto expected = referenceCounts(text, kTokens);
    for (const std::size_t block : {std::size_t{1}, std::size_t{5}, std::size_t{31},
                                    std::size_t{64}, std::size_t{100}, std::size_t{1} << 20}) {
      for (const Kernel kernel : {Kernel::Best, Kernel::Avx512, Kernel::Avx2, Kernel::Portable}) {
        ASSERT_EQ(scanAndCheckLines(text, kTokens, block, kernel), expected)
            << "round " << round << ", block " << block;
      }
    }
  }
}

// The crawlers of docs/crawlers.txt with the designed four, several sharing a first byte:
// the first five, six and seven (the kernels' pairs one by one, then by groups), eight and
// nine (the byte lookups' pairs a bit each, then by groups), all eighteen, and the four
// with the field directive a detail's scan adds. Bytes past 127 that look up as a token's
// byte would, and a token of such bytes, are among them.
TEST(line_scanner_test, few_and_many_tokens_match_reference_on_random_text) {
  const std::vector<std::string> crawlers{
      "Baiduspider", "Googlebot",   "Yahoo!",    "Sosospider",    "Bytespider", "Sogou+web+spider",
      "360Spider",   "YisouSpider", "PetalBot",  "bingbot",       "YandexBot",  "Applebot",
      "DuckDuckBot", "GPTBot",      "ClaudeBot", "PerplexityBot", "AhrefsBot",  "SemrushBot"};
  std::vector<std::string> pieces = crawlers;
  pieces.insert(pieces.end(), {"\r\n",
                               "\n",
                               "\r",
                               " ",
                               "Bytes",
                               "YandexB",
                               "GPTBo",
                               "Sogou web",
                               "bingbo",
                               "+",
                               "B",
                               "S",
                               "Y",
                               "P",
                               std::string(50, 'z'),
                               "#Fields:",
                               "#Field",
                               "\xe2ingbot",
                               "\xc2ytespider",
                               "\xe6\x90\x9c\xe7\x8b\x97",
                               "\x66\x90\x9c\x67\x8b\x97"});
  std::vector<std::vector<std::string>> sets;
  for (const std::size_t count : {5, 6, 7, 8, 9, 18})
    sets.emplace_back(crawlers.begin(), crawlers.begin() + static_cast<std::ptrdiff_t>(count));
  sets.push_back({"Baiduspider", "Googlebot", "Yahoo!", "Sosospider", "#Fields:"});
  sets.push_back({"Baiduspider", "\xe6\x90\x9c\xe7\x8b\x97", "bingbot"});
  std::mt19937 random(20261207);
  for (int round = 0; round < 60; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 500);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    for (const std::vector<std::string>& tokens : sets) {
      const auto expected = referenceCounts(text, tokens);
      for (const std::size_t block : {std::size_t{3}, std::size_t{64}, std::size_t{1} << 20})
        for (const Kernel kernel : {Kernel::Best, Kernel::Avx512, Kernel::Avx2, Kernel::Portable})
          ASSERT_EQ(scanAndCheckLines(text, tokens, block, kernel), expected)
              << tokens.size() << " tokens, round " << round << ", block " << block;
    }
  }
}

TEST(line_scanner_test, more_tokens_than_the_kernels_take_still_count) {
  std::vector<std::string> tokens;
  for (int i = 0; i < 300; ++i) tokens.push_back("bot" + std::to_string(i) + "!");
  const std::string text = "bot7! bot7!\nbot299!\r\nbot29\n";
  const auto counts = scanAndCheckLines(text, tokens, 4096, Kernel::Best);
  EXPECT_EQ(counts, referenceCounts(text, tokens));
  EXPECT_EQ(counts[7], 1u);
}

// Single tokens, many, and few that start with the same byte (each is compared where that
// byte is), one of them longer than a register.
TEST(line_scanner_test, single_token_and_many_tokens_agree_with_reference) {
  const std::string text = "ab\r\nabc\nxbcx\rbc bc\r\nc\nGoogle Googlebot\nGoogleOther\r\n" +
                           std::string(100, '.') +
                           "Googlebot-Image Google\nGooglebot-Image/1.x\nGooglebot-Image/1.0\n";
  for (const auto& tokens : std::vector<std::vector<std::string>>{
           {"bc"},
           {"a", "b", "c", "x", "ab", "bc"},
           {"c"},
           {"ab", "abc", "a"},
           {"Googlebot", "Google", "Googlebot-Image", "GoogleOther"},
           {"Googlebot-Image/1.0", "Googlebot", "GoogleOther"}}) {
    for (const Kernel kernel : {Kernel::Best, Kernel::Avx512, Kernel::Avx2, Kernel::Portable})
      for (const std::size_t block : {std::size_t{2}, std::size_t{4096}})
        EXPECT_EQ(scanInBlocks(text, tokens, block, kernel), referenceCounts(text, tokens))
            << tokens.front() << ", block " << block;
  }
}

}  // namespace
}  // namespace tarnwick
