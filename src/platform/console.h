#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Prepares standard output for UTF-8 text: a closed pipe becomes a write error to report
// rather than a signal that ends the program, and a Windows console shows UTF-8.
void prepareConsole();

// Writes `text` to standard output; false where it could not be written.
bool writeOut(std::string_view text);
// Flushes standard output; false where anything written could not be delivered.
bool flushOut();
// Writes `text` to standard error.
void writeError(std::string_view text);

}  // namespace tarnwick
