#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace tarnwick {

// The window frmMain as designed, in twips (1/1440 inch; 15 to a pixel at 96 dpi). Both
// windows, Qt's and Win32's, are built from this one table.

inline constexpr std::string_view kWindowCaption = "Tarnwick V1.1 修正测试版";
inline constexpr int kClientWidthTwips = 8655;  // the designed size, also the smallest
inline constexpr int kClientHeightTwips = 6285;

enum class ControlKind {
  Frame,
  ListBox,
  ResultsTable,
  Label,
  OptionButton,
  CheckBox,
  DropDown,
  Progress,
  Button
};

// Which edges of its container a control keeps its distance to when the window grows:
// held to the left and right it grows wider; held to the right alone it moves.
enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

struct ControlDesign {
  std::string_view name;  // the designer's name: "List1", "Option3", ...
  ControlKind kind;
  std::string_view container;    // "frmMain" or a frame's name
  std::string_view text;         // caption or initial text; empty for none
  int left, top, width, height;  // twips, relative to the container
  unsigned anchors;
};

// Every visible control, in tab order: the design's, then the band under the site list
// (progress bar, cancel button, status line).
std::span<const ControlDesign> frmMainControls();

// Where a control is, in twips relative to its container.
struct TwipsRect {
  int left, top, width, height;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The place of every control of frmMainControls(), in the same order, for a client area
// of `width` × `height` twips (taken as at least the designed size). While no analysis
// runs, the progress bar and the cancel button are hidden and the status line takes
// their room as well.
std::vector<TwipsRect> layOut(int width, int height, bool analysing = false);

// Pixels for `twips` at `dpi` dots per inch, rounded.
inline int twipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + 720) / 1440;
}

}  // namespace tarnwick
