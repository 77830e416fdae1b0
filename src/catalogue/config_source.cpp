#include "catalogue/config_source.h"

#include <cstdlib>

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kApplicationHost =
    "C:\\Windows\\System32\\inetsrv\\config\\applicationHost.config";
constexpr std::string_view kMetabase = "C:\\WINDOWS\\system32\\inetsrv\\MetaBase.xml";

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool takeSourceOption(std::span<const std::string_view> args, std::size_t& index,
                      SourceOptions& options, std::string& error) {
  const std::string_view option = args[index];
  if (option != "--root" && option != "--config" && option != "--drive") return false;
  if (index + 1 >= args.size() || args[index + 1].empty()) {
    error = std::string(option) + " needs a value";
    index += 1;
    return true;
  }
  const std::string_view value = args[index + 1];
  index += 2;
  if (option == "--root") {
    options.root = fs::path(std::string(value));
  } else if (option == "--config") {
    options.config = fs::path(std::string(value));
  } else if (value.size() >= 3 && isLetter(value[0]) && value[1] == '=') {
    options.drives.emplace_back(value[0], fs::path(std::string(value.substr(2))));
  } else {
    error = "--drive takes X=DIR, not \"" + std::string(value) + "\"";
  }
  return true;
}

SourceOptions parseSourceOptions(std::span<const std::string_view> args, std::string& error) {
  SourceOptions options;
  for (std::size_t i = 0; i < args.size() && error.empty();)
    if (!takeSourceOption(args, i, options, error))
      error = "unknown option \"" + std::string(args[i]) + "\"";
  return options;
}

PathResolver pathResolver(const SourceOptions& options) {
  PathResolver paths;
  if (options.root) paths.mapDrive('C', *options.root);
  for (const auto& [letter, folder] : options.drives) paths.mapDrive(letter, folder);
  return paths;
}

ConfigLocation locateConfig(const SourceOptions& options, const TextInput& input) {
  ConfigLocation location;
  location.paths = pathResolver(options);
  if (options.root && options.config) {
    location.error = "--root and --config cannot be used together";
    location.usage = true;
  } else if (options.config) {
    location.file = *options.config;
  } else if (options.root) {
    PathResolver underRoot;
    underRoot.mapDrive('C', *options.root);
    for (const std::string_view candidate : {kApplicationHost, kMetabase}) {
      const auto file = underRoot.resolve(candidate);
      if (file && input.isFile(*file)) {
        location.file = *file;
        return location;
      }
    }
    location.error = "no IIS configuration under " + options.root->string() +
                     " (looked for Windows\\System32\\inetsrv\\config\\applicationHost.config "
                     "and WINDOWS\\system32\\inetsrv\\MetaBase.xml)";
  } else {
#ifdef _WIN32
    const char* windir = std::getenv("windir");
    const fs::path system = fs::path(windir ? windir : "C:\\Windows") / "System32" / "inetsrv";
    location.file = system / "config" / "applicationHost.config";
    if (!input.isFile(location.file)) location.file = system / "MetaBase.xml";
#else
    location.error =
        "no site configuration given: use --root DIR (a copy of the server's "
        "system drive) or --config FILE";
    location.usage = true;
#endif
  }
  return location;
}

}  // namespace tarnwick
