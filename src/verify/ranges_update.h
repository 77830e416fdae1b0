#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "verify/address_ranges.h"

namespace tarnwick {

// Where one ranges file is published.
struct RangesSource {
  std::string name;  // its name in the ranges folder
  std::string url;
};

// The published ranges files, or each of them below `base` ("http://host/dir" gives
// "http://host/dir/bingbot.json").
std::vector<RangesSource> rangesSources(const std::optional<std::string>& base);

// What updating one ranges file gave.
struct RangesUpdate {
  std::string name;
  bool ok = false;
  std::size_t prefixes = 0;     // in the new file, where ok
  std::optional<Date> created;  // the new file's day, where ok and it has one
  std::string reason;           // why the old file (if any) was kept, where not ok
};

// Downloads each file of `sources` into `folder`, which is made where missing. A file is
// replaced only by a complete download that is a valid ranges file; on any failure the
// old one stays as it was.
std::vector<RangesUpdate> updateRanges(const std::filesystem::path& folder,
                                       const std::vector<RangesSource>& sources, HttpClient& http,
                                       const HttpLimits& limits = {});

// Days past which a ranges file is warned about as old.
inline constexpr int kRangesOldDays = 30;

}  // namespace tarnwick
