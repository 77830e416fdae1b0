#include "catalogue/site_source.h"

namespace tarnwick {

std::string SiteSource::error() const {
  if (!locateError.empty()) return locateError;
  if (!config.ok())
    return "cannot read site configuration " + config.file + ": " + config.description();
  return {};
}

SiteSource readSites(const SourceOptions& options, const TextInput& input) {
  SiteSource source;
  ConfigLocation location = locateConfig(options, input);
  source.paths = std::move(location.paths);
  if (!location.error.empty()) {
    source.locateError = std::move(location.error);
    source.usage = location.usage;
    return source;
  }
  source.config = openConfigFile(location.file, input);
  if (source.config.ok()) source.sites = loadCatalogue(*source.config.store);
  return source;
}

}  // namespace tarnwick
