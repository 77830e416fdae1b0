#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text_input.h"
#include "platform/windows_path.h"

namespace tarnwick {

// Where the site configuration comes from, as given on the command line.
struct SourceOptions {
  std::optional<std::filesystem::path> root;    // --root DIR: a copy of the system drive
  std::optional<std::filesystem::path> config;  // --config FILE
  std::vector<std::pair<char, std::filesystem::path>> drives;  // --drive X=DIR, in order

  // Whether none is given: the program reads the server it runs on.
  bool localServer() const { return !root && !config && drives.empty(); }
};

// Takes the source option at args[index] with its value, advancing `index` past what it
// used. Returns false, leaving `index`, where args[index] is not a source option; sets
// `error` where it is one but its value is missing or malformed.
bool takeSourceOption(std::span<const std::string_view> args, std::size_t& index,
                      SourceOptions& options, std::string& error);

// Arguments that are all source options; `error` names the first problem, if any.
SourceOptions parseSourceOptions(std::span<const std::string_view> args, std::string& error);

// The configuration file to read and the drive mappings that resolve its paths.
struct ConfigLocation {
  enum class Status {
    Found,
    RootAndConfig,  // --root and --config together: wrong usage
    NotGiven,       // off Windows, neither --root nor --config: wrong usage
    NotUnderRoot,   // neither configuration file under --root
    NotInstalled,   // on Windows, neither configuration file at its standard place
  };

  Status status = Status::Found;
  std::filesystem::path file;  // empty unless Found
  PathResolver paths;
  std::vector<std::string> looked;  // the files looked for, where none was found

  bool ok() const { return status == Status::Found; }
  // Whether the options were given wrongly.
  bool usage() const { return status == Status::RootAndConfig || status == Status::NotGiven; }
  // What is wrong, in one English line.
  std::string description() const;
};

// Finds the configuration: under --root (applicationHost.config, then MetaBase.xml),
// or --config, or on Windows at the server's standard place.
ConfigLocation locateConfig(const SourceOptions& options, const TextInput& input);

// The drive mappings alone, for reading files without a configuration.
PathResolver pathResolver(const SourceOptions& options);

}  // namespace tarnwick
