#include "catalogue/site_catalogue.h"

namespace tarnwick {

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
    sites.push_back({std::move(*name), *id, logFolderOf(*directory, *id)});
  }
  return sites;
}

}  // namespace tarnwick
