#include "analysis/gzip_stream.h"

#include <zlib.h>

#include <algorithm>

namespace tarnwick {

struct GzipStream::Inflater {
  z_stream stream{};
  bool ready = false;
  bool inMember = false;  // inside a member, its end not reached
};

GzipStream::GzipStream(std::unique_ptr<InputFile> compressed)
    : compressed_(std::move(compressed)), inflater_(std::make_unique<Inflater>()), input_(1 << 16) {
  // 15 window bits, +16: a gzip header and trailer around the deflate stream.
  inflater_->ready = inflateInit2(&inflater_->stream, 15 + 16) == Z_OK;
  if (!inflater_->ready) problem_ = "cannot start zlib";
}

GzipStream::~GzipStream() {
  if (inflater_->ready) inflateEnd(&inflater_->stream);
}

bool GzipStream::refill() {
  const std::ptrdiff_t got =
      compressed_->readAt(reinterpret_cast<char*>(input_.data()), input_.size(), compressedAt_);
  if (got < 0) {
    problem_ = "read error";
    return false;
  }
  compressedAt_ += static_cast<std::uint64_t>(got);
  inflater_->stream.next_in = input_.data();
  inflater_->stream.avail_in = static_cast<uInt>(got);
  return true;
}

std::ptrdiff_t GzipStream::readAt(char* buffer, std::size_t size, std::uint64_t offset) {
  if (!inflater_->ready) return -1;
  if (offset != contentAt_) {
    problem_ = "an archive is read in order";
    return -1;
  }
  z_stream& z = inflater_->stream;
  z.next_out = reinterpret_cast<Bytef*>(buffer);
  z.avail_out = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
  while (z.avail_out > 0 && !ended_) {
    if (z.avail_in == 0) {
      if (!refill()) return -1;
      if (z.avail_in == 0) {
        // The file ended: well between members, cut short inside one.
        if (inflater_->inMember || compressedAt_ == 0) {
          problem_ = compressedAt_ == 0 ? "damaged archive: empty"
                                        : "damaged archive: it ends before its content does";
          return -1;
        }
        ended_ = true;
        break;
      }
    }
    inflater_->inMember = true;
    const int status = inflate(&z, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      inflater_->inMember = false;
      inflateReset(&z);  // another member may follow
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      problem_ = std::string("damaged archive: ") + (z.msg ? z.msg : "not gzip data");
      return -1;
    }
  }
  const std::size_t produced =
      static_cast<std::size_t>(reinterpret_cast<char*>(z.next_out) - buffer);
  contentAt_ += produced;
  return static_cast<std::ptrdiff_t>(produced);
}

}  // namespace tarnwick
