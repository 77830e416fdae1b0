#include "analysis/w3c_fields.h"

#include <algorithm>
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cstring>

namespace tarnwick {

std::vector<std::string> withFieldsDirective(std::vector<std::string> tokens) {
  tokens.emplace_back(kFieldsDirective);
  return tokens;
}

bool isFieldsDirective(std::string_view line) {
  return line.starts_with(kFieldsDirective);
}

std::optional<FieldLayout> directiveAt(std::string_view text, std::size_t start) {
  if (!isFieldsDirective(text.substr(start))) return std::nullopt;
  const std::size_t names = start + kFieldsDirective.size();
  const std::size_t end = std::min(lineEndAt(text, start), text.size());
  return FieldLayout::fromDirective(text.substr(names, end - names));
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

namespace {

// Splits the line of `text` that starts at `start` at single spaces into `fields`,
// written in place, until it ends or `most` fields are found: how many were found.
// Sixteen bytes at a time, a bit for each space and each line break among them.
std::size_t splitUpTo(std::string_view text, std::size_t start, std::size_t most,
                      std::vector<std::string_view>& fields) {
  fields.resize(most);
  if (most == 0) return 0;
  std::string_view* const out = fields.data();
  std::size_t found = 0;
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t field = start;  // where the current field starts
  // Ends the field at `end`; whether that was the last one wanted.
  const auto close = [&](std::size_t end) {
    out[found++] = std::string_view(data + field, end - field);
    field = end + 1;
    return found == most;
  };
  const auto done = [&] {
    fields.resize(found);
    return found;
  };
  std::size_t at = start;
#ifdef __SSE2__
  const __m128i space = _mm_set1_epi8(' '), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; at + 16 <= size; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    auto spaces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, space)));
    const auto breaks = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
    if (breaks) spaces &= (breaks & (0u - breaks)) - 1;  // the spaces before the first break
    for (; spaces; spaces &= spaces - 1)
      if (close(at + static_cast<unsigned>(std::countr_zero(spaces)))) return done();
    if (breaks) {
      close(at + static_cast<unsigned>(std::countr_zero(breaks)));
      return done();
    }
  }
#endif
  for (; at < size && data[at] != '\r' && data[at] != '\n'; ++at)
    if (data[at] == ' ' && close(at)) return done();
  close(at);
  return done();
}

}  // namespace

bool splitLineAt(std::string_view text, std::size_t start, std::size_t count,
                 std::vector<std::string_view>& fields) {
  // One field too many is enough to tell the line has another count.
  return splitUpTo(text, start, count + 1, fields) == count;
}

bool splitFirstFields(std::string_view text, std::size_t start, std::size_t keep,
                      std::vector<std::string_view>& fields) {
  return splitUpTo(text, start, keep, fields) == keep;
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
