#include "cli/site_choice.h"

namespace tarnwick {

namespace {

const Site* find(const std::vector<Site>& sites, std::string_view value, std::string Site::*field) {
  for (const Site& site : sites)
    if (site.*field == value) return &site;
  return nullptr;
}

std::string describe(const Site& site) {
  return "\"" + site.name + "\" (id " + site.id + ")";
}

}  // namespace

SiteChoice chooseSite(const std::vector<Site>& sites, std::string_view value, bool byId) {
  const Site* named = byId ? nullptr : find(sites, value, &Site::name);
  const Site* numbered = find(sites, value, &Site::id);
  const std::string quoted = "\"" + std::string(value) + "\"";
  if (named && numbered && named != numbered)
    return {nullptr, quoted + " is the name of site " + describe(*named) + " and the id of site " +
                         describe(*numbered) + ": use --site-id " + named->id +
                         " for the first, --site-id " + numbered->id + " for the second"};
  if (named || numbered) return {named ? named : numbered, {}};
  return {nullptr, byId ? "no site with id " + quoted : "no site named or numbered " + quoted};
}

}  // namespace tarnwick
