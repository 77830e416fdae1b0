#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnwick {

// Turns the Windows paths of a server's configuration ("C:\inetpub\logs\") into local
// paths, through a copy or mount of each of its drives. Only used where a file or
// folder is opened; the texts shown and passed around stay as the server wrote them.
// Safe to share between threads: the folders it remembers are kept under a lock.
class PathResolver {
 public:
  PathResolver() = default;
  // A copy maps the same drives and remembers nothing yet.
  PathResolver(const PathResolver& other);
  PathResolver& operator=(const PathResolver& other);

  // Windows drive `letter` (any case) is the local folder `folder`.
  void mapDrive(char letter, std::filesystem::path folder);

  // A drive no mapping names is this computer's drive of that letter. Windows only.
  void useLocalDrives() { localDrives_ = true; }
  // The program runs on the server itself: network paths are read as they stand too.
  // Windows only.
  void useLocalServer() { localServer_ = localDrives_ = true; }

  // The local folder of a mapped drive.
  std::optional<std::filesystem::path> drive(char letter) const;

  // The local path of server path `text`. A drive path ("X:\..." or "X:/...") goes through
  // its drive's mapping, backslashes as separators, each component matched ignoring case;
  // "." and ".." are applied within the drive. Nothing for a path on an unmapped drive,
  // a UNC path (unless on the local server), a path with no drive, or one that still
  // holds an unexpanded %VARIABLE%: such a path names nothing that can be read here.
  std::optional<std::filesystem::path> resolve(std::string_view text) const;

  // Why resolve() gives nothing for `text`, in a few English words.
  std::string whyUnresolved(std::string_view text) const;

 private:
  std::map<char, std::filesystem::path> drives_;
  bool localDrives_ = false;
  bool localServer_ = false;
  // What one folder holds, by name in upper case, and when it last changed.
  struct Listing {
    std::unordered_map<std::string, std::string> names;
    std::filesystem::file_time_type changed;
  };
  // `name` inside local folder `folder`, matched ignoring case; `name` itself where
  // nothing matches.
  std::filesystem::path findIgnoringCase(const std::filesystem::path& folder,
                                         std::string_view name) const;

  // Folders already found, each by its parent's index and its name in upper case: every
  // file of a log folder goes through the same folders. Each folder is listed once, and
  // again only where a name is not in it and it has changed since, so a path costs
  // time in proportion to its length, and a site in proportion to its own folders.
  mutable std::vector<std::filesystem::path> found_;
  mutable std::map<std::pair<std::size_t, std::string>, std::size_t> children_;
  mutable std::map<std::filesystem::path, Listing> listings_;
  mutable std::mutex mutex_;  // over the three above
};

}  // namespace tarnwick
