#pragma once

#include <filesystem>

namespace tarnwick::bench {

// tarnwick-report --verify --no-dns beside --detail on the detail cases' 1 GiB log; 100,000
// distinct addresses against every ranges file; the lookups of a day with 5,000 crawler
// addresses and a resolver that answers in 50 ms. Whether every target was met.
bool verifyCases(const std::filesystem::path& detailDir);

}  // namespace tarnwick::bench
