#pragma once

#include "platform/results_table.h"

namespace tarnwick {

// Width of each results column, in twips.
inline constexpr int kColumnWidthTwips = 800;

// Switches `table` to report view and adds the day column and one column per crawler,
// each 800 twips wide.
void prepareResultsTable(ResultsTable& table);

}  // namespace tarnwick
