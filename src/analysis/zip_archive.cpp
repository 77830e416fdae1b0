#include "analysis/zip_archive.h"

#include <zlib.h>

#include <algorithm>

namespace tarnwick {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint32_t kZip64End = 0x06064b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
// Far more than any archive of logs holds: a directory past it is taken for damage.
constexpr std::uint64_t kLargestDirectory = 64u << 20;

std::uint64_t little(const unsigned char* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

// `size` bytes at `offset`, whole, or nothing.
bool readExactly(InputFile& file, std::uint64_t offset, std::size_t size,
                 std::vector<unsigned char>& out) {
  out.resize(size);
  std::size_t got = 0;
  while (got < size) {
    const std::ptrdiff_t n =
        file.readAt(reinterpret_cast<char*>(out.data()) + got, size - got, offset + got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

ZipListing damaged(std::string why) {
  ZipListing listing;
  listing.problem = "damaged archive: " + why;
  return listing;
}

}  // namespace

ZipListing listZip(InputFile& file) {
  const std::uint64_t size = file.size();
  if (size < 22) return damaged("too short for a zip archive");
  // The end record is in the last 64 kB and 22 bytes: a comment may follow it.
  const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(size, 65557));
  std::vector<unsigned char> end;
  if (!readExactly(file, size - tail, tail, end)) return damaged("read error");
  std::size_t at = tail - 22 + 1;
  do {
    --at;
  } while (at > 0 && little(&end[at], 4) != kEndOfDirectory);
  if (little(&end[at], 4) != kEndOfDirectory) return damaged("no zip directory");
  std::uint64_t entries = little(&end[at + 10], 2);
  std::uint64_t directorySize = little(&end[at + 12], 4);
  std::uint64_t directoryAt = little(&end[at + 16], 4);
  if ((entries == 0xFFFF || directorySize == 0xFFFFFFFF || directoryAt == 0xFFFFFFFF) && at >= 20 &&
      little(&end[at - 20], 4) == kZip64Locator) {
    std::vector<unsigned char> zip64;
    if (!readExactly(file, little(&end[at - 20 + 8], 8), 56, zip64) ||
        little(zip64.data(), 4) != kZip64End)
      return damaged("no zip64 directory");
    entries = little(&zip64[32], 8);
    directorySize = little(&zip64[40], 8);
    directoryAt = little(&zip64[48], 8);
  }
  if (directorySize > kLargestDirectory || directoryAt + directorySize > size)
    return damaged("its directory lies outside it");
  std::vector<unsigned char> directory;
  if (!readExactly(file, directoryAt, static_cast<std::size_t>(directorySize), directory))
    return damaged("read error");
  ZipListing listing;
  std::size_t p = 0;
  for (std::uint64_t k = 0; k < entries; ++k) {
    if (p + 46 > directory.size() || little(&directory[p], 4) != kDirectoryEntry)
      return damaged("a broken directory entry");
    ZipMember member;
    member.flags = static_cast<std::uint16_t>(little(&directory[p + 8], 2));
    member.method = static_cast<std::uint16_t>(little(&directory[p + 10], 2));
    member.crc = static_cast<std::uint32_t>(little(&directory[p + 16], 4));
    member.compressedSize = little(&directory[p + 20], 4);
    member.size = little(&directory[p + 24], 4);
    const std::size_t nameLength = static_cast<std::size_t>(little(&directory[p + 28], 2));
    const std::size_t extraLength = static_cast<std::size_t>(little(&directory[p + 30], 2));
    const std::size_t commentLength = static_cast<std::size_t>(little(&directory[p + 32], 2));
    member.headerOffset = little(&directory[p + 42], 4);
    if (p + 46 + nameLength + extraLength + commentLength > directory.size())
      return damaged("a broken directory entry");
    member.name.assign(reinterpret_cast<const char*>(&directory[p + 46]), nameLength);
    // Zip64 sizes and offset, in that order, for those the entry marks as too large.
    for (std::size_t e = p + 46 + nameLength; e + 4 <= p + 46 + nameLength + extraLength;) {
      const std::uint64_t id = little(&directory[e], 2);
      const std::size_t length = static_cast<std::size_t>(little(&directory[e + 2], 2));
      std::size_t field = e + 4;
      const std::size_t fieldEnd = std::min(e + 4 + length, directory.size());
      if (id == 1) {
        for (std::uint64_t* value : {&member.size, &member.compressedSize, &member.headerOffset})
          if (*value == 0xFFFFFFFF && field + 8 <= fieldEnd) {
            *value = little(&directory[field], 8);
            field += 8;
          }
      }
      e += 4 + length;
    }
    listing.members.push_back(std::move(member));
    p += 46 + nameLength + extraLength + commentLength;
  }
  listing.ok = true;
  return listing;
}

struct ZipMemberStream::Inflater {
  z_stream stream{};
  bool ready = false;
};

ZipMemberStream::ZipMemberStream(std::unique_ptr<InputFile> archive, ZipMember member)
    : archive_(std::move(archive)),
      member_(std::move(member)),
      inflater_(std::make_unique<Inflater>()),
      input_(1 << 16) {}

ZipMemberStream::~ZipMemberStream() {
  if (inflater_->ready) inflateEnd(&inflater_->stream);
}

std::ptrdiff_t ZipMemberStream::fail(std::string why) {
  problem_ = "damaged archive: " + why;
  return -1;
}

bool ZipMemberStream::refuse(std::string why) {
  fail(std::move(why));
  return false;
}

bool ZipMemberStream::start() {
  started_ = true;
  if (member_.flags & 1) return refuse("its member is encrypted");
  if (member_.method != 0 && member_.method != 8)
    return refuse("its member is compressed by method " + std::to_string(member_.method));
  std::vector<unsigned char> header;
  if (!readExactly(*archive_, member_.headerOffset, 30, header) ||
      little(header.data(), 4) != kLocalHeader)
    return refuse("a member's header is missing");
  dataAt_ = member_.headerOffset + 30 + little(&header[26], 2) + little(&header[28], 2);
  dataLeft_ = member_.compressedSize;
  if (member_.method == 8) {
    inflater_->ready = inflateInit2(&inflater_->stream, -15) == Z_OK;  // raw deflate
    if (!inflater_->ready) return refuse("cannot start zlib");
  }
  return true;
}

std::ptrdiff_t ZipMemberStream::readAt(char* buffer, std::size_t size, std::uint64_t offset) {
  if (offset != contentAt_) {
    problem_ = "an archive is read in order";
    return -1;
  }
  if (!started_ && !start()) return -1;
  if (!problem_.empty()) return -1;
  std::size_t produced = 0;
  if (member_.method == 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, dataLeft_));
    while (produced < want) {
      const std::ptrdiff_t got = archive_->readAt(buffer + produced, want - produced, dataAt_);
      if (got <= 0) return fail("it ends before its member does");
      produced += static_cast<std::size_t>(got);
      dataAt_ += static_cast<std::uint64_t>(got);
      dataLeft_ -= static_cast<std::uint64_t>(got);
    }
    ended_ = dataLeft_ == 0;
  } else {
    z_stream& z = inflater_->stream;
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    while (z.avail_out > 0 && !ended_) {
      if (z.avail_in == 0 && dataLeft_ > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(input_.size(), dataLeft_));
        const std::ptrdiff_t got =
            archive_->readAt(reinterpret_cast<char*>(input_.data()), want, dataAt_);
        if (got <= 0) return fail("it ends before its member does");
        dataAt_ += static_cast<std::uint64_t>(got);
        dataLeft_ -= static_cast<std::uint64_t>(got);
        z.next_in = input_.data();
        z.avail_in = static_cast<uInt>(got);
      }
      const int status = inflate(&z, Z_NO_FLUSH);
      if (status == Z_STREAM_END) {
        ended_ = true;
      } else if (status == Z_BUF_ERROR && z.avail_in == 0 && dataLeft_ == 0) {
        return fail("its member is cut short");
      } else if (status != Z_OK && status != Z_BUF_ERROR) {
        return fail(z.msg ? z.msg : "not deflate data");
      }
    }
    produced = static_cast<std::size_t>(reinterpret_cast<char*>(z.next_out) - buffer);
  }
  crc_ = static_cast<std::uint32_t>(
      crc32(crc_, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(produced)));
  contentAt_ += produced;
  if (produced == 0 && ended_ && (crc_ != member_.crc || contentAt_ != member_.size))
    return fail("its member's checksum does not match");
  return static_cast<std::ptrdiff_t>(produced);
}

}  // namespace tarnwick
