#include "analysis/w3c_fields.h"

#include <cstring>

namespace tarnwick {

namespace {

constexpr std::string_view kDirective = "#Fields:";

}  // namespace

bool isFieldsDirective(std::string_view line) {
  return line.starts_with(kDirective);
}

FieldLayout FieldLayout::fromDirective(std::string_view names) {
  FieldLayout layout;
  const struct {
    std::string_view name;
    int FieldLayout::*at;
  } known[] = {
      {"date", &FieldLayout::date},
      {"time", &FieldLayout::time},
      {"c-ip", &FieldLayout::clientIp},
      {"cs-uri-stem", &FieldLayout::uriStem},
      {"sc-status", &FieldLayout::status},
      {"sc-bytes", &FieldLayout::bytes},
      {"time-taken", &FieldLayout::timeTaken},
      {"s-sitename", &FieldLayout::siteName},
  };
  for (std::size_t at = 0; at < names.size();) {
    while (at < names.size() && names[at] == ' ') ++at;
    if (at >= names.size()) break;
    std::size_t end = names.find(' ', at);
    if (end == std::string_view::npos) end = names.size();
    const std::string_view name = names.substr(at, end - at);
    for (const auto& field : known)
      if (name == field.name && layout.*field.at < 0)
        layout.*field.at = static_cast<int>(layout.count);
    ++layout.count;
    at = end;
  }
  return layout;
}

bool splitFields(std::string_view line, std::size_t count, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(' ', start);
    fields.push_back(line.substr(start, space - start));
    if (fields.size() > count) return false;
    if (space == std::string_view::npos) break;
    start = space + 1;
  }
  return fields.size() == count;
}

// Two memchr calls rather than a byte-by-byte search for either break.
std::size_t lineEndAt(std::string_view bytes, std::size_t start) {
  const char* from = bytes.data() + start;
  const std::size_t left = bytes.size() - start;
  const auto* feed = static_cast<const char*>(std::memchr(from, '\n', left));
  const std::size_t before = feed ? static_cast<std::size_t>(feed - from) : left;
  const auto* ret = static_cast<const char*>(std::memchr(from, '\r', before));
  if (ret) return start + static_cast<std::size_t>(ret - from);
  return feed ? start + before : std::string_view::npos;
}

}  // namespace tarnwick
