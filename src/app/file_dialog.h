#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The platform's file dialogs. The open dialog remembers the name chosen last.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // Shows the open dialog. `filter` lists choices as "label|pattern|label|pattern";
  // `initialFolder` is a local folder, or empty for the dialog's own choice.
  virtual void showOpen(std::string_view filter, std::string_view initialFolder) = 0;
  // The full path of the file chosen to open; empty where none was chosen.
  virtual std::string fileName() const = 0;
  // Asks, under `title`, where to save a new file, offering `suggestedName` and its
  // extension; empty where the user cancels.
  virtual std::string askSaveName(std::string_view title, std::string_view filter,
                                  std::string_view suggestedName) = 0;
};

}  // namespace tarnwick
