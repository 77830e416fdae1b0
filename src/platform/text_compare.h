#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// ASCII letters folded to upper case; other bytes (including UTF-8) unchanged.
std::string asciiUpper(std::string_view text);

// Equal but for the case of ASCII letters, as Windows compares names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Orders as Windows lists names: ignoring the case of ASCII letters, ties broken byte-wise.
bool lessIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tarnwick
