#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/archive_stream.h"

namespace tarnwick {

// The content of a gzip file (one member or several, as `gzip -c a b > c` writes them),
// read in order as it is inflated: an archive of any size costs a few hundred kB of
// memory, and its expanded size only time. Reads must follow each other, from 0.
class GzipStream final : public ArchiveStream {
 public:
  explicit GzipStream(std::unique_ptr<InputFile> compressed);
  ~GzipStream() override;
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // The next bytes of the content: -1 where the archive is damaged or cut short, or
  // where `offset` is not where the last read ended.
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override;

 private:
  bool refill();

  std::unique_ptr<InputFile> compressed_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;
  std::vector<unsigned char> input_;
  std::uint64_t compressedAt_ = 0;
  std::uint64_t contentAt_ = 0;
  bool ended_ = false;
};

}  // namespace tarnwick
