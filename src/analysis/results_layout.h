#pragma once

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "platform/results_table.h"

namespace tarnwick {

// Width of each results column, in twips.
inline constexpr int kColumnWidthTwips = 800;

// Switches `table` to report view and adds the day column and one column per crawler,
// each 800 twips wide.
void prepareResultsTable(ResultsTable& table, const CrawlerList& crawlers = designedCrawlers());

// Adds `row` to `table` at its position, keyed "ayfy" + position, with one count per
// crawler, its look and a tip that names the file read.
void addResultRow(ResultsTable& table, const CrawlerList& crawlers, const FileResult& row);

// The tip of a row: which file was read, and why it shows zeros where it does.
std::string rowTip(const FileResult& row);

}  // namespace tarnwick
