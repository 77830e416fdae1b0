#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/env_expand.h"
#include "platform/text_input.h"

namespace tarnwick {

// The web server's configuration as the web service's node and its children, the
// way the server's own configuration store presents it: one child per web site,
// among others that are not sites.
class ConfigStore {
 public:
  virtual ~ConfigStore() = default;
  // Number of children of the service node.
  virtual std::size_t childCount() const = 0;
  // Property `name` ("ServerComment", "LogFileDirectory", "Name", "LogFileLocalTimeRollover")
  // of child `index`, as text, with what it inherits;
  // nothing where the child does not have it.
  virtual std::optional<std::string> property(std::size_t index, std::string_view name) const = 0;
};

// The outcome of opening a configuration file's service node.
struct ConfigOpenResult {
  enum class Status {
    Ok,
    FileNotFound,         // no file at that path
    NotAFile,             // a folder, a pipe or a device: `reason` says which
    AccessDenied,         // it exists, but this account may not read it
    FileUnreadable,       // it exists but cannot be read for another reason
    TooLarge,             // far larger than any real configuration
    OutOfMemory,          // too little memory to parse it
    NotWellFormed,        // XML parser error, or a character reference to no character
    NotIisConfiguration,  // well-formed, but neither an applicationHost.config nor a MetaBase.xml
    NoServiceNode,        // no <sites> section, or no /LM/W3SVC node
  };

  Status status = Status::Ok;
  std::string file;    // the file as it was named
  std::string reason;  // the parser's or the system's words, where there are any
  int line = 0;        // position of a parse error, 1-based; 0 where there is none
  int column = 0;
  std::unique_ptr<ConfigStore> store;  // set where status is Ok

  bool ok() const { return status == Status::Ok; }
  // What went wrong, in one English line without the file name.
  std::string description() const;
};

// Largest configuration read. Real ones of thousands of sites are a few MB, and the
// parsed document takes many times the file's size.
inline constexpr std::size_t kMaxConfigBytes = 16u << 20;

// Opens the service node of an IIS 7+ applicationHost.config or an IIS 6 MetaBase.xml,
// recognised from its content. Log folders are expanded through `variables`.
ConfigOpenResult openConfigFile(const std::filesystem::path& file, const TextInput& input,
                                const VariableLookup& variables = standardServerVariable);

// The same, for a configuration already in memory (`file` only names it).
ConfigOpenResult parseConfig(std::string_view content, std::string file,
                             const VariableLookup& variables = standardServerVariable);

}  // namespace tarnwick
