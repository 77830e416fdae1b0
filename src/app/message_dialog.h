#pragma once

#include <string_view>

namespace tarnwick {

// A modal message with an OK button, or OK and Cancel.
class MessageDialog {
 public:
  enum class Buttons { Ok, OkCancel };
  enum class Answer { Ok, Cancel };

  virtual ~MessageDialog() = default;
  // Shows `text` under `title` and waits for the user's answer.
  virtual Answer show(std::string_view text, Buttons buttons, std::string_view title) = 0;
};

}  // namespace tarnwick
