#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/site_catalogue.h"

namespace tarnwick {

// The site a --site or --site-id value names.
struct SiteChoice {
  const Site* site = nullptr;
  std::string error;  // why there is none: no such site, or a value naming two
};

// The site whose display name is `value` or whose id is `value`; by id alone where
// `byId`. A value that is one site's name and another site's id names neither.
SiteChoice chooseSite(const std::vector<Site>& sites, std::string_view value, bool byId);

}  // namespace tarnwick
