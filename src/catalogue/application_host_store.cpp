#include <vector>

#include "catalogue/xml_stores.h"
#include "text/text.h"

namespace tarnwick {

namespace {

constexpr std::string_view kDefaultLogDirectory = "%SystemDrive%\\inetpub\\logs\\LogFiles";

// Settings of a site's logFile element, by the names the catalogue asks for.
constexpr std::pair<std::string_view, const char*> kLogFileSettings[] = {
    {"LogFilePeriod", "period"},
    {"LogFormat", "logFormat"},
    {"LogTargetW3C", "logTargetW3C"},
    {"LogEnabled", "enabled"},
};

class ApplicationHostStore final : public ConfigStore {
 public:
  ApplicationHostStore(std::shared_ptr<pugi::xml_document> document, pugi::xml_node sites,
                       VariableLookup variables)
      : document_(std::move(document)), variables_(std::move(variables)) {
    for (pugi::xml_node site : sites.children("site")) sites_.push_back(site);
    const pugi::xml_node defaults = sites.child("siteDefaults").child("logFile");
    defaults_ = defaults;
    log_ = document_->document_element().child("system.applicationHost").child("log");
    const auto directory = defaults.attribute("directory");
    defaultDirectory_ = directory ? directory.value() : kDefaultLogDirectory;
    defaultRollover_ = defaults.attribute("localTimeRollover");
  }

  std::size_t childCount() const override { return sites_.size(); }

  std::optional<std::string> property(std::size_t index, std::string_view name) const override {
    const pugi::xml_node site = sites_.at(index);
    if (equalsIgnoringCase(name, "ServerComment")) return value(site.attribute("name"));
    if (equalsIgnoringCase(name, "Name")) return value(site.attribute("id"));
    if (equalsIgnoringCase(name, "LogFileDirectory")) {
      const auto own = site.child("logFile").attribute("directory");
      return expandVariables(own ? own.value() : defaultDirectory_, variables_);
    }
    if (equalsIgnoringCase(name, "LogFileLocalTimeRollover")) {
      const auto own = site.child("logFile").attribute("localTimeRollover");
      return value(own ? own : defaultRollover_);
    }
    // The site's logging settings, its own or those of siteDefaults.
    for (const auto& [property, attribute] : kLogFileSettings)
      if (equalsIgnoringCase(name, property)) {
        const auto own = site.child("logFile").attribute(attribute);
        return value(own ? own : defaults_.attribute(attribute));
      }
    // The server's: central logging, one file for all sites.
    if (equalsIgnoringCase(name, "CentralLogFileMode"))
      return value(log_.attribute("centralLogFileMode"));
    if (equalsIgnoringCase(name, "CentralW3CLogFilePeriod"))
      return value(log_.child("centralW3CLogFile").attribute("period"));
    if (equalsIgnoringCase(name, "CentralW3CLogFileLocalTimeRollover"))
      return value(log_.child("centralW3CLogFile").attribute("localTimeRollover"));
    if (equalsIgnoringCase(name, "CentralW3CLogFileDirectory")) {
      const auto own = log_.child("centralW3CLogFile").attribute("directory");
      return expandVariables(own ? own.value() : kDefaultLogDirectory, variables_);
    }
    return std::nullopt;
  }

 private:
  static std::optional<std::string> value(pugi::xml_attribute attribute) {
    if (!attribute) return std::nullopt;
    return std::string(attribute.value());
  }

  std::shared_ptr<pugi::xml_document> document_;  // keeps the nodes alive
  VariableLookup variables_;
  std::vector<pugi::xml_node> sites_;
  std::string defaultDirectory_;
  pugi::xml_attribute defaultRollover_;
  pugi::xml_node defaults_;  // siteDefaults' logFile
  pugi::xml_node log_;       // system.applicationHost/log
};

}  // namespace

std::unique_ptr<ConfigStore> applicationHostStore(std::shared_ptr<pugi::xml_document> document,
                                                  VariableLookup variables) {
  const pugi::xml_node sites =
      document->document_element().child("system.applicationHost").child("sites");
  if (!sites) return nullptr;
  return std::make_unique<ApplicationHostStore>(std::move(document), sites, std::move(variables));
}

}  // namespace tarnwick
