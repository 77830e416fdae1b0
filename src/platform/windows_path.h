#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string_view>

namespace tarnwick {

// Turns the Windows paths of a server's configuration ("C:\inetpub\logs\") into local
// paths, through a copy or mount of each of its drives. Only used where a file or
// folder is opened; the texts shown and passed around stay as the server wrote them.
class PathResolver {
 public:
  // Windows drive `letter` (any case) is the local folder `folder`.
  void mapDrive(char letter, std::filesystem::path folder);

  // The local folder of a mapped drive.
  std::optional<std::filesystem::path> drive(char letter) const;

  // The local path of `text`. A Windows path ("X:\..." or "X:/...") goes through its
  // drive's mapping, backslashes as separators, each component matched ignoring case;
  // "." and ".." are applied within the drive. A path on an unmapped drive, or a UNC
  // path, resolves to nothing. Anything else is taken as a local path unchanged.
  std::optional<std::filesystem::path> resolve(std::string_view text) const;

 private:
  std::map<char, std::filesystem::path> drives_;
  // Folders already found, by their Windows path in upper case: every file of a log
  // folder goes through the same folders, and a system folder may hold thousands of
  // entries to compare. Files are not kept: they come and go.
  mutable std::map<std::string, std::filesystem::path> folders_;
};

}  // namespace tarnwick
