#pragma once

#include <string>

#include "catalogue/config_source.h"
#include "platform/config_store.h"
#include "platform/text_input.h"

namespace tarnwick {

// The configuration the command line names, opened at its web service node.
struct SiteSource {
  PathResolver paths;       // resolves the sites' log folders
  std::string locateError;  // where no configuration file could be found
  bool usage = false;       // locateError is about how the options were given
  ConfigOpenResult config;  // the configuration read: its file, and what went wrong

  bool ok() const { return locateError.empty() && config.ok(); }
  // What went wrong, in one English line naming the file.
  std::string error() const;
  // What went wrong, in Chinese for the window's message: which file, and why.
  std::string message() const;
};

// Locates and opens the configuration; its sites come from loadCatalogue(*config.store).
SiteSource readSites(const SourceOptions& options, const TextInput& input);

}  // namespace tarnwick
