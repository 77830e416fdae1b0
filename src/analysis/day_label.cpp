#include "analysis/day_label.h"

#include "calendar/date.h"

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

std::string labelDate(std::string_view label) {
  if (label.size() != 6) return {};
  for (const char c : label)
    if (c < '0' || c > '9') return {};
  // IIS wrote W3C logs from 1996 on: a two-digit year of 90 or more is of the 1900s.
  const std::string century = label.substr(0, 2) >= "90" ? "19" : "20";
  const std::string iso = century + std::string(label.substr(0, 2)) + "-" +
                          std::string(label.substr(2, 2)) + "-" + std::string(label.substr(4, 2));
  return parseIsoDate(iso) ? iso : std::string();
}

}  // namespace tarnwick
