#include "catalogue/site_catalogue.h"

#include "text/text.h"

namespace tarnwick {

namespace {

bool isTrue(const std::optional<std::string>& value) {
  return value && (equalsIgnoringCase(*value, "true") || *value == "1");
}

}  // namespace

std::string logFolderOf(const std::string& logFileDirectory, const std::string& id) {
  return logFileDirectory + "\\W3SVC" + id + "\\";
}

std::vector<Site> loadCatalogue(const ConfigStore& store) {
  std::vector<Site> sites;
  for (std::size_t k = 0; k < store.childCount(); ++k) {
    auto name = store.property(k, "ServerComment");
    auto directory = store.property(k, "LogFileDirectory");
    auto id = store.property(k, "Name");
    if (!name || !directory || !id) continue;
    const SiteLogging logging = siteLoggingOf(store, k);
    const bool central = logging.logging == Logging::Central;
    const LogClock clock = isTrue(store.property(k, central ? "CentralW3CLogFileLocalTimeRollover"
                                                            : "LogFileLocalTimeRollover"))
                               ? LogClock::Local
                               : LogClock::Utc;
    std::string folder = logFolderOf(*directory, *id);
    if (central)
      if (const auto centralFolder = store.property(k, "CentralW3CLogFileDirectory"))
        folder = *centralFolder + "\\W3SVC\\";
    sites.push_back({std::move(*name), *id, std::move(folder), clock, logging});
  }
  return sites;
}

}  // namespace tarnwick
