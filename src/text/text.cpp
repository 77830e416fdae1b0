#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace tarnwick {

bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = asciiUpper(c);
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiUpper(x) == asciiUpper(y);
         });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && equalsIgnoringCase(text.substr(0, part.size()), part);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() &&
         equalsIgnoringCase(text.substr(text.size() - part.size()), part);
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
  const auto folded =
      std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(asciiUpper(x)) <
               static_cast<unsigned char>(asciiUpper(y));
      });
  if (folded) return true;
  if (equalsIgnoringCase(a, b)) return a < b;
  return false;
}

std::optional<long long> parsePositive(std::string_view text, long long largest) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
      value > largest)
    return std::nullopt;
  return value;
}

namespace {

// Length of the well-formed UTF-8 character at the start of `s`, or 0 where there is none.
std::size_t characterLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = characterLength(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return out;
}

namespace {

void appendUtf8(std::string& out, std::uint32_t code) {
  if (code >= 0xD800 && (code <= 0xDFFF || code > 0x10FFFF)) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

bool contains(std::string_view text, std::string_view needle) {
#ifdef __GLIBC__
  return ::memmem(text.data(), text.size(), needle.data(), needle.size()) != nullptr;
#else
  return text.find(needle) != std::string_view::npos;
#endif
}

std::string utf8FromWide(std::string_view bytes, WideText encoding) {
  const bool wide32 = encoding == WideText::Utf32Le || encoding == WideText::Utf32Be;
  const bool big = encoding == WideText::Utf16Be || encoding == WideText::Utf32Be;
  const std::size_t unit = wide32 ? 4 : 2;
  const auto at = [&](std::size_t i) {
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < unit; ++b) {
      const auto byte = static_cast<unsigned char>(bytes[i + (big ? b : unit - 1 - b)]);
      value = (value << 8) | byte;
    }
    return value;
  };
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  for (; i + unit <= bytes.size(); i += unit) {
    std::uint32_t code = at(i);
    if (!wide32 && code >= 0xD800 && code <= 0xDBFF && i + 2 * unit <= bytes.size()) {
      const std::uint32_t low = at(i + unit);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += unit;
      }
    }
    appendUtf8(out, code);
  }
  if (i < bytes.size()) out += "\xEF\xBF\xBD";
  return out;
}

}  // namespace tarnwick
