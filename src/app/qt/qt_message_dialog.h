#pragma once

#include "app/message_dialog.h"

class QWidget;

namespace tarnwick {

// A modal Qt message box over the window.
class QtMessageDialog final : public MessageDialog {
 public:
  // `parent` may be null, and may be set once the window exists.
  explicit QtMessageDialog(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  Answer show(std::string_view text, Buttons buttons, std::string_view title) override;

 private:
  QWidget* parent_;
};

}  // namespace tarnwick
