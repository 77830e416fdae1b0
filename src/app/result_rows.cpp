#include "app/result_rows.h"

#include "app/texts.h"

namespace tarnwick {

ResultRows::ResultRows(const CrawlerList& crawlers) : crawlers_(crawlers) {
  showVerification(false, false);
}

void ResultRows::showVerification(bool shown, bool verifiedOnly) {
  verifiedOnly_ = shown && verifiedOnly;
  columns_.clear();
  columns_.push_back({std::string(kDateColumnKey), std::string(kDateColumnHeader)});
  for (const Crawler& crawler : crawlers_) columns_.push_back({crawler.columnKey, crawler.header});
  if (!shown) return;
  for (const Crawler& crawler : crawlers_)
    columns_.push_back({crawler.columnKey + "Verify", verifyColumnHeader(crawler.header),
                        kVerifyColumnWidthTwips});
}

std::uint64_t ResultRows::shownCount(std::size_t row, std::size_t crawler) const {
  const FileResult& shown = rows_[row];
  if (verifiedOnly_) return crawler < shown.verify.size() ? shown.verify[crawler].verified : 0;
  return crawler < shown.counts.size() ? shown.counts[crawler] : 0;
}

std::string ResultRows::cell(std::size_t row, std::size_t column) const {
  const FileResult& shown = rows_[row];
  if (column == 0) return shown.label;
  const std::size_t crawler = (column - 1) % crawlers_.size();
  if (column <= crawlers_.size())
    return crawler < shown.counts.size() ? std::to_string(shownCount(row, crawler)) : "";
  if (crawler >= shown.verify.size()) return shown.status == FileResult::Status::Counted ? "…" : "";
  const Verdicts& v = shown.verify[crawler];
  return std::to_string(v.verified) + "/" + std::to_string(v.fake) + "/" +
         std::to_string(v.unverified) + (v.pending ? "…" : "");
}

bool ResultRows::greyed(std::size_t row) const {
  return rows_[row].status != FileResult::Status::Counted;
}

std::string ResultRows::tip(std::size_t row) const {
  return rowTip(rows_[row]);
}

}  // namespace tarnwick
