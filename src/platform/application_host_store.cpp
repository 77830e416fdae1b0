#include <vector>

#include "platform/env_expand.h"
#include "platform/text_compare.h"
#include "platform/xml_stores.h"

namespace tarnwick {

namespace {

constexpr std::string_view kDefaultLogDirectory = "%SystemDrive%\\inetpub\\logs\\LogFiles";

class ApplicationHostStore final : public ConfigStore {
 public:
  ApplicationHostStore(std::shared_ptr<pugi::xml_document> document, pugi::xml_node sites)
      : document_(std::move(document)) {
    for (pugi::xml_node site : sites.children("site")) sites_.push_back(site);
    const auto defaults = sites.child("siteDefaults").child("logFile").attribute("directory");
    defaultDirectory_ = defaults ? defaults.value() : kDefaultLogDirectory;
  }

  std::size_t childCount() const override { return sites_.size(); }

  std::optional<std::string> property(std::size_t index, std::string_view name) const override {
    const pugi::xml_node site = sites_.at(index);
    if (equalsIgnoringCase(name, "ServerComment")) return value(site.attribute("name"));
    if (equalsIgnoringCase(name, "Name")) return value(site.attribute("id"));
    if (equalsIgnoringCase(name, "LogFileDirectory")) {
      const auto own = site.child("logFile").attribute("directory");
      return expandVariables(own ? own.value() : defaultDirectory_, serverVariable);
    }
    return std::nullopt;
  }

 private:
  static std::optional<std::string> value(pugi::xml_attribute attribute) {
    if (!attribute) return std::nullopt;
    return std::string(attribute.value());
  }

  std::shared_ptr<pugi::xml_document> document_;  // keeps the nodes alive
  std::vector<pugi::xml_node> sites_;
  std::string defaultDirectory_;
};

}  // namespace

std::unique_ptr<ConfigStore> applicationHostStore(std::shared_ptr<pugi::xml_document> document) {
  const pugi::xml_node sites =
      document->document_element().child("system.applicationHost").child("sites");
  if (!sites) return nullptr;
  return std::make_unique<ApplicationHostStore>(std::move(document), sites);
}

}  // namespace tarnwick
