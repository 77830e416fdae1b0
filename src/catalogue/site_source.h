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
  PathResolver paths;       // resolves the sites' log folders
  std::string locateError;  // where no configuration file could be found
  bool usage = false;       // locateError is about how the options were given
  ConfigOpenResult config;  // the configuration read: its file, and what went wrong; its
                            // parsed document is released once the sites are read
  std::vector<Site> sites;  // in configuration order

  bool ok() const { return locateError.empty() && config.ok(); }
  // What went wrong, in one English line naming the file.
  std::string error() const;
  // What went wrong, in Chinese for the window's message: which file, and why.
  std::string message() const;
};

// Locates and reads the configuration and its sites. Texts that are not valid UTF-8
// have the bad bytes replaced, so that nothing invalid reaches the screen or a report.
SiteSource readSites(const SourceOptions& options, const TextInput& input);

}  // namespace tarnwick
