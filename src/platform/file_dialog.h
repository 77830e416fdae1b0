#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// A file-open dialog that remembers the name chosen last.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Shows the dialog. `filter` lists choices as "label|pattern|label|pattern";
  // `initialFolder` is a local folder, or empty for the dialog's own choice.
  virtual void showOpen(std::string_view filter, std::string_view initialFolder) = 0;
  // The full path of the chosen file; empty where none was chosen.
  virtual std::string fileName() const = 0;
};

}  // namespace tarnwick
