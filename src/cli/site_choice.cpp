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

SiteChoice chooseSite(const std::vector<Site>& sites, std::string_view value, bool byId) {
  const std::string quoted = "\"" + std::string(value) + "\"";
  const auto numbered = findAll(sites, [&](const Site& s) { return s.id == value; });
  std::vector<const Site*> named;
  if (!byId) {
    named = findAll(sites, [&](const Site& s) { return s.name == value; });
    // IIS treats site names without regard to case.
    if (named.empty())
      named = findAll(sites, [&](const Site& s) { return equalsIgnoringCase(s.name, value); });
  }
  if (numbered.size() > 1)
    return {nullptr, "sites " + describeAll(numbered) + " have the same id " + quoted};
  if (named.size() > 1)
    return {nullptr, quoted + " names sites " + describeAll(named) + ": use --site-id " +
                         named[0]->id + " or another site's id"};
  const Site* byName = named.empty() ? nullptr : named[0];
  const Site* byNumber = numbered.empty() ? nullptr : numbered[0];
  if (byName && byNumber && byName != byNumber)
    return {nullptr, quoted + " is the name of site " + describe(*byName) + " and the id of site " +
                         describe(*byNumber) + ": use --site-id " + byName->id +
                         " for the first, --site-id " + byNumber->id + " for the second"};
  if (byName || byNumber) return {byName ? byName : byNumber, {}};
  return {nullptr, byId ? "no site with id " + quoted : "no site named or numbered " + quoted};
}

}  // namespace tarnwick
