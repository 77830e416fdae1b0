#include "platform/whole_file.h"

#include <vector>

namespace tarnwick {

WholeFile readWholeFile(const std::filesystem::path& path, const TextInput& input,
                        std::uint64_t limit) {
  WholeFile whole;
  OpenedFile opened = input.open(path);
  if (!opened.ok()) {
    whole.status = WholeFile::Status::Unreadable;
    whole.reason = opened.reason;
    return whole;
  }
  if (opened.file->size() > limit) {
    whole.status = WholeFile::Status::TooLarge;
    whole.reason = "larger than " + std::to_string(limit >> 20) + " MB";
    return whole;
  }
  std::vector<char> block(1 << 16);
  for (;;) {
    const std::ptrdiff_t n = opened.file->readAt(block.data(), block.size(), whole.text.size());
    if (n < 0) {
      whole.status = WholeFile::Status::Unreadable;
      whole.reason = "read error";
      return whole;
    }
    if (n == 0) break;
    if (whole.text.size() + static_cast<std::size_t>(n) > limit) {
      whole.status = WholeFile::Status::TooLarge;
      whole.reason = "larger than " + std::to_string(limit >> 20) + " MB";
      whole.text.clear();
      return whole;
    }
    whole.text.append(block.data(), static_cast<std::size_t>(n));
  }
  return whole;
}

}  // namespace tarnwick
