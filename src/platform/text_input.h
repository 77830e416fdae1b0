#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

namespace tarnwick {

// One file open for sequential reading; closed when destroyed.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes into `buffer`: the number read, 0 at the end, -1 on failure.
  virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
};

// Opens local files for reading. Nothing is ever written.
class TextInput {
 public:
  virtual ~TextInput() = default;
  // The regular file at `path`, or nothing where it cannot be opened.
  virtual std::unique_ptr<InputFile> open(const std::filesystem::path& path) const = 0;
  // Whether `path` names a regular file.
  virtual bool isFile(const std::filesystem::path& path) const = 0;
};

// Plain reads through the operating system, never memory-mapped: a log that
// shrinks while it is read just ends early.
class SystemTextInput final : public TextInput {
 public:
  std::unique_ptr<InputFile> open(const std::filesystem::path& path) const override;
  bool isFile(const std::filesystem::path& path) const override;
};

}  // namespace tarnwick
