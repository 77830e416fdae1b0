#include "analysis/day_label.h"

namespace tarnwick {

namespace {

std::string removeAll(const std::string& text, std::string_view what) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t found; (found = text.find(what, pos)) != std::string::npos;
       pos = found + what.size())
    out.append(text, pos, found - pos);
  out.append(text, pos);
  return out;
}

// The last `count` characters of UTF-8 `text` (all of it where it is shorter).
std::string lastCharacters(const std::string& text, std::size_t count) {
  std::size_t start = text.size();
  while (start > 0 && count > 0) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) --count;
  }
  return text.substr(start);
}

}  // namespace

std::string dayLabel(std::string_view mpath) {
  return lastCharacters(removeAll(removeAll(std::string(mpath), "ex"), ".log"), 6);
}

std::string rowKey(std::int64_t i) {
  return "ayfy" + std::to_string(i);
}

}  // namespace tarnwick
