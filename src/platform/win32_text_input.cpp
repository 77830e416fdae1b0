#include <windows.h>

#include "platform/text_input.h"
#include "platform/win32_text.h"

namespace tarnwick {

namespace {

class Win32File final : public InputFile {
 public:
  Win32File(HANDLE handle, std::uint64_t size) : handle_(handle), size_(size) {}
  ~Win32File() override { ::CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  // The offset travels with each read, so that threads share the handle safely.
  std::ptrdiff_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (::ReadFile(handle_, buffer, want, &got, &at)) return static_cast<std::ptrdiff_t>(got);
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  std::uint64_t size() const override { return size_; }
  std::uint64_t currentSize() const override {
    LARGE_INTEGER now{};
    return ::GetFileSizeEx(handle_, &now) ? static_cast<std::uint64_t>(now.QuadPart) : size_;
  }

 private:
  HANDLE handle_;
  std::uint64_t size_;
};

OpenedFile failure(DWORD error) {
  OpenedFile result;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      result.status = OpenedFile::Status::NotFound;
      result.reason = "no such file";
      break;
    case ERROR_ACCESS_DENIED:
      result.status = OpenedFile::Status::Denied;
      result.reason = "access denied";
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      result.status = OpenedFile::Status::Denied;
      result.reason = "held by another process";
      break;
    default:
      result.status = OpenedFile::Status::Failed;
      result.reason = systemMessage(error);
  }
  return result;
}

OpenedFile notAFile(const char* what) {
  OpenedFile result;
  result.status = OpenedFile::Status::NotAFile;
  result.reason = what;
  return result;
}

}  // namespace

OpenedFile SystemTextInput::open(const std::filesystem::path& path) const {
  // The kind is checked before opening: a pipe or a device is never opened.
  const std::wstring name = path.wstring();
  if (name.starts_with(L"\\\\.\\") || name.starts_with(L"//./"))
    return notAFile("a device, not a file");
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &attributes))
    return failure(::GetLastError());
  if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return notAFile("a folder, not a file");
  return openListed(path);
}

OpenedFile SystemTextInput::openListed(const std::filesystem::path& path) const {
  // Others may go on writing and deleting it: IIS holds today's log open for writing.
  const HANDLE handle = ::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A folder cannot be opened this way at all; say what it is, not "access denied".
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return notAFile("a folder, not a file");
    return failure(error);
  }
  // A name such as CON or NUL opens a device: refused before anything is read.
  const DWORD type = ::GetFileType(handle);
  LARGE_INTEGER size{};
  if (type != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
    ::CloseHandle(handle);
    return notAFile(type == FILE_TYPE_PIPE ? "a named pipe, not a file" : "a device, not a file");
  }
  OpenedFile result;
  result.status = OpenedFile::Status::Ok;
  result.file = std::make_unique<Win32File>(handle, static_cast<std::uint64_t>(size.QuadPart));
  return result;
}

bool SystemTextInput::isFile(const std::filesystem::path& path) const {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tarnwick
