#include "app/window_design.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

constexpr unsigned kAll = kLeft | kTop | kRight | kBottom;
constexpr unsigned kTopLeft = kLeft | kTop;
constexpr unsigned kBottomLeft = kLeft | kBottom;
constexpr unsigned kBottomRight = kRight | kBottom;

constexpr std::array<ControlDesign, 19> kControls{{
    {"Frame1", ControlKind::Frame, "frmMain", "站点列表", 120, 2040, 2655, 3015,
     kLeft | kTop | kBottom},
    {"List1", ControlKind::ListBox, "Frame1", "", 120, 240, 2415, 2580, kLeft | kTop | kBottom},
    {"Frame2", ControlKind::Frame, "frmMain", "蜘蛛爬行情况分析", 2760, 240, 5775, 4815, kAll},
    {"ListView1", ControlKind::ResultsTable, "Frame2", "", 120, 240, 5535, 4455, kAll},
    {"Label3", ControlKind::Label, "frmMain", "2008-07-13", 7200, 5400, 900, 180, kBottomRight},
    {"Label4", ControlKind::Label, "frmMain", "注：日志文件比较大的话，分析时间可能会长一些。 ",
     4200, 5880, 4230, 180, kBottomRight},
    {"Frame3", ControlKind::Frame, "frmMain", "选项", 120, 240, 2655, 1815, kTopLeft},
    {"Option1", ControlKind::OptionButton, "Frame3", "该站点所有日志", 360, 300, 1815, 255,
     kTopLeft},
    {"Option2", ControlKind::OptionButton, "Frame3", "最近", 360, 700, 735, 180, kTopLeft},
    {"Option3", ControlKind::OptionButton, "Frame3", "当天日志", 360, 1050, 1575, 255, kTopLeft},
    {"Option4", ControlKind::OptionButton, "Frame3", "选择单一日志", 360, 1400, 1455, 255,
     kTopLeft},
    {"Combo1", ControlKind::DropDown, "Frame3", "", 1080, 650, 735, 300, kTopLeft},
    {"Label5", ControlKind::Label, "Frame3", "天", 1800, 720, 180, 180, kTopLeft},
    // Verification, under the results: held to the right, clear of the status line.
    {"Check1", ControlKind::CheckBox, "frmMain", "验证蜘蛛", 4200, 5130, 1260, 255, kBottomRight},
    {"Check2", ControlKind::CheckBox, "frmMain", "仅计已验证", 5520, 5130, 1500, 255, kBottomRight},
    {"Check3", ControlKind::CheckBox, "frmMain", "按本地时间分日", 4200, 5400, 1900, 255,
     kBottomRight},
    {"ProgressBar1", ControlKind::Progress, "frmMain", "", 120, 5145, 1935, 240, kBottomLeft},
    {"Command1", ControlKind::Button, "frmMain", "取消", 2115, 5100, 660, 330, kBottomLeft},
    {"Label6", ControlKind::Label, "frmMain", "", 120, 5460, 3960, 780, kLeft | kRight | kBottom},
}};

// `rect` in a container grown by `dw` × `dh`.
TwipsRect grow(const ControlDesign& c, int dw, int dh) {
  TwipsRect rect{c.left, c.top, c.width, c.height};
  if (c.anchors & kRight) (c.anchors & kLeft) ? rect.width += dw : rect.left += dw;
  if (c.anchors & kBottom) (c.anchors & kTop) ? rect.height += dh : rect.top += dh;
  return rect;
}

}  // namespace

std::span<const ControlDesign> frmMainControls() {
  return kControls;
}

std::vector<TwipsRect> layOut(int width, int height, bool analysing) {
  const int dw = std::max(width, kClientWidthTwips) - kClientWidthTwips;
  const int dh = std::max(height, kClientHeightTwips) - kClientHeightTwips;
  std::vector<TwipsRect> rects;
  for (const ControlDesign& control : kControls) {
    int cw = dw, ch = dh;  // how much the container grew
    if (control.container != "frmMain") {
      for (std::size_t i = 0; i < rects.size(); ++i) {
        if (kControls[i].name != control.container) continue;
        cw = rects[i].width - kControls[i].width;
        ch = rects[i].height - kControls[i].height;
      }
    }
    rects.push_back(grow(control, cw, ch));
  }
  if (!analysing) {
    TwipsRect& status = rects[kControls.size() - 1];
    const TwipsRect& band = rects[kControls.size() - 2];  // the cancel button, the band's top
    status.height += status.top - band.top;
    status.top = band.top;
  }
  return rects;
}

}  // namespace tarnwick
