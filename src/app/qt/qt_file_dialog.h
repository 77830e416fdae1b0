#pragma once

#include <string>

#include "app/file_dialog.h"

class QWidget;

namespace tarnwick {

// The platform's file dialogs. Cancelling the open dialog leaves no name, so a cancelled
// dialog never analyses the file chosen the time before.
class QtFileDialog final : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void showOpen(std::string_view filter, std::string_view initialFolder) override;
  std::string fileName() const override { return fileName_; }
  std::string askSaveName(std::string_view title, std::string_view filter,
                          std::string_view suggestedName) override;

 private:
  QWidget* parent_;
  std::string fileName_;
};

// "label|pattern|label|pattern" as Qt writes it: "label (pattern);;label (pattern)".
std::string qtFilter(std::string_view filter);

}  // namespace tarnwick
