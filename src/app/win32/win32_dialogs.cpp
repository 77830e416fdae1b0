#include "app/win32/win32_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32_text.h"

namespace tarnwick {

MessageBox::Answer Win32MessageBox::show(std::string_view text, Buttons buttons,
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

void Win32FileDialog::showOpen(std::string_view filter, std::string_view initialFolder) {
  const std::wstring filters = win32Filter(filter);
  const std::wstring folder = widen(initialFolder);
  std::vector<wchar_t> name(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  fileName_ = ::GetOpenFileNameW(&dialog) ? narrow(name.data()) : std::string();
}

std::string Win32FileDialog::askSaveName(std::string_view filter, std::string_view suggestedName) {
  const std::wstring filters = win32Filter(filter);
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring suggested = widen(suggestedName);
  suggested.copy(name.data(), std::min(suggested.size(), name.size() - 1));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrDefExt = L"csv";
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return ::GetSaveFileNameW(&dialog) ? narrow(name.data()) : std::string();
}

}  // namespace tarnwick
