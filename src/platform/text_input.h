#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tarnwick {

// One regular file open for reading; closed when destroyed. Reads at an offset, so that
// several threads can read parts of the same file at once.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes at `offset` into `buffer`: the number read, 0 at the end,
  // -1 on failure.
  virtual std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) = 0;
  // The file's size when it was opened; it may grow or shrink while it is read.
  virtual std::uint64_t size() const = 0;
  // The file's size now, asked of the system again: a log the server still writes grows.
  virtual std::uint64_t currentSize() const { return size(); }
};

// What opening a file gave.
struct OpenedFile {
  enum class Status {
    Ok,
    NotFound,  // nothing at that path
    NotAFile,  // something other than a regular file: a folder, a pipe, a device
    Denied,    // no permission, or another process holds it exclusively
    Failed,    // any other failure
  };

  Status status = Status::NotFound;
  std::unique_ptr<InputFile> file;  // set where status is Ok
  std::string reason;               // what went wrong, in a few English words

  bool ok() const { return status == Status::Ok; }
};

// Opens local files for reading. Nothing is ever written.
class TextInput {
 public:
  virtual ~TextInput() = default;
  // The regular file at `path`. Anything else is refused without being opened, so a
  // pipe or a device can never block the program.
  virtual OpenedFile open(const std::filesystem::path& path) const = 0;
  // The same for a file a folder listing has just shown to be a regular file: its kind
  // is not looked up again before opening, only checked once it is open, which is one
  // call less for each of a folder's many small files.
  virtual OpenedFile openListed(const std::filesystem::path& path) const { return open(path); }
  // Whether `path` names a regular file.
  virtual bool isFile(const std::filesystem::path& path) const = 0;
};

// Plain reads through the operating system, never memory-mapped: a log that shrinks
// while it is read just ends early. Other processes may go on writing the file.
class SystemTextInput final : public TextInput {
 public:
  OpenedFile open(const std::filesystem::path& path) const override;
  OpenedFile openListed(const std::filesystem::path& path) const override;
  bool isFile(const std::filesystem::path& path) const override;
};

}  // namespace tarnwick
