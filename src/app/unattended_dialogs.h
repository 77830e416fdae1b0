#pragma once

#include <string>
#include <string_view>

#include "app/file_dialog.h"
#include "app/message_dialog.h"

namespace tarnwick {

// A user who agrees to every question: for runs no one watches (the README's picture,
// the window's benchmark).
class AgreeingBox final : public MessageDialog {
 public:
  Answer show(std::string_view, Buttons, std::string_view) override { return Answer::Ok; }
};

// A user who cancels every file dialog.
class CancelledDialog final : public FileDialog {
 public:
  void showOpen(std::string_view, std::string_view) override {}
  std::string fileName() const override { return {}; }
  std::string askSaveName(std::string_view, std::string_view, std::string_view) override {
    return {};
  }
};

}  // namespace tarnwick
