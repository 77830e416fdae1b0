#pragma once

#include <windows.h>

#include <string>

#include "app/file_dialog.h"
#include "app/message_dialog.h"

namespace tarnwick {

// A modal Windows message box over `owner`.
class Win32MessageDialog final : public MessageDialog {
 public:
  void setOwner(HWND owner) { owner_ = owner; }
  Answer show(std::string_view text, Buttons buttons, std::string_view title) override;

 private:
  HWND owner_ = nullptr;
};

// The common file dialogs. Cancelling the open dialog leaves no name, so a cancelled
// dialog never analyses the file chosen the time before.
class Win32FileDialog final : public FileDialog {
 public:
  void setOwner(HWND owner) { owner_ = owner; }
  void showOpen(std::string_view filter, std::string_view initialFolder) override;
  std::string fileName() const override { return fileName_; }
  std::string askSaveName(std::string_view title, std::string_view filter,
                          std::string_view suggestedName) override;

 private:
  HWND owner_ = nullptr;
  std::string fileName_;
};

// "label|pattern|label|pattern" as the common dialogs take it: pairs ended by NULs.
std::wstring win32Filter(std::string_view filter);

}  // namespace tarnwick
