#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/env_expand.h"
#include "platform/text_input.h"
#include "verify/address_ranges.h"

namespace tarnwick {

// One ranges file found in the ranges folder, usable or not.
struct FoundRanges {
  std::string name;  // "common-crawlers.json"
  RangesFile file;
};

// The ranges files of a folder that the crawlers name.
struct RangesFolder {
  std::filesystem::path folder;
  std::vector<FoundRanges> found;  // those there, in the order asked for

  // The usable file of that name, or null.
  const RangesFile* usable(std::string_view name) const;
};

// Reads the files named `names` that are in `folder`; one that is missing is left out, one
// that cannot be used is kept with the reason.
RangesFolder readRangesFolder(const std::filesystem::path& folder,
                              const std::vector<std::string>& names, const TextInput& input);

// Where the user's ranges files live: %APPDATA%\Tarnwick\ranges on Windows,
// $XDG_CONFIG_HOME/tarnwick/ranges (or ~/.config/...) elsewhere.
std::optional<std::filesystem::path> userRangesFolder(const VariableLookup& environment);

}  // namespace tarnwick
