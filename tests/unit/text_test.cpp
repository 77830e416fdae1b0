#include "text/text.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(text_test, invalid_utf8_becomes_replacement_characters) {
  const std::string R = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"ascii", "ascii"},
      {"企业门户", "企业门户"},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // beyond the BMP
      {"\xC0\xAF", R + R},                       // overlong
      {"\xE0\x80\xAF", R + R + R},               // overlong
      {"\xED\xA0\x80", R + R + R},               // a surrogate
      {"\xF4\x90\x80\x80", R + R + R + R},       // past U+10FFFF
      {"a\xE4\xB8", "a" + R + R},                // cut short
      {"\xB0\xD9 GBK", R + R + " GBK"},          // a legacy encoding
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(validUtf8(in), out) << in;
}

TEST(text_test, positive_numbers_within_a_limit) {
  EXPECT_EQ(parsePositive("7", 9), 7);
  EXPECT_EQ(parsePositive("36525", 36525), 36525);
  for (const char* bad : {"", "0", "-1", "10", "7x", " 7", "+7", "99999999999999999999"})
    EXPECT_FALSE(parsePositive(bad, 9)) << bad;
}

TEST(text_test, names_compare_as_windows_compares_them) {
  EXPECT_TRUE(equalsIgnoringCase("W3SVC1", "w3svc1"));
  EXPECT_FALSE(equalsIgnoringCase("W3SVC1", "W3SVC12"));
  EXPECT_FALSE(equalsIgnoringCase("é", "É")) << "only ASCII letters fold";
  EXPECT_TRUE(lessIgnoringCase("a.log", "B.log"));
  EXPECT_TRUE(lessIgnoringCase("A.log", "a.log")) << "ties broken byte-wise";
  EXPECT_FALSE(lessIgnoringCase("a.log", "A.log"));
}

}  // namespace
}  // namespace tarnwick
