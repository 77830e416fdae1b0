#include "catalogue/config_store.h"

#include <new>
#include <optional>
#include <vector>

#include "catalogue/xml_stores.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace {

enum class Format { ApplicationHost, Metabase, Unknown };

Format recognise(const pugi::xml_document& document) {
  const pugi::xml_node root = document.document_element();
  if (!equalsIgnoringCase(root.name(), "configuration")) return Format::Unknown;
  if (root.child("system.applicationHost")) return Format::ApplicationHost;
  for (pugi::xml_node child : root.children())
    if (equalsIgnoringCase(child.name(), "MBProperty")) return Format::Metabase;
  return Format::Unknown;
}

void locate(std::string_view content, std::size_t offset, int& line, int& column) {
  line = 1;
  column = 1;
  const std::size_t end = std::min(offset, content.size());
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

// Whether XML allows character `value` in a document.
bool allowedCharacter(unsigned long value) {
  if (value < 0x20) return value == 0x9 || value == 0xA || value == 0xD;
  if (value >= 0xD800 && value <= 0xDFFF) return false;  // surrogates
  return value != 0xFFFE && value != 0xFFFF && value <= 0x10FFFF;
}

// Where a numeric character reference names no allowed character ("&#0;", a surrogate,
// a value past U+10FFFF), which the parser would let through; npos where there is none.
// Comments and CDATA sections hold no references.
std::size_t badCharacterReference(std::string_view content) {
  for (std::size_t at = 0; (at = content.find_first_of("&<", at)) != std::string_view::npos;) {
    if (content[at] == '<') {
      const std::string_view rest = content.substr(at);
      const auto skipTo = [&](std::string_view end) {
        const std::size_t found = content.find(end, at);
        return found == std::string_view::npos ? content.size() : found + end.size();
      };
      at = rest.starts_with("<!--")        ? skipTo("-->")
           : rest.starts_with("<![CDATA[") ? skipTo("]]>")
                                           : at + 1;
      continue;
    }
    if (content.substr(at, 2) != "&#") {
      ++at;
      continue;
    }
    std::size_t i = at + 2;
    const bool hex = i < content.size() && content[i] == 'x';
    if (hex) ++i;
    unsigned long value = 0;
    std::size_t digits = 0;
    for (; i < content.size(); ++i, ++digits) {
      const char c = content[i];
      const int digit = (c >= '0' && c <= '9')          ? c - '0'
                        : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                        : -1;
      if (digit < 0) break;
      value = std::min<unsigned long>(value * (hex ? 16 : 10) + static_cast<unsigned long>(digit),
                                      0x110000);
    }
    if (digits > 0 && i < content.size() && content[i] == ';' && !allowedCharacter(value))
      return at;
    at = i;
  }
  return std::string_view::npos;
}

// The encoding of a configuration written in UTF-16 or UTF-32, from its byte-order mark
// or from how its first "<" is written; nothing for UTF-8 and the like.
std::optional<WideText> wideEncoding(std::string_view content) {
  using namespace std::string_view_literals;
  if (content.starts_with("\xFF\xFE\0\0"sv) || content.starts_with("<\0\0\0"sv))
    return WideText::Utf32Le;
  if (content.starts_with("\0\0\xFE\xFF"sv) || content.starts_with("\0\0\0<"sv))
    return WideText::Utf32Be;
  if (content.starts_with("\xFF\xFE"sv) || content.starts_with("<\0"sv)) return WideText::Utf16Le;
  if (content.starts_with("\xFE\xFF"sv) || content.starts_with("\0<"sv)) return WideText::Utf16Be;
  return std::nullopt;
}

ConfigOpenResult parse(std::string_view given, std::string file, const VariableLookup& variables) {
  // UTF-16 and UTF-32 become UTF-8 first, so that every encoding meets the same rules.
  std::string converted;
  std::string_view content = given;
  pugi::xml_encoding encoding = pugi::encoding_auto;
  if (const auto wide = wideEncoding(given)) {
    converted = utf8FromWide(given, *wide);
    content = converted;
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    encoding = pugi::encoding_utf8;
  }
  const auto notWellFormed = [&](std::string reason, std::size_t offset) {
    ConfigOpenResult result =
        failure(ConfigOpenResult::Status::NotWellFormed, std::move(file), std::move(reason));
    locate(content, offset, result.line, result.column);
    return result;
  };
  const std::size_t bad = badCharacterReference(content);
  if (bad != std::string_view::npos)
    return notWellFormed("character reference to a character XML does not allow", bad);
  auto document = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result parsed =
      document->load_buffer(content.data(), content.size(), pugi::parse_default, encoding);
  if (parsed.status == pugi::status_out_of_memory)
    return failure(ConfigOpenResult::Status::OutOfMemory, std::move(file), "");
  if (!parsed)
    return notWellFormed(parsed.description(),
                         static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0)));
  ConfigOpenResult result;
  result.file = std::move(file);
  switch (recognise(*document)) {
    case Format::ApplicationHost:
      result.store = applicationHostStore(std::move(document), variables);
      if (!result.store) result.reason = "no <sites> section in <system.applicationHost>";
      break;
    case Format::Metabase:
      result.store = metabaseStore(std::move(document), variables);
      if (!result.store) result.reason = "no /LM/W3SVC node";
      break;
    case Format::Unknown:
      result.status = ConfigOpenResult::Status::NotIisConfiguration;
      return result;
  }
  if (!result.store) result.status = ConfigOpenResult::Status::NoServiceNode;
  return result;
}

