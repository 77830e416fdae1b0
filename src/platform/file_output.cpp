#include "platform/file_output.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace tarnwick {

namespace {

// A file that did not exist before, or nothing with errno set.
std::FILE* createNew(const std::filesystem::path& path) {
#ifdef _WIN32
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ::GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (descriptor < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  return ::_fdopen(descriptor, "wb");
#else
  return std::fopen(path.c_str(), "wbx");
#endif
}

// Gives `from` the name `to`, replacing what is there.
std::string replace(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return {};
  return std::system_category().message(static_cast<int>(::GetLastError()));
#else
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return error ? error.message() : std::string();
#endif
}

}  // namespace

std::string WriteResult::description() const {
  switch (status) {
    case Status::Ok:
      return {};
    case Status::CannotCreate:
      return "cannot create a file there (" + reason + ")";
    case Status::WriteFailed:
      return "write error (" + reason + ")";
    case Status::CannotReplace:
      return "cannot replace the file (" + reason + ")";
  }
  return reason;
}

WholeFileWriter::WholeFileWriter(std::filesystem::path path) : path_(std::move(path)) {
  std::random_device random;
  for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
    temporary_ = path_;
    temporary_ += ".tmp" + std::to_string(random() % 1000000);
    file_ = createNew(temporary_);
    if (!file_ && errno != EEXIST) break;
  }
  if (!file_) result_ = {WriteResult::Status::CannotCreate, std::strerror(errno)};
}

WholeFileWriter::~WholeFileWriter() {
  if (file_) std::fclose(file_);
  // Once committed, the temporary file has the chosen name and is gone from here.
  if (!temporary_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }
}

bool WholeFileWriter::write(std::string_view text) {
  if (!result_.ok()) return false;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
    result_ = {WriteResult::Status::WriteFailed, std::strerror(errno)};
  return result_.ok();
}

WriteResult WholeFileWriter::commit() {
  if (!result_.ok()) return result_;
  const bool flushed = std::fflush(file_) == 0;
  const int error = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed)
    return result_ = {WriteResult::Status::WriteFailed, std::strerror(error)};
  if (std::string why = replace(temporary_, path_); !why.empty())
    return result_ = {WriteResult::Status::CannotReplace, std::move(why)};
  return result_;
}

WriteResult writeFileWhole(const std::filesystem::path& path, std::string_view content) {
  WholeFileWriter writer(path);
  writer.write(content);
  return writer.commit();
}

}  // namespace tarnwick
