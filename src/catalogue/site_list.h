#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// A position-indexed list of texts with its own selected position, like a hidden
// list box: the window keeps the sites' log folders in two of them.
class SiteList {
 public:
  void append(std::string text) { entries_.push_back(std::move(text)); }
  const std::vector<std::string>& entries() const { return entries_; }

  // Selects position `index` (0-based); a position outside the list selects nothing.
  void select(int index) {
    selected_ = (index >= 0 && index < static_cast<int>(entries_.size())) ? index : -1;
  }
  int selected() const { return selected_; }
  // The selected entry's text; empty where nothing is selected.
  std::string selectedText() const { return selected_ < 0 ? std::string() : entries_[selected_]; }

 private:
  std::vector<std::string> entries_;
  int selected_ = -1;
};

}  // namespace tarnwick
