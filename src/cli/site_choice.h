#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/site_catalogue.h"

namespace tarnwick {

// The site a --site or --site-id value names.
struct SiteChoice {
  enum class Status {
    Found,
    NoSuchSite,  // no site has that name or id
    NameAndId,   // one site's name and another's id
    SharedName,  // the name of several sites (IIS 6 allows it)
    SharedId,    // the id of several sites
  };

  Status status = Status::NoSuchSite;
  const Site* site = nullptr;        // where Found
  std::string value;                 // what was asked for
  bool byId = false;                 // by id alone
  std::vector<const Site*> matches;  // the sites it could mean, where it names several

  bool ok() const { return status == Status::Found; }
  // Why there is no site, in one English line naming the sites it could mean.
  std::string description() const;
};

// The site whose display name is `value` (without regard to case where that names one
// site, as IIS does) or whose id is `value`; by id alone where `byId`.
SiteChoice chooseSite(const std::vector<Site>& sites, std::string_view value, bool byId);

}  // namespace tarnwick
