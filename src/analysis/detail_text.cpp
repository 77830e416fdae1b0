#include "analysis/detail_text.h"

#include <cstdio>

#include "analysis/row_text.h"

namespace tarnwick {

namespace {

using Top = std::vector<std::pair<std::string, std::uint64_t>>;

std::string jsonTop(const Top& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i)
    out += (i ? ",[" : "[") + jsonString(values[i].first) + "," + std::to_string(values[i].second) +
           "]";
  return out + "]";
}

std::string jsonNumber(const std::optional<std::uint64_t>& value) {
  return value ? std::to_string(*value) : "null";
}

std::string twoDigits(std::size_t hour) {
  char text[4];
  std::snprintf(text, sizeof text, "%02zu", hour);
  return text;
}

}  // namespace

std::string verdictMembers(const Verdicts& verdicts) {
  return "\"verified\":" + std::to_string(verdicts.verified) +
         ",\"fake\":" + std::to_string(verdicts.fake) +
         ",\"unverified\":" + std::to_string(verdicts.unverified);
}

std::vector<Verdicts> verdictsOf(const std::vector<Verdicts>& verdicts, std::size_t crawlers) {
  std::vector<Verdicts> all = verdicts;
  all.resize(crawlers);
  return all;
}

std::string verifyTable(const std::vector<Verdicts>& verdicts, const CrawlerList& crawlers,
                        const VerifyWords& words) {
  std::string out;
  for (std::size_t c = 0; c < verdicts.size() && c < crawlers.size(); ++c) {
    const Verdicts& v = verdicts[c];
    if (v.verified + v.fake + v.unverified == 0) continue;
    out += (out.empty() ? "    " + std::string(words.heading) : std::string(";")) + " " +
           terminalText(crawlers[c].header) + " " + std::string(words.verified) + " " +
           std::to_string(v.verified) + " " + std::string(words.fake) + " " +
           std::to_string(v.fake) + " " + std::string(words.unverified) + " " +
           std::to_string(v.unverified);
  }
  return out.empty() ? out : out + '\n';
}

std::string readableBytes(std::uint64_t bytes) {
  const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) value /= 1024, ++unit;
  char text[32];
  std::snprintf(text, sizeof text, unit ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return text;
}

std::string detailJson(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                       std::size_t top, const std::vector<Verdicts>* verdicts) {
  std::string out = "{";
  for (std::size_t c = 0; c < details.size() && c < crawlers.size(); ++c) {
    const CrawlerDetail& d = details[c];
    out += (c ? "," : "") + jsonString(crawlers[c].token) +
           ":{\"lines\":" + std::to_string(d.lines) +
           ",\"unparsed\":" + std::to_string(d.unparsed) + ",\"status\":{";
    bool first = true;
    for (const auto& [code, lines] : d.status) {
      out += (first ? "" : ",") + jsonString(code) + ":" + std::to_string(lines);
      first = false;
    }
    out +=
        "},\"bytes\":" + jsonNumber(d.bytes) + ",\"time_taken_ms\":" + jsonNumber(d.timeTakenMs) +
        ",\"ips\":" + std::to_string(d.ips.distinct()) + ",\"top_ips\":" + jsonTop(d.ips.top(top)) +
        ",\"top_segments\":" + jsonTop(d.topSegments(top)) +
        ",\"top_pages\":" + jsonTop(d.pages.top(top)) +
        ",\"top_dirs\":" + jsonTop(d.dirs.top(top)) + ",\"hours\":[";
    for (std::size_t h = 0; h < d.hours.size(); ++h)
      out += (h ? "," : "") + std::to_string(d.hours[h]);
    out += "]";
    if (d.approximate()) out += ",\"approximate\":true";
    if (verdicts && c < verdicts->size()) out += "," + verdictMembers((*verdicts)[c]);
    out += "}";
  }
  return out + "}";
}

std::string detailCsv(std::string_view day, std::string_view file,
                      const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                      std::size_t top, const std::vector<Verdicts>* verdicts) {
  std::string out;
  const std::string prefix = csvField(day) + ',' + csvField(file) + ',';
  for (std::size_t c = 0; c < details.size() && c < crawlers.size(); ++c) {
    const CrawlerDetail& d = details[c];
    const std::string start = prefix + csvField(crawlers[c].token) + ',';
    const auto line = [&](std::string_view measure, std::string_view key, std::uint64_t value) {
      out +=
          start + std::string(measure) + ',' + csvField(key) + ',' + std::to_string(value) + '\n';
    };
    line("lines", "", d.lines);
    line("unparsed", "", d.unparsed);
    if (verdicts && c < verdicts->size()) {
      line("verified", "", (*verdicts)[c].verified);
      line("fake", "", (*verdicts)[c].fake);
      line("unverified", "", (*verdicts)[c].unverified);
    }
    for (const auto& [code, lines] : d.status) line("status", code, lines);
    if (d.bytes) line("bytes", "", *d.bytes);
    if (d.timeTakenMs) line("time_taken_ms", "", *d.timeTakenMs);
    line("ips", "", d.ips.distinct());
    for (const auto& [value, lines] : d.ips.top(top)) line("ip", value, lines);
    for (const auto& [value, lines] : d.topSegments(top)) line("segment", value, lines);
    for (const auto& [value, lines] : d.pages.top(top)) line("page", value, lines);
    for (const auto& [value, lines] : d.dirs.top(top)) line("dir", value, lines);
    for (std::size_t h = 0; h < d.hours.size(); ++h) line("hour", twoDigits(h), d.hours[h]);
  }
  return out;
}

std::string detailTable(const std::vector<CrawlerDetail>& details, const CrawlerList& crawlers,
                        std::size_t top, const DetailWords& words) {
  const std::string_view space = " ";
  std::string out;
  for (std::size_t c = 0; c < details.size() && c < crawlers.size(); ++c) {
    const CrawlerDetail& d = details[c];
    if (d.lines == 0) continue;
    out += "    " + terminalText(crawlers[c].header) + ": " + std::to_string(d.lines) +
           std::string(words.lines);
    if (d.unparsed) out += ", " + std::to_string(d.unparsed) + std::string(words.unparsed);
    out += "\n      " + std::string(words.status);
    if (d.status.empty()) out += std::string(space) + std::string(words.notLogged);
    for (const auto& [code, lines] : d.status)
      out += " " + terminalText(code) + "(" + std::to_string(lines) + ")";
    out += "\n      " + std::string(words.bytes) + " " +
           (d.bytes ? readableBytes(*d.bytes) : std::string(words.bytesNotLogged));
    if (const auto average = d.averageTimeMs())
      out += ", " + std::string(words.averageTime) + " " + std::to_string(*average) + " ms";
    out += ", " + std::string(words.ips) + " " + std::to_string(d.ips.distinct()) +
           (d.approximate() ? std::string(words.approximate) : "") + "\n      " +
           std::string(words.pages);
    for (const auto& [value, lines] : d.pages.top(top))
      out += " " + terminalText(value) + "(" + std::to_string(lines) + ")";
    out += '\n';
  }
  return out;
}

}  // namespace tarnwick
