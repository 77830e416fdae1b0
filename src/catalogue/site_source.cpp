#include "catalogue/site_source.h"

#include "platform/environment.h"
#include "text/text.h"

namespace tarnwick {

std::string SiteSource::error() const {
  if (!location.ok()) return location.description();
  if (!config.ok())
    return "cannot read site configuration " + config.file + ": " + config.description();
  return {};
}

SiteSource readSites(const SourceOptions& options, const TextInput& input) {
  SiteSource source;
  source.location = locateConfig(options, input);
  if (!source.location.ok()) return source;
  const std::filesystem::path& file = source.location.file;
  // On the server itself its variables are those of the environment; a copy of another
  // server's drive has those of a standard installation.
  source.config = options.localServer() ? openConfigFile(file, input, environmentVariable)
                                        : openConfigFile(file, input);
  if (!source.config.ok()) return source;
  source.sites = loadCatalogue(*source.config.store);
  source.config.store.reset();
  for (Site& site : source.sites) {
    site.name = validUtf8(site.name);
    site.id = validUtf8(site.id);
    site.logFolder = validUtf8(site.logFolder);
  }
  return source;
}

}  // namespace tarnwick
