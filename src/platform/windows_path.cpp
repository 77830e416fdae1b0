#include "platform/windows_path.h"

#include <system_error>
#include <vector>

#include "platform/text_compare.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

char upperLetter(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSeparator(char c) {
  return c == '\\' || c == '/';
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

// Whether `text` starts like a Windows drive path or a UNC path.
bool isWindowsPath(std::string_view text) {
  if (text.size() >= 2 && isLetter(text[0]) && text[1] == ':') return true;
  return text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1]);
}

// `name` inside `folder`: the entry whose name equals it ignoring case, preferring
// an exact match; `name` itself where there is none.
fs::path findIgnoringCase(const fs::path& folder, std::string_view name) {
  std::error_code error;
  const fs::path exact = folder / fs::path(std::string(name));
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  fs::directory_iterator entry(folder, error), end;
  for (; !error && entry != end; entry.increment(error)) {
    if (equalsIgnoringCase(entry->path().filename().string(), name)) return entry->path();
  }
  return exact;
}

}  // namespace

void PathResolver::mapDrive(char letter, fs::path folder) {
  drives_[upperLetter(letter)] = std::move(folder);
}

std::optional<fs::path> PathResolver::drive(char letter) const {
  const auto found = drives_.find(upperLetter(letter));
  if (found == drives_.end()) return std::nullopt;
  return found->second;
}

std::optional<fs::path> PathResolver::resolve(std::string_view text) const {
  if (!isWindowsPath(text)) return fs::path(std::string(text));
  if (!isLetter(text[0])) return std::nullopt;  // UNC: no share is ever mapped
#ifdef _WIN32
  if (drives_.empty()) return fs::path(std::string(text));
#endif
  const auto root = drive(text[0]);
  if (!root) return std::nullopt;
  fs::path local = *root;
  std::string key(1, upperLetter(text[0]));
  const auto parts = components(text.substr(2));
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool folder = i + 1 < parts.size();
    if (folder) {
      key += '\\' + asciiUpper(parts[i]);
      if (const auto known = folders_.find(key); known != folders_.end()) {
        local = known->second;
        continue;
      }
    }
    local = findIgnoringCase(local, parts[i]);
    std::error_code error;
    if (folder && fs::is_directory(local, error)) folders_[key] = local;
  }
  return local;
}

}  // namespace tarnwick
