#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/text_input.h"

namespace tarnwick {

// A small file read at once.
struct WholeFile {
  enum class Status { Ok, Unreadable, TooLarge };

  Status status = Status::Ok;
  std::string text;    // the bytes, where Ok
  std::string reason;  // why it could not be read, in a few English words

  bool ok() const { return status == Status::Ok; }
};

// The bytes of the regular file at `path`, refused past `limit` bytes (also where it
// grows past them while it is read).
WholeFile readWholeFile(const std::filesystem::path& path, const TextInput& input,
                        std::uint64_t limit);

}  // namespace tarnwick
