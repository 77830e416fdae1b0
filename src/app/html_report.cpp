#include "app/html_report.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "analysis/day_label.h"
#include "analysis/detail_text.h"
#include "app/chart_model.h"
#include "app/detail_page.h"
#include "app/texts.h"
#include "text/text.h"

namespace tarnwick {

namespace {

// The page's own look: one column that narrows to a phone, and A4 when printed.
constexpr std::string_view kStyle = R"(
body{font-family:"Microsoft YaHei","PingFang SC","Noto Sans CJK SC","WenQuanYi Micro Hei",sans-serif;margin:0 auto;max-width:60rem;padding:1rem;color:#222;line-height:1.5}
h1{font-size:1.4rem;margin:.2rem 0}h2{font-size:1.15rem;margin:1.6rem 0 .4rem;border-bottom:1px solid #ccc}h3{font-size:1rem;margin:1.2rem 0 .3rem}
.scope{color:#555;margin:0 0 1rem}
.wide{overflow-x:auto}
table{border-collapse:collapse;font-size:.9rem}th,td{border:1px solid #ddd;padding:.15rem .5rem;text-align:right;white-space:nowrap}
th{background:#f3f3f3}td.t,th.t{text-align:left}td.v{text-align:left;white-space:normal;word-break:break-all;min-width:14em}
tr.grey td{color:#999}tr.total td{font-weight:bold}
svg{display:block;max-width:100%;height:auto}svg text{font-size:11px;fill:#444}
.legend{list-style:none;padding:0;margin:.3rem 0;display:flex;flex-wrap:wrap;gap:.3rem 1rem;font-size:.9rem}
.legend svg{display:inline;vertical-align:middle}
dl{display:grid;grid-template-columns:max-content auto;gap:.1rem 1rem;margin:.3rem 0}dt{color:#555}dd{margin:0}
.lists{display:flex;flex-wrap:wrap;gap:1rem;align-items:flex-start}
@media print{@page{size:A4;margin:15mm}body{max-width:none;padding:0}.crawler{break-inside:avoid}}
)";

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Rows up to which each gets a point with its own tip; more would be too close to point at.
constexpr std::size_t kMostPoints = 120;

// A line chart of the rows, with a point and a tip per row and crawler where they fit.
std::string lineChart(const ChartModel& chart) {
  const ChartGeometry g = layOutChart(chart, 800, 300, 0, 44, 16);
  const std::size_t count = chart.labels.size();
  std::string svg = "<svg class=\"chart\" viewBox=\"0 0 800 300\" role=\"img\" aria-label=\"" +
                    std::string(kReportChart) + "\">";
  for (const std::uint64_t tick : chart.ticks) {
    const std::string at = number(g.yOf(tick));
    svg += "<line x1=\"" + number(g.left) + "\" x2=\"" + number(g.right) + "\" y1=\"" + at +
           "\" y2=\"" + at + "\" stroke=\"#e4e4e4\"/><text x=\"" + number(g.left - 6) + "\" y=\"" +
           number(g.yOf(tick) + 4) + "\" text-anchor=\"end\">" + std::to_string(tick) + "</text>";
  }
  // The first and last labels lean inwards, so that none is cut off at an edge.
  for (const std::size_t i : shownLabels(count, 10)) {
    const char* anchor = count > 1 && i == 0           ? "start"
                         : count > 1 && i + 1 == count ? "end"
                                                       : "middle";
    svg += "<text x=\"" + number(g.xs[i]) + "\" y=\"" + number(g.bottom + 18) +
           "\" text-anchor=\"" + anchor + "\">" + htmlText(chart.labels[i]) + "</text>";
  }
  for (const ChartSeries& series : chart.series) {
    svg += "<g class=\"series\" data-name=\"" + htmlText(series.name) +
           "\"><polyline fill=\"none\" stroke=\"" + series.colour +
           "\" stroke-width=\"2\" points=\"";
    bool first = true;
    for (const ChartPoint& p : linePoints(g, series.values)) {
      svg += (first ? "" : " ") + number(p.x) + "," + number(p.y);
      first = false;
    }
    svg += "\"/>";
    for (std::size_t i = 0; count <= kMostPoints && i < series.values.size(); ++i)
      svg += "<circle cx=\"" + number(g.xs[i]) + "\" cy=\"" + number(g.yOf(series.values[i])) +
             "\" r=\"3\" fill=\"" + series.colour + "\"><title>" + htmlText(chart.labels[i]) + " " +
             htmlText(series.name) + "：" + std::to_string(series.values[i]) + "</title></circle>";
    svg += "</g>";
  }
  svg += "</svg><ul class=\"legend\">";
  for (const ChartSeries& series : chart.series)
    svg += "<li><svg width=\"14\" height=\"10\"><rect width=\"14\" height=\"10\" fill=\"" +
           series.colour + "\"/></svg> " + htmlText(series.name) + "</li>";
  return svg + "</ul>";
}

// Horizontal bars, one per label, longest for the most.
std::string barChart(const std::vector<std::pair<std::string, std::uint64_t>>& bars,
                     std::string_view colour, std::string_view name) {
  std::uint64_t most = 1;
  for (const auto& bar : bars) most = std::max(most, bar.second);
  const double rowHeight = 16, labelWidth = 60, barWidth = 300;
  const double height = rowHeight * static_cast<double>(bars.size()) + 4;
  std::string svg = "<svg class=\"bars\" data-name=\"" + std::string(name) + "\" viewBox=\"0 0 " +
                    number(labelWidth + barWidth + 80) + " " + number(height) + "\" width=\"" +
                    number(labelWidth + barWidth + 80) + "\">";
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const double at = 2 + rowHeight * static_cast<double>(i);
    const double length =
        barWidth * static_cast<double>(bars[i].second) / static_cast<double>(most);
    svg += "<text x=\"" + number(labelWidth - 6) + "\" y=\"" + number(at + 12) +
           "\" text-anchor=\"end\">" + htmlText(bars[i].first) + "</text><rect x=\"" +
           number(labelWidth) + "\" y=\"" + number(at + 2) + "\" width=\"" + number(length) +
           "\" height=\"" + number(rowHeight - 4) + "\" fill=\"" + std::string(colour) +
           "\"><title>" + htmlText(bars[i].first) + "：" + std::to_string(bars[i].second) +
           "</title></rect><text x=\"" + number(labelWidth + length + 4) + "\" y=\"" +
           number(at + 12) + "\">" + std::to_string(bars[i].second) + "</text>";
  }
  return svg + "</svg>";
}

// The 24 hours as columns, with the hour under each.
std::string hoursChart(const std::array<std::uint64_t, 24>& hours, std::string_view colour) {
  std::uint64_t most = 1;
  for (const std::uint64_t lines : hours) most = std::max(most, lines);
  const double column = 20, base = 100;
  std::string svg =
      "<svg class=\"bars\" data-name=\"hours\" viewBox=\"0 0 490 120\" width=\"490\">";
  for (std::size_t h = 0; h < 24; ++h) {
    const double left = 5 + column * static_cast<double>(h);
    const double tall = (base - 6) * static_cast<double>(hours[h]) / static_cast<double>(most);
    const std::string hour = (h < 10 ? "0" : "") + std::to_string(h);
    svg += "<rect x=\"" + number(left) + "\" y=\"" + number(base - tall) + "\" width=\"" +
           number(column - 4) + "\" height=\"" + number(tall) + "\" fill=\"" + std::string(colour) +
           "\"><title>" + hour + std::string(kDetailHourSuffix) + "：" + std::to_string(hours[h]) +
           "</title></rect><text x=\"" + number(left + (column - 4) / 2) +
           "\" y=\"114\" text-anchor=\"middle\">" + hour + "</text>";
  }
  return svg + "</svg>";
}

std::string topTable(std::string_view heading,
                     const std::vector<std::pair<std::string, std::uint64_t>>& values) {
  std::string table = "<table><tr><th class=\"t\">" + std::string(heading) + "</th><th>" +
                      std::string(kDetailLines) + "</th></tr>";
  for (const auto& [value, lines] : values)
    table += "<tr><td class=\"v\">" + htmlText(value) + "</td><td>" + std::to_string(lines) +
             "</td></tr>";
  return table + "</table>";
}

}  // namespace

std::string htmlText(std::string_view text) {
  std::string out;
  for (const char c : validUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

HtmlReport::HtmlReport(const CrawlerList& crawlers, std::string scope, std::size_t top)
    : crawlers_(crawlers), scope_(std::move(scope)), top_(top), total_(crawlers.size()) {}

void HtmlReport::add(const FileResult& row) {
  rows_.push_back({row.label, labelDate(row.label), row.local.value_or(row.name), row.status,
                   row.counts, row.verify});
  verified_ = verified_ || !row.verify.empty();
  if (row.detail.size() != crawlers_.size()) return;
  detailed_ = true;
  for (std::size_t c = 0; c < total_.size(); ++c) total_[c].merge(row.detail[c]);
}

std::string HtmlReport::rowsTable() const {
  std::string table = "<div class=\"wide\"><table class=\"rows\"><tr><th class=\"t\">" +
                      std::string(kReportDay) + "</th>";
  for (const Crawler& crawler : crawlers_) table += "<th>" + htmlText(crawler.header) + "</th>";
  if (verified_)
    for (const Crawler& crawler : crawlers_)
      table += "<th>" + htmlText(verifyColumnHeader(crawler.header)) + "</th>";
  table += "<th class=\"t\">" + std::string(kWindowCsvHeaders.status) + "</th><th class=\"t\">" +
           std::string(kWindowCsvHeaders.file) + "</th></tr>";
  std::vector<std::uint64_t> sums(crawlers_.size(), 0);
  std::vector<Verdicts> verdictSums(crawlers_.size());
  const auto verdictCell = [](const Verdicts& v) {
    return "<td>" + std::to_string(v.verified) + "/" + std::to_string(v.fake) + "/" +
           std::to_string(v.unverified) + "</td>";
  };
  for (const Row& row : rows_) {
    table += row.status == FileResult::Status::Counted ? "<tr>" : "<tr class=\"grey\">";
    table += "<td class=\"t\">" + htmlText(row.label) + "</td>";
    for (std::size_t c = 0; c < crawlers_.size(); ++c) {
      const std::uint64_t count = c < row.counts.size() ? row.counts[c] : 0;
      sums[c] += count;
      table += "<td>" + std::to_string(count) + "</td>";
    }
    if (verified_) {
      const std::vector<Verdicts> verdicts = verdictsOf(row.verify, crawlers_.size());
      for (std::size_t c = 0; c < crawlers_.size(); ++c) {
        verdictSums[c] += verdicts[c];
        table += verdictCell(verdicts[c]);
      }
    }
    table += "<td class=\"t\">" + std::string(statusWords(row.status, kWindowCsvHeaders)) +
             "</td><td class=\"v\">" + htmlText(row.file) + "</td></tr>";
  }
  table += "<tr class=\"total\"><td class=\"t\">" + std::string(kDetailWords.total) + "</td>";
  for (const std::uint64_t sum : sums) table += "<td>" + std::to_string(sum) + "</td>";
  if (verified_)
    for (const Verdicts& sum : verdictSums) table += verdictCell(sum);
  return table + "<td></td><td></td></tr></table></div>";
}

std::string HtmlReport::detailSections() const {
  std::string out = "<h2>" + std::string(kReportDetail) + "</h2>";
  for (std::size_t c = 0; c < crawlers_.size(); ++c) {
    const CrawlerDetail& d = total_[c];
    const Crawler& crawler = crawlers_[c];
    out += "<section class=\"crawler\" data-token=\"" + htmlText(crawler.token) + "\"><h3>" +
           htmlText(crawlerTitle(crawler)) + "</h3><dl><dt>" + std::string(kDetailLines) +
           "</dt><dd>" + std::to_string(d.lines) + "</dd>";
    if (d.lines == 0) {
      out += "</dl></section>";
      continue;
    }
    if (d.unparsed)
      out += "<dt>" + std::string(kDetailUnparsed) + "</dt><dd>" + std::to_string(d.unparsed) +
             "</dd>";
    out += "<dt>" + std::string(kDetailBytes) + "</dt><dd>" +
           (d.bytes ? readableBytes(*d.bytes) : std::string(kDetailBytesNotLogged)) + "</dd>";
    if (const auto average = d.averageTimeMs())
      out += "<dt>" + std::string(kDetailAverageTime) + "</dt><dd>" + std::to_string(*average) +
             " " + std::string(kDetailMilliseconds) + "</dd>";
    out += "<dt>" + std::string(kDetailIps) + "</dt><dd>" + std::to_string(d.ips.distinct()) +
           (d.approximate() ? std::string(kDetailApproximate) : "") + "</dd></dl>";
    const std::string colour = seriesColour(c);
    std::vector<std::pair<std::string, std::uint64_t>> status(d.status.begin(), d.status.end());
    out += "<h4>" + std::string(kDetailStatus) + "</h4>" +
           (status.empty() ? std::string(kDetailNotLogged) : barChart(status, colour, "status"));
    out += "<h4>" + std::string(kReportHoursUtc) + "</h4>" + hoursChart(d.hours, colour);
    out += "<div class=\"lists\">" + topTable(kDetailPages, d.pages.top(top_)) +
           topTable(kDetailDirs, d.dirs.top(top_)) +
           topTable(kDetailSegments, d.topSegments(top_)) + "</div></section>";
  }
  return out;
}

std::string HtmlReport::page() const {
  std::vector<std::string> labels;
  for (const Row& row : rows_) labels.push_back(row.label);
  const auto countsOf = [this](std::size_t row) -> const std::vector<std::uint64_t>& {
    return rows_[row].counts;
  };
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\"><title>" +
      std::string(kReportTitle) + " - " + htmlText(scope_) + "</title><style>" +
      std::string(kStyle) + "</style></head><body><h1>" + std::string(kReportTitle) +
      "</h1><p class=\"scope\">" + htmlText(scope_) + "</p><h2>" + std::string(kReportChart) +
      "</h2>" + lineChart(rowsChart(std::move(labels), countsOf, crawlers_)) + "<h2>" +
      std::string(kReportRows) + "</h2>" + rowsTable();
  if (detailed_) page += detailSections();
  return page + "</body></html>\n";
}

}  // namespace tarnwick
