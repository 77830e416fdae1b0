#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/crawler_detail.h"
#include "analysis/crawlers.h"
#include "analysis/job.h"

namespace tarnwick {

// One self-contained HTML page of an analysis: the rows as the window shows them, a line
// chart of every crawler's lines per row, and where the rows were read with their fields,
// what the crawlers' lines say. Nothing in it is fetched from anywhere, no script runs,
// and every value from a log or a configuration is text, never markup.
class HtmlReport {
 public:
  // `scope` names the site, the mode and its days; each list shows its `top` values.
  HtmlReport(const CrawlerList& crawlers, std::string scope, std::size_t top);

  // The next row.
  void add(const FileResult& row);
  // The page, UTF-8.
  std::string page() const;

 private:
  struct Row {
    std::string label, date, file;
    FileResult::Status status;
    std::vector<std::uint64_t> counts;
    std::vector<Verdicts> verify;  // one per crawler where its lines were verified
  };

  std::string rowsTable() const;
  std::string detailSections() const;

  const CrawlerList& crawlers_;
  std::string scope_;
  std::size_t top_;
  std::vector<Row> rows_;
  std::vector<CrawlerDetail> total_;  // over the rows read with their fields
  bool detailed_ = false;
  bool verified_ = false;  // some row's lines were verified
};

// `text` as HTML text or attribute value: valid UTF-8, with & < > " ' written as
// references.
std::string htmlText(std::string_view text);

}  // namespace tarnwick
