#include "platform/config_store.h"

#include <vector>

#include "platform/text_compare.h"
#include "platform/xml_stores.h"

namespace tarnwick {

namespace {

// A configuration larger than this is not one: refuse it rather than exhaust memory.
constexpr std::size_t kMaxConfigBytes = 256u << 20;

enum class Format { ApplicationHost, Metabase, Unknown };

Format recognise(const pugi::xml_document& document) {
  const pugi::xml_node root = document.document_element();
  if (!equalsIgnoringCase(root.name(), "configuration")) return Format::Unknown;
  if (root.child("system.applicationHost")) return Format::ApplicationHost;
  for (pugi::xml_node child : root.children())
    if (equalsIgnoringCase(child.name(), "MBProperty")) return Format::Metabase;
  return Format::Unknown;
}

void locate(std::string_view content, std::ptrdiff_t offset, int& line, int& column) {
  line = 1;
  column = 1;
  const auto end = std::min<std::size_t>(
      static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), content.size());
  for (std::size_t i = 0; i < end; ++i) {
    if (content[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(content[i]) & 0xC0) != 0x80) {
      ++column;  // count characters, not UTF-8 continuation bytes
    }
  }
}

ConfigOpenResult failure(ConfigOpenResult::Status status, std::string file, std::string reason) {
  ConfigOpenResult result;
  result.status = status;
  result.file = std::move(file);
  result.reason = std::move(reason);
  return result;
}

}  // namespace

pugi::xml_attribute attributeIgnoringCase(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_attribute attribute : node.attributes())
    if (equalsIgnoringCase(attribute.name(), name)) return attribute;
  return {};
}

std::string ConfigOpenResult::description() const {
  using S = Status;
  switch (status) {
    case S::Ok:
      return "no error";
    case S::FileNotFound:
      return "file not found";
    case S::FileUnreadable:
      return "file cannot be read" + (reason.empty() ? "" : ": " + reason);
    case S::NotWellFormed:
      return "not well-formed XML: " + reason + " at line " + std::to_string(line) + ", column " +
             std::to_string(column);
    case S::NotIisConfiguration:
      return "neither an applicationHost.config nor a MetaBase.xml";
    case S::NoServiceNode:
      return reason;
  }
  return reason;
}

ConfigOpenResult parseConfig(std::string_view content, std::string file) {
  auto document = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result parsed = document->load_buffer(
      content.data(), content.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    ConfigOpenResult result =
        failure(ConfigOpenResult::Status::NotWellFormed, std::move(file), parsed.description());
    locate(content, parsed.offset, result.line, result.column);
    return result;
  }
  ConfigOpenResult result;
  result.file = std::move(file);
  switch (recognise(*document)) {
    case Format::ApplicationHost:
      result.store = applicationHostStore(std::move(document));
      if (!result.store) result.reason = "no <sites> section in <system.applicationHost>";
      break;
    case Format::Metabase:
      result.store = metabaseStore(std::move(document));
      if (!result.store) result.reason = "no /LM/W3SVC node";
      break;
    case Format::Unknown:
      result.status = ConfigOpenResult::Status::NotIisConfiguration;
      return result;
  }
  if (!result.store) result.status = ConfigOpenResult::Status::NoServiceNode;
  return result;
}

ConfigOpenResult openConfigFile(const std::filesystem::path& file, const TextInput& input) {
  const std::string name = file.string();
  auto handle = input.open(file);
  if (!handle) {
    return input.isFile(file)
               ? failure(ConfigOpenResult::Status::FileUnreadable, name, "access denied")
               : failure(ConfigOpenResult::Status::FileNotFound, name, "");
  }
  std::string content;
  std::vector<char> block(1 << 16);
  for (;;) {
    const std::ptrdiff_t n = handle->read(block.data(), block.size());
    if (n < 0) return failure(ConfigOpenResult::Status::FileUnreadable, name, "read error");
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > kMaxConfigBytes)
      return failure(ConfigOpenResult::Status::FileUnreadable, name, "larger than 256 MiB");
    content.append(block.data(), static_cast<std::size_t>(n));
  }
  return parseConfig(content, name);
}

}  // namespace tarnwick
