#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/archive_stream.h"

namespace tarnwick {

// One file in a zip archive, as its central directory describes it.
struct ZipMember {
  std::string name;  // as stored, "/" between folders
  std::uint16_t flags = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t headerOffset = 0;  // of its local header
};

// The files of a zip archive, or why they cannot be listed.
struct ZipListing {
  bool ok = false;
  std::string problem;  // "damaged archive: …", where not ok
  std::vector<ZipMember> members;
};

// Reads the central directory of the zip archive `file` (zip64 too).
ZipListing listZip(InputFile& file);

// The content of one member of a zip archive, inflated as it is read; its CRC and size
// are checked at its end, so that a damaged member never passes for a whole one.
class ZipMemberStream final : public ArchiveStream {
 public:
  ZipMemberStream(std::unique_ptr<InputFile> archive, ZipMember member);
  ~ZipMemberStream() override;
  ZipMemberStream(const ZipMemberStream&) = delete;
  ZipMemberStream& operator=(const ZipMemberStream&) = delete;

  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override;

 private:
  bool start();
  std::ptrdiff_t fail(std::string why);
  bool refuse(std::string why);

  std::unique_ptr<InputFile> archive_;
  ZipMember member_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;
  std::vector<unsigned char> input_;
  bool started_ = false;
  bool ended_ = false;
  std::uint64_t dataAt_ = 0;    // the next compressed byte to read
  std::uint64_t dataLeft_ = 0;  // compressed bytes not read yet
  std::uint64_t contentAt_ = 0;
  std::uint32_t crc_ = 0;
};

}  // namespace tarnwick
