#include "platform/windows_path.h"

#include <cstdint>
#include <system_error>
#include <vector>

#include "platform/utf8_path.h"
#include "text/text.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

bool isDrivePath(std::string_view text) {
  return text.size() >= 2 && isAsciiLetter(text[0]) && text[1] == ':';
}

bool isUncPath(std::string_view text) {
  return text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1]);
}

// "%NAME%" with a name of letters, digits and the usual punctuation of variable names.
bool holdsVariable(std::string_view text) {
  for (std::size_t open = text.find('%'); open != std::string_view::npos;
       open = text.find('%', open + 1)) {
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) return false;
    const std::string_view name = text.substr(open + 1, close - open - 1);
    bool plausible = !name.empty();
    for (const char c : name)
      plausible = plausible && (isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' ||
                                c == '(' || c == ')' || c == '-' || c == '.');
    if (plausible) return true;
  }
  return false;
}

// The components after the drive, with "." dropped and ".." applied (never above the root).
std::vector<std::string_view> components(std::string_view rest) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    const std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

// Longest path Windows itself can open, in characters; a longer text names nothing.
constexpr std::size_t kLongestWindowsPath = 32767;

}  // namespace

PathResolver::PathResolver(const PathResolver& other)
    : drives_(other.drives_), localDrives_(other.localDrives_), localServer_(other.localServer_) {}

PathResolver& PathResolver::operator=(const PathResolver& other) {
  if (this == &other) return *this;
  std::scoped_lock lock(mutex_);
  drives_ = other.drives_;
  localDrives_ = other.localDrives_;
  localServer_ = other.localServer_;
  found_.clear();
  children_.clear();
  listings_.clear();
  return *this;
}

void PathResolver::mapDrive(char letter, fs::path folder) {
  drives_[asciiUpper(letter)] = std::move(folder);
}

std::optional<fs::path> PathResolver::drive(char letter) const {
  const auto found = drives_.find(asciiUpper(letter));
  if (found == drives_.end()) return std::nullopt;
  return found->second;
}

std::string PathResolver::whyUnresolved(std::string_view text) const {
  if (holdsVariable(text)) return "holds a variable that is not set";
  if (text.size() > kLongestWindowsPath) return "longer than any Windows path";
  if (isUncPath(text)) return "a network path, not on a drive that is mapped";
  if (!isDrivePath(text)) return "not a full Windows path";
  return "on drive " + std::string(1, asciiUpper(text[0])) + ": which is not mapped";
}

fs::path PathResolver::findIgnoringCase(const fs::path& folder, std::string_view name) const {
  std::error_code error;
  const fs::path exact = folder / pathFromUtf8(name);
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  const fs::file_time_type changed = fs::last_write_time(folder, error);
  if (error) return exact;  // no such folder: nothing inside it either
  auto listing = listings_.find(folder);
  if (listing == listings_.end() || listing->second.changed != changed) {
    Listing fresh{{}, changed};
    fs::directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
      const std::string entryName = utf8Of(entry->path().filename());
      fresh.names.emplace(asciiUpper(entryName), entryName);
    }
    listing = listings_.insert_or_assign(folder, std::move(fresh)).first;
  }
  const auto match = listing->second.names.find(asciiUpper(name));
  return match == listing->second.names.end() ? exact : folder / pathFromUtf8(match->second);
}

std::optional<fs::path> PathResolver::resolve(std::string_view text) const {
  if (holdsVariable(text) || text.size() > kLongestWindowsPath) return std::nullopt;
  if (isUncPath(text)) return localServer_ ? std::optional(pathFromUtf8(text)) : std::nullopt;
  if (!isDrivePath(text)) return std::nullopt;
  const auto root = drive(text[0]);
  // This computer's own drive: Windows finds names whatever their case.
  if (!root) return localDrives_ ? std::optional(pathFromUtf8(text)) : std::nullopt;
  const std::scoped_lock lock(mutex_);

  // The drive's root is a folder of its own, keyed by its letter under no parent.
  const auto rootKey = std::pair(SIZE_MAX, std::string(1, asciiUpper(text[0])));
  auto [known, added] = children_.try_emplace(rootKey, found_.size());
  if (added) found_.push_back(*root);
  std::size_t folder = known->second;

  const auto parts = components(text.substr(2));
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i + 1 == parts.size()) return findIgnoringCase(found_[folder], parts[i]);
    const auto key = std::pair(folder, asciiUpper(parts[i]));
    if (const auto child = children_.find(key); child != children_.end()) {
      folder = child->second;
      continue;
    }
    fs::path next = findIgnoringCase(found_[folder], parts[i]);
    std::error_code error;
    if (!fs::is_directory(next, error)) {
      // A folder that is not there holds nothing: the rest is appended as written, at once.
      std::string rest;
      for (std::size_t k = i + 1; k < parts.size(); ++k)
        (rest += parts[k]) += static_cast<char>(fs::path::preferred_separator);
      if (!rest.empty()) rest.pop_back();
      return rest.empty() ? next : next / pathFromUtf8(rest);
    }
    children_.emplace(key, found_.size());
    folder = found_.size();
    found_.push_back(std::move(next));
  }
  return found_[folder];
}

}  // namespace tarnwick
