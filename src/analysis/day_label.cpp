#include "analysis/day_label.h"

#include "calendar/date.h"
#include "text/text.h"

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

std::size_t digitsAt(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
  return n;
}

}  // namespace

std::optional<ServerLogName> serverLogName(std::string_view mpath) {
  const std::size_t slash = mpath.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? mpath : mpath.substr(slash + 1);
  std::string_view rest = name;
  if (startsWithIgnoringCase(rest, "u_")) rest.remove_prefix(2);
  ServerLogName parsed;
  if (startsWithIgnoringCase(rest, "extend")) {
    rest.remove_prefix(6);
    parsed.kind = ServerLogName::Kind::BySize;
  } else if (startsWithIgnoringCase(rest, "ex")) {
    rest.remove_prefix(2);
  } else {
    return std::nullopt;
  }
  const std::size_t digits = digitsAt(rest);
  if (digits == 0) return std::nullopt;
  parsed.digits = std::string(rest.substr(0, digits));
  rest.remove_prefix(digits);
  if (startsWithIgnoringCase(rest, "_x")) rest.remove_prefix(2);
  if (rest.size() != 4 || !startsWithIgnoringCase(rest, ".log")) return std::nullopt;
  if (parsed.kind != ServerLogName::Kind::BySize) {
    if (digits == 8)
      parsed.kind = ServerLogName::Kind::Hourly;
    else if (digits == 4)
      parsed.kind = ServerLogName::Kind::Monthly;
    else if (digits != 6)
      return std::nullopt;
  }
  parsed.stem = std::string(name.substr(0, name.size() - 4));
  return parsed;
}

std::string dayLabel(std::string_view mpath) {
  if (const auto server = serverLogName(mpath))
    return server->kind == ServerLogName::Kind::BySize ? server->stem : server->digits;
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
