#include <vector>

#include "catalogue/xml_stores.h"
#include "text/text.h"

namespace tarnwick {

namespace {

constexpr std::string_view kServiceLocation = "/LM/W3SVC";
constexpr std::string_view kDefaultLogDirectory = "%windir%\\System32\\LogFiles";

std::string_view location(pugi::xml_node node) {
  std::string_view text = attributeIgnoringCase(node, "Location").value();
  while (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
  return text;
}

// The segment after "/LM/W3SVC/" where `path` is exactly one level below the node.
std::optional<std::string> childSegment(std::string_view path) {
  if (path.size() <= kServiceLocation.size() + 1 ||
      !equalsIgnoringCase(path.substr(0, kServiceLocation.size()), kServiceLocation) ||
      path[kServiceLocation.size()] != '/')
    return std::nullopt;
  const std::string_view segment = path.substr(kServiceLocation.size() + 1);
  if (segment.find('/') != std::string_view::npos) return std::nullopt;
  return std::string(segment);
}

// A property as an attribute, or as a <Custom Name="..." Value="..."/> child element.
std::optional<std::string> readProperty(pugi::xml_node node, std::string_view name) {
  if (const auto attribute = attributeIgnoringCase(node, name))
    return std::string(attribute.value());
  for (pugi::xml_node custom : node.children()) {
    if (equalsIgnoringCase(custom.name(), "Custom") &&
        equalsIgnoringCase(attributeIgnoringCase(custom, "Name").value(), name))
      return std::string(attributeIgnoringCase(custom, "Value").value());
  }
  return std::nullopt;
}

class MetabaseStore final : public ConfigStore {
 public:
  struct Child {
    pugi::xml_node node;
    std::string name;
  };

  MetabaseStore(std::shared_ptr<pugi::xml_document> document, pugi::xml_node service,
                std::vector<Child> children, VariableLookup variables)
      : document_(std::move(document)),
        service_(service),
        children_(std::move(children)),
        variables_(std::move(variables)) {}

  std::size_t childCount() const override { return children_.size(); }

  std::optional<std::string> property(std::size_t index, std::string_view name) const override {
    const Child& child = children_.at(index);
    if (equalsIgnoringCase(name, "Name")) return child.name;
    if (equalsIgnoringCase(name, "LogFileDirectory")) {
      // Only web sites have a log folder; they inherit the service's.
      if (!equalsIgnoringCase(child.node.name(), "IIsWebServer")) return std::nullopt;
      auto directory = readProperty(child.node, name);
      if (!directory) directory = readProperty(service_, name);
      return expandVariables(directory ? *directory : std::string(kDefaultLogDirectory),
                             variables_);
    }
    // Logging settings a site inherits from the service where it does not set its own.
    for (const std::string_view inherited :
         {"LogFileLocalTimeRollover", "LogFilePeriod", "LogType", "LogPluginClsid", "DontLog"})
      if (equalsIgnoringCase(name, inherited)) {
        auto own = readProperty(child.node, name);
        return own ? own : readProperty(service_, name);
      }
    return readProperty(child.node, name);
  }

 private:
  std::shared_ptr<pugi::xml_document> document_;  // keeps the nodes alive
  pugi::xml_node service_;
  std::vector<Child> children_;
  VariableLookup variables_;
};

}  // namespace

std::unique_ptr<ConfigStore> metabaseStore(std::shared_ptr<pugi::xml_document> document,
                                           VariableLookup variables) {
  struct Collector : pugi::xml_tree_walker {
    pugi::xml_node service;
    std::vector<MetabaseStore::Child> children;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() != pugi::node_element) return true;
      const std::string_view path = location(node);
      if (path.empty()) return true;
      if (!service && equalsIgnoringCase(path, kServiceLocation)) service = node;
      if (auto segment = childSegment(path)) children.push_back({node, std::move(*segment)});
      return true;
    }
  } collector;
  document->traverse(collector);
  if (!collector.service) return nullptr;
  return std::make_unique<MetabaseStore>(std::move(document), collector.service,
                                         std::move(collector.children), std::move(variables));
}

}  // namespace tarnwick
