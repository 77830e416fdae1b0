#include "cli/site_choice.h"

#include "text/text.h"

namespace tarnwick {

namespace {

template <class Matches>
std::vector<const Site*> findAll(const std::vector<Site>& sites, Matches matches) {
  std::vector<const Site*> found;
  for (const Site& site : sites)
    if (matches(site)) found.push_back(&site);
  return found;
}

std::string describe(const Site& site) {
  return "\"" + site.name + "\" (id " + site.id + ")";
}

std::string describeAll(const std::vector<const Site*>& sites) {
  std::string text;
  for (std::size_t i = 0; i < sites.size(); ++i)
    text += (i == 0 ? "" : i + 1 == sites.size() ? " and " : ", ") + describe(*sites[i]);
  return text;
}

}  // namespace

std::string SiteChoice::description() const {
  const std::string quoted = "\"" + value + "\"";
  switch (status) {
    case Status::Found:
      return {};
    case Status::NoSuchSite:
      return (byId ? "no site with id " : "no site named or numbered ") + quoted;
    case Status::NameAndId:
      return quoted + " is the name of site " + describe(*matches[0]) + " and the id of site " +
             describe(*matches[1]) + ": use --site-id " + matches[0]->id +
             " for the first, --site-id " + matches[1]->id + " for the second";
    case Status::SharedName:
      return quoted + " names sites " + describeAll(matches) + ": use --site-id " + matches[0]->id +
             " or another site's id";
    case Status::SharedId:
      return "sites " + describeAll(matches) + " have the same id " + quoted;
  }
  return {};
}

SiteChoice chooseSite(const std::vector<Site>& sites, std::string_view value, bool byId) {
  SiteChoice choice;
  choice.value = value;
  choice.byId = byId;
  const auto numbered = findAll(sites, [&](const Site& s) { return s.id == value; });
  std::vector<const Site*> named;
  if (!byId) {
    named = findAll(sites, [&](const Site& s) { return s.name == value; });
    // IIS treats site names without regard to case.
    if (named.empty())
      named = findAll(sites, [&](const Site& s) { return equalsIgnoringCase(s.name, value); });
  }
  if (numbered.size() > 1) {
    choice.status = SiteChoice::Status::SharedId;
    choice.matches = numbered;
  } else if (named.size() > 1) {
    choice.status = SiteChoice::Status::SharedName;
    choice.matches = named;
  } else if (!named.empty() && !numbered.empty() && named[0] != numbered[0]) {
    choice.status = SiteChoice::Status::NameAndId;
    choice.matches = {named[0], numbered[0]};
  } else if (!named.empty() || !numbered.empty()) {
    choice.status = SiteChoice::Status::Found;
    choice.site = named.empty() ? numbered[0] : named[0];
  }
  return choice;
}

}  // namespace tarnwick
