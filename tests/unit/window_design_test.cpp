#include "app/window_design.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnwick {
namespace {

TwipsRect at(const std::vector<TwipsRect>& rects, std::string_view name) {
  const auto controls = frmMainControls();
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (controls[i].name == name) return rects[i];
  ADD_FAILURE() << name;
  return {};
}

struct GrowCase {
  const char* name;
  TwipsRect designed;
  TwipsRect grown;  // with the window 1500 twips wider and 3000 higher
};

// The results and the site list grow with the window; the options stay at the top left,
// the notes at the bottom right, the progress band at the bottom left.
// Every entry of the table is a control: a name, a kind's size, a container that comes
// before it.
TEST(window_design_test, every_entry_is_a_control) {
  std::vector<std::string_view> seen{"frmMain"};
  for (const ControlDesign& control : frmMainControls()) {
    EXPECT_FALSE(control.name.empty());
    EXPECT_GT(control.width, 0) << control.name;
    EXPECT_NE(std::find(seen.begin(), seen.end(), control.container), seen.end()) << control.name;
    seen.push_back(control.name);
  }
}

TEST(window_design_test, controls_keep_their_corners_as_the_window_grows) {
  const GrowCase cases[] = {
      {"Frame3", {120, 240, 2655, 1815}, {120, 240, 2655, 1815}},
      {"Option3", {360, 1050, 1575, 255}, {360, 1050, 1575, 255}},
      {"Frame1", {120, 2040, 2655, 3015}, {120, 2040, 2655, 6015}},
      {"List1", {120, 240, 2415, 2580}, {120, 240, 2415, 5580}},
      {"Frame2", {2760, 240, 5775, 4815}, {2760, 240, 7275, 7815}},
      {"ListView1", {120, 240, 5535, 4455}, {120, 240, 7035, 7455}},
      {"Label3", {7200, 5400, 900, 180}, {8700, 8400, 900, 180}},
      {"Label4", {4200, 5880, 4230, 180}, {5700, 8880, 4230, 180}},
      {"ProgressBar1", {120, 5145, 1935, 240}, {120, 8145, 1935, 240}},
      {"Command1", {2115, 5100, 660, 330}, {2115, 8100, 660, 330}},
      {"Label6", {120, 5460, 3960, 780}, {120, 8460, 5460, 780}},
  };
  const auto designed = layOut(kClientWidthTwips, kClientHeightTwips, true);
  const auto grown = layOut(kClientWidthTwips + 1500, kClientHeightTwips + 3000, true);
  const auto shrunk = layOut(100, 100, true);
  for (const GrowCase& c : cases) {
    EXPECT_EQ(at(designed, c.name), c.designed) << c.name;
    EXPECT_EQ(at(grown, c.name), c.grown) << c.name;
    EXPECT_EQ(at(shrunk, c.name), c.designed) << c.name << ": never below the designed size";
  }
}

// With no analysis running, the status line also takes the progress bar's room.
TEST(window_design_test, the_status_line_grows_when_nothing_runs) {
  EXPECT_EQ(at(layOut(kClientWidthTwips, kClientHeightTwips), "Label6"),
            (TwipsRect{120, 5100, 3960, 1140}));
  EXPECT_EQ(at(layOut(kClientWidthTwips, kClientHeightTwips + 300), "Label6"),
            (TwipsRect{120, 5400, 3960, 1140}));
}

TEST(window_design_test, twips_to_pixels) {
  EXPECT_EQ(twipsToPixels(8655), 577);
  EXPECT_EQ(twipsToPixels(800), 53);
  EXPECT_EQ(twipsToPixels(800, 144), 80);
  EXPECT_EQ(twipsToPixels(6285, 192), 838);
}

}  // namespace
}  // namespace tarnwick
