#include "catalogue/config_source.h"

#include "platform/environment.h"
#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kApplicationHost =
    "C:\\Windows\\System32\\inetsrv\\config\\applicationHost.config";
constexpr std::string_view kMetabase = "C:\\WINDOWS\\system32\\inetsrv\\MetaBase.xml";

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
    options.root = pathFromUtf8(value);
  } else if (option == "--config") {
    options.config = pathFromUtf8(value);
  } else if (value.size() >= 3 && isAsciiLetter(value[0]) && value[1] == '=') {
    options.drives.emplace_back(value[0], pathFromUtf8(value.substr(2)));
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
#ifdef _WIN32
  // On Windows a drive no option maps is this computer's drive of that letter.
  if (options.localServer())
    paths.useLocalServer();
  else
    paths.useLocalDrives();
#endif
  return paths;
}

std::string ConfigLocation::description() const {
  const auto neither = [&] {
    return looked.size() == 2 ? "neither " + looked[0] + " nor " + looked[1] + " exists"
                              : std::string("nothing found");
  };
  switch (status) {
    case Status::Found:
      return {};
    case Status::RootAndConfig:
      return "--root and --config cannot be used together";
    case Status::NotGiven:
      return "no site configuration given: use --root DIR (a copy of the server's system drive) "
             "or --config FILE";
    case Status::NotUnderRoot:
      return "no IIS configuration under the root: " + neither();
    case Status::NotInstalled:
      return "IIS is not installed on this computer: " + neither();
  }
  return {};
}

ConfigLocation locateConfig(const SourceOptions& options, const TextInput& input) {
  ConfigLocation location;
  location.paths = pathResolver(options);
  if (options.root && options.config) {
    location.status = ConfigLocation::Status::RootAndConfig;
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
      location.looked.push_back(file ? utf8Of(*file) : std::string(candidate));
    }
    location.status = ConfigLocation::Status::NotUnderRoot;
  } else if (const auto windows = windowsFolder()) {
    const fs::path inetsrv = *windows / "System32" / "inetsrv";
    for (const fs::path& candidate :
         {inetsrv / "config" / "applicationHost.config", inetsrv / "MetaBase.xml"}) {
      if (input.open(candidate).status != OpenedFile::Status::NotFound) {
        location.file = candidate;  // where it cannot be read, opening it says why
        return location;
      }
      location.looked.push_back(utf8Of(candidate));
    }
    location.status = ConfigLocation::Status::NotInstalled;
  } else {
    location.status = ConfigLocation::Status::NotGiven;
  }
  return location;
}

}  // namespace tarnwick
