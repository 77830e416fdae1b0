#include <windows.h>

#include "platform/folder_listing.h"
#include "platform/win32_text.h"

namespace tarnwick {

FolderContents SystemFolderListing::list(const std::filesystem::path& folder) const {
  FolderContents contents;
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    contents.status = FolderContents::Status::NotFound;
    contents.reason = attributes == INVALID_FILE_ATTRIBUTES ? "no such folder" : "not a folder";
    return contents;
  }
  WIN32_FIND_DATAW entry{};
  const std::wstring pattern = (folder / L"*").wstring();
  const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return contents;  // empty
    return {FolderContents::Status::Unreadable, {}, systemMessage(error)};
  }
  do {
    const std::wstring_view name = entry.cFileName;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      contents.names.push_back(narrow(name));
    else if (name != L"." && name != L"..")
      contents.others.push_back(narrow(name));
  } while (::FindNextFileW(find, &entry));
  const DWORD error = ::GetLastError();
  ::FindClose(find);
  if (error != ERROR_NO_MORE_FILES)
    return {FolderContents::Status::Unreadable, {}, systemMessage(error)};
  sortLikeWindows(contents.names);
  return contents;
}

}  // namespace tarnwick
