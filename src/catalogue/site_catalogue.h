#pragma once

#include <string>
#include <vector>

#include "catalogue/config_store.h"
#include "catalogue/site_logging.h"
#include "platform/clock.h"

namespace tarnwick {

// One web site of the server.
struct Site {
  std::string name;                   // display name (ServerComment)
  std::string id;                     // numeric identifier (Name)
  std::string logFolder;              // LogFileDirectory + "\W3SVC" + id + "\", as built
  LogClock logClock = LogClock::Utc;  // the clock its daily logs are named by
  SiteLogging logging{};              // where and how often it logs
};

// The log folder of site `id` under the service's log root, always ending in a
// backslash. A root that already ends in one keeps it: "C:\logs\" gives "C:\logs\\W3SVC1\".
std::string logFolderOf(const std::string& logFileDirectory, const std::string& id);

// Every web site of the store, in store order. A child that lacks any of the three
// properties is not a site and adds nothing, so names and folders stay in step. A site
// names its logs by UTC dates unless LogFileLocalTimeRollover is true for it. A site of a
// server that logs centrally has the central folder, <directory>\W3SVC\.
std::vector<Site> loadCatalogue(const ConfigStore& store);

}  // namespace tarnwick
