#pragma once

#include <cstddef>
#include <string_view>

namespace tarnwick {

// The band under the site list that tells the user what the results show: a progress
// bar and a cancel button while an analysis runs, and a status line.
class StatusView {
 public:
  virtual ~StatusView() = default;
  // Shows the progress bar and the cancel button, or hides them.
  virtual void showRunning(bool running) = 0;
  // Files done of files planned.
  virtual void showProgress(std::size_t done, std::size_t planned) = 0;
  // The status line.
  virtual void showStatus(std::string_view text) = 0;
};

}  // namespace tarnwick
