#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/text_input.h"

namespace tarnwick {

namespace {

class PosixFile final : public InputFile {
 public:
  PosixFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    for (;;) {
      const ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
      if (n >= 0) return n;
      if (errno != EINTR) return -1;
    }
  }
  std::uint64_t size() const override { return size_; }
  std::uint64_t currentSize() const override {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : size_;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

// What a file that is not a regular one is, for the message.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder, not a file";
  if (S_ISFIFO(mode)) return "a named pipe, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
  if (S_ISSOCK(mode)) return "a socket, not a file";
  return "not a regular file";
}

OpenedFile failure(int error) {
  OpenedFile result;
  if (error == ENOENT || error == ENOTDIR) {
    result.status = OpenedFile::Status::NotFound;
    result.reason = "no such file";
  } else if (error == EACCES || error == EPERM) {
    result.status = OpenedFile::Status::Denied;
    result.reason = "access denied";
  } else {
    result.status = OpenedFile::Status::Failed;
    result.reason = std::strerror(error);
  }
  return result;
}

OpenedFile notAFile(mode_t mode) {
  OpenedFile result;
  result.status = OpenedFile::Status::NotAFile;
  result.reason = kindOf(mode);
  return result;
}

}  // namespace

OpenedFile SystemTextInput::open(const std::filesystem::path& path) const {
  // The kind is checked before opening: opening a pipe or some devices blocks.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return failure(errno);
  if (!S_ISREG(info.st_mode)) return notAFile(info.st_mode);
  return openListed(path);
}

OpenedFile SystemTextInput::openListed(const std::filesystem::path& path) const {
  // Non-blocking, for a file swapped for a pipe since it was listed; on a regular file
  // the flag changes nothing, so it stays set.
  struct stat info {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return failure(errno);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return notAFile(info.st_mode);
  }
#ifdef POSIX_FADV_SEQUENTIAL
  // A wider read-ahead pays off on a big file; on a small one it is a wasted call.
  if (info.st_size > (4 << 20)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  OpenedFile result;
  result.status = OpenedFile::Status::Ok;
  result.file = std::make_unique<PosixFile>(fd, static_cast<std::uint64_t>(info.st_size));
  return result;
}

bool SystemTextInput::isFile(const std::filesystem::path& path) const {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace tarnwick
