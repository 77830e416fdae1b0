#pragma once

// The two file formats that stand in for the server's configuration store.

#include <memory>

#include <pugixml.hpp>

#include "catalogue/config_store.h"
#include "catalogue/env_expand.h"

namespace tarnwick {

// Both expand the %VARIABLES% of log folders through `variables`.

// IIS 7 and later: the <site> elements of configuration/system.applicationHost/sites.
// Nothing where the document has no <sites> section.
std::unique_ptr<ConfigStore> applicationHostStore(std::shared_ptr<pugi::xml_document> document,
                                                  VariableLookup variables);

// IIS 6: the children of the /LM/W3SVC node. Nothing where there is no such node.
std::unique_ptr<ConfigStore> metabaseStore(std::shared_ptr<pugi::xml_document> document,
                                           VariableLookup variables);

// An attribute of `node` whose name equals `name` ignoring case.
pugi::xml_attribute attributeIgnoringCase(pugi::xml_node node, std::string_view name);

}  // namespace tarnwick
