#include "app/win32/win32_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32_text.h"

namespace tarnwick {

MessageDialog::Answer Win32MessageDialog::show(std::string_view text, Buttons buttons,
                                               std::string_view title) {
  const UINT type =
      (buttons == Buttons::OkCancel ? MB_OKCANCEL | MB_ICONQUESTION : MB_OK | MB_ICONINFORMATION);
  const int chosen = ::MessageBoxW(owner_, widen(text).c_str(), widen(title).c_str(), type);
  return chosen == IDOK ? Answer::Ok : Answer::Cancel;
}

std::wstring win32Filter(std::string_view filter) {
  std::wstring out = widen(filter);
  for (wchar_t& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

namespace {

// One use of a common file dialog: what both the open and the save dialog are given.
struct FileDialogUse {
  FileDialogUse(HWND owner, std::string_view filter, std::string_view initialName)
      : filters(win32Filter(filter)), name(32768, L'\0') {
    const std::wstring initial = widen(initialName);
    initial.copy(name.data(), std::min(initial.size(), name.size() - 1));
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  }
  // The name chosen, or nothing where the user cancelled.
  std::string chosen(BOOL shown) const { return shown ? narrow(name.data()) : std::string(); }

  std::wstring filters;
  std::vector<wchar_t> name;
  OPENFILENAMEW dialog{};
};

}  // namespace

void Win32FileDialog::showOpen(std::string_view filter, std::string_view initialFolder) {
  FileDialogUse use(owner_, filter, {});
  const std::wstring folder = widen(initialFolder);
  use.dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  use.dialog.Flags |= OFN_FILEMUSTEXIST;
  fileName_ = use.chosen(::GetOpenFileNameW(&use.dialog));
}

std::string Win32FileDialog::askSaveName(std::string_view title, std::string_view filter,
                                         std::string_view suggestedName) {
  FileDialogUse use(owner_, filter, suggestedName);
  // A name typed without an extension gets the suggested name's.
  const std::size_t dot = suggestedName.rfind('.');
  const std::wstring extension =
      widen(dot == std::string_view::npos ? std::string_view() : suggestedName.substr(dot + 1));
  const std::wstring caption = widen(title);
  use.dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  use.dialog.lpstrTitle = caption.c_str();
  use.dialog.Flags |= OFN_OVERWRITEPROMPT;
  return use.chosen(::GetSaveFileNameW(&use.dialog));
}

}  // namespace tarnwick
