#pragma once

#include <string>
#include <vector>

#include "catalogue/config_source.h"
#include "catalogue/config_store.h"
#include "catalogue/site_catalogue.h"
#include "platform/text_input.h"

namespace tarnwick {

// The sites of the configuration the command line names.
struct SiteSource {
  ConfigLocation location;  // where the configuration was looked for, and found
  ConfigOpenResult config;  // the configuration read: its file, and what went wrong; its
                            // parsed document is released once the sites are read
  std::vector<Site> sites;  // in configuration order

  bool ok() const { return location.ok() && config.ok(); }
  // Whether the options were given wrongly.
  bool usage() const { return location.usage(); }
  // The drive mappings that resolve the sites' log folders.
  const PathResolver& paths() const { return location.paths; }
  // What went wrong, in one English line naming the file.
  std::string error() const;
};

// Locates and reads the configuration and its sites. Texts that are not valid UTF-8
// have the bad bytes replaced, so that nothing invalid reaches the screen or a report.
SiteSource readSites(const SourceOptions& options, const TextInput& input);

}  // namespace tarnwick
