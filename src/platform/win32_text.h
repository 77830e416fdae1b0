#pragma once

// UTF-8 inside the program, UTF-16 at every call into Windows.

#include <string>
#include <string_view>

namespace tarnwick {

// `text` (UTF-8) as UTF-16; invalid bytes become U+FFFD.
std::wstring widen(std::string_view text);

// `text` (UTF-16) as UTF-8; unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view text);

// The system's words for error `code` (a GetLastError value), in UTF-8.
std::string systemMessage(unsigned long code);

}  // namespace tarnwick
