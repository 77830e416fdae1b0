#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "app/texts.h"

namespace tarnwick {

// Width every results column has at least, in twips: the design's.
inline constexpr int kColumnWidthTwips = 800;
// Width of a verification column: "120/3/5…" under a longer header.
inline constexpr int kVerifyColumnWidthTwips = 1700;

// One column of the results table.
struct ResultsColumn {
  std::string key;     // "MyDate", then each crawler's column key
  std::string header;  // "日期", then each crawler's header
  int widthTwips = kColumnWidthTwips;
};

// The results table's rows, held once: the windows' tables show them by index, and copy
// and export read them. Rows only ever come at the end, and go all at once.
class ResultRows {
 public:
  explicit ResultRows(const CrawlerList& crawlers);

  // The day column, then one per crawler; with verification, one more per crawler.
  const std::vector<ResultsColumn>& columns() const { return columns_; }
  // Adds or takes away the verification columns: each crawler's lines verified, fake
  // and unverified. With `verifiedOnly`, the crawlers' columns count verified lines alone.
  void showVerification(bool shown, bool verifiedOnly);
  bool verifiedOnly() const { return verifiedOnly_; }
  // What the crawler's column counts for the row: its lines, or its verified ones.
  std::uint64_t shownCount(std::size_t row, std::size_t crawler) const;
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const FileResult& operator[](std::size_t row) const { return rows_[row]; }

  // What the table shows at `row`, `column`: the day label, a count in decimal, or
  // "verified/fake/unverified" with "…" while DNS has yet to answer.
  std::string cell(std::size_t row, std::size_t column) const;
  // Whether the row's zeros mean there was nothing to read: shown greyed.
  bool greyed(std::size_t row) const;
  // The tip of the row: the file read, and why it shows zeros where it does.
  std::string tip(std::size_t row) const;

  void clear() { rows_.clear(); }
  void add(FileResult row) { rows_.push_back(std::move(row)); }
  void setVerdicts(std::size_t row, std::vector<Verdicts> verdicts) {
    rows_[row].verify = std::move(verdicts);
  }

 private:
  const CrawlerList& crawlers_;
  std::vector<ResultsColumn> columns_;
  std::vector<FileResult> rows_;
  bool verifiedOnly_ = false;
};

}  // namespace tarnwick
