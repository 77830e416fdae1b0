#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// An ASCII letter, a to z in either case.
bool isAsciiLetter(char c);

// `c` in upper case where it is an ASCII letter; any other byte unchanged.
inline char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// ASCII letters folded to upper case; other bytes (including UTF-8) unchanged.
std::string asciiUpper(std::string_view text);

// Equal but for the case of ASCII letters, as Windows compares names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` starts, or ends, with `part`, but for the case of ASCII letters.
bool startsWithIgnoringCase(std::string_view text, std::string_view part);
bool endsWithIgnoringCase(std::string_view text, std::string_view part);

// Orders as Windows lists names: ignoring the case of ASCII letters, ties broken byte-wise.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// The whole of `text` as a decimal number from 1 to `largest`; nothing for anything else.
std::optional<long long> parsePositive(std::string_view text, long long largest);

// `text` as valid UTF-8: every byte that does not belong to a well-formed character
// (overlong forms, surrogates and values past U+10FFFF included) becomes U+FFFD.
std::string validUtf8(std::string_view text);

// Whether `needle` occurs in `text`: the C library's vectorised search where it has one.
bool contains(std::string_view text, std::string_view needle);

// Text in UTF-16 or UTF-32, as bytes, in either byte order.
enum class WideText { Utf16Le, Utf16Be, Utf32Le, Utf32Be };

// `bytes` of `encoding` as UTF-8; an unpaired surrogate, a value past U+10FFFF and an
// odd byte at the end become U+FFFD.
std::string utf8FromWide(std::string_view bytes, WideText encoding);

}  // namespace tarnwick
