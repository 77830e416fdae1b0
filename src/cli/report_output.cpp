#include "cli/report_output.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick {

namespace {

using Format = ReportOptions::Format;

// Columns a text takes in a terminal: East Asian wide characters take two.
std::size_t displayWidth(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    width += length >= 3 ? 2 : 1;  // three- and four-byte characters are nearly all CJK
    i += length;
  }
  return width;
}

// Prints `cells` as aligned columns; columns in `rightAligned` are aligned to the right.
void printTable(std::ostream& out, const std::vector<std::vector<std::string>>& cells,
                const std::vector<bool>& rightAligned) {
  std::vector<std::size_t> widths(rightAligned.size(), 0);
  for (const auto& line : cells)
    for (std::size_t c = 0; c < line.size(); ++c)
      widths[c] = std::max(widths[c], displayWidth(line[c]));
  for (const auto& line : cells) {
    std::string text;
    for (std::size_t c = 0; c < line.size(); ++c) {
      const std::string padding(widths[c] - displayWidth(line[c]), ' ');
      if (c > 0) text += "  ";
      text +=
          rightAligned[c] ? padding + line[c] : (c + 1 < line.size() ? line[c] + padding : line[c]);
    }
    out << text << '\n';
  }
}

}  // namespace

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + '"';
}

void printRows(std::ostream& out, const std::vector<ReportRow>& rows, Format format) {
  if (format == Format::Table) {
    std::vector<std::vector<std::string>> cells{{std::string(kDateColumnHeader)}};
    for (const Crawler& crawler : kCrawlers) cells[0].emplace_back(crawler.header);
    for (const ReportRow& row : rows) {
      cells.push_back({row.day});
      for (const auto count : row.counts) cells.back().push_back(std::to_string(count));
    }
    printTable(out, cells, {false, true, true, true, true});
  } else if (format == Format::Csv) {
    out << "day";
    for (const Crawler& crawler : kCrawlers) out << ',' << csvField(std::string(crawler.token));
    out << ",file\n";
    for (const ReportRow& row : rows) {
      out << csvField(row.day);
      for (const auto count : row.counts) out << ',' << count;
      out << ',' << csvField(row.file) << '\n';
    }
  } else {
    out << "{\"rows\":[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
      out << (r ? "," : "") << "{\"day\":" << jsonString(rows[r].day);
      for (std::size_t c = 0; c < kCrawlers.size(); ++c)
        out << ',' << jsonString(std::string(kCrawlers[c].token)) << ':' << rows[r].counts[c];
      out << ",\"file\":" << jsonString(rows[r].file) << '}';
    }
    out << "]}\n";
  }
}

void printSites(std::ostream& out, const std::vector<ReportSite>& sites, Format format) {
  if (format == Format::Table) {
    std::vector<std::vector<std::string>> cells{{"站点", "编号", "日志目录", "本地目录"}};
    for (const ReportSite& s : sites)
      cells.push_back({s.site.name, s.site.id, s.site.logFolder, s.localFolder});
    printTable(out, cells, {false, true, false, false});
  } else if (format == Format::Csv) {
    out << "site,id,log_folder,local_folder\n";
    for (const ReportSite& s : sites)
      out << csvField(s.site.name) << ',' << csvField(s.site.id) << ','
          << csvField(s.site.logFolder) << ',' << csvField(s.localFolder) << '\n';
  } else {
    out << "{\"sites\":[";
    for (std::size_t i = 0; i < sites.size(); ++i) {
      const ReportSite& s = sites[i];
      out << (i ? "," : "") << "{\"site\":" << jsonString(s.site.name)
          << ",\"id\":" << jsonString(s.site.id)
          << ",\"log_folder\":" << jsonString(s.site.logFolder)
          << ",\"local_folder\":" << jsonString(s.localFolder) << '}';
    }
    out << "]}\n";
  }
}

}  // namespace tarnwick