std::string megabytes(std::size_t bytes) {
  return std::to_string(bytes >> 20) + " MiB";
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
    case S::NotAFile:
      return reason;
    case S::AccessDenied:
      return "file cannot be read: " + reason + " (run as an administrator)";
    case S::FileUnreadable:
      return "file cannot be read" + (reason.empty() ? "" : ": " + reason);
    case S::TooLarge:
      return "larger than " + megabytes(kMaxConfigBytes) + ", far beyond any real configuration";
    case S::OutOfMemory:
      return "not enough memory to read it";
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

ConfigOpenResult parseConfig(std::string_view content, std::string file,
                             const VariableLookup& variables) {
  try {
    return parse(content, std::move(file), variables);
  } catch (const std::bad_alloc&) {
    return failure(ConfigOpenResult::Status::OutOfMemory, std::move(file), "");
  }
}

ConfigOpenResult openConfigFile(const std::filesystem::path& file, const TextInput& input,
                                const VariableLookup& variables) {
  using S = ConfigOpenResult::Status;
  const std::string name = utf8Of(file);
  OpenedFile opened = input.open(file);
  switch (opened.status) {
    case OpenedFile::Status::Ok:
      break;
    case OpenedFile::Status::NotFound:
      return failure(S::FileNotFound, name, opened.reason);
    case OpenedFile::Status::NotAFile:
      return failure(S::NotAFile, name, opened.reason);
    case OpenedFile::Status::Denied:
      return failure(S::AccessDenied, name, opened.reason);
    case OpenedFile::Status::Failed:
      return failure(S::FileUnreadable, name, opened.reason);
  }
  if (opened.file->size() > kMaxConfigBytes) return failure(S::TooLarge, name, "");
  try {
    std::string content;
    std::vector<char> block(1 << 16);
    for (;;) {
      const std::ptrdiff_t n = opened.file->readAt(block.data(), block.size(), content.size());
      if (n < 0) return failure(S::FileUnreadable, name, "read error");
      if (n == 0) break;
      if (content.size() + static_cast<std::size_t>(n) > kMaxConfigBytes)
        return failure(S::TooLarge, name, "");
      content.append(block.data(), static_cast<std::size_t>(n));
    }
    return parseConfig(content, name, variables);
  } catch (const std::bad_alloc&) {
    return failure(S::OutOfMemory, name, "");
  }
}

}  // namespace tarnwick
