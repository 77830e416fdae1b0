#include "app/win32/chart_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/texts.h"
#include "app/win32/dpi.h"
#include "app/win32/owned_window.h"
#include "app/win32/window_proc.h"
#include "platform/win32_text.h"

namespace tarnwick {

namespace {

constexpr wchar_t kWindowClass[] = L"TarnwickChart";
constexpr int kGap = 6;

COLORREF colourOf(const std::string& hex) {
  const unsigned long value = std::stoul(hex.substr(1), nullptr, 16);
  return RGB((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
}

int textWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int swatchOf(HDC dc) {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  return metrics.tmHeight * 3 / 4;
}

}  // namespace

ChartWindow::ChartWindow(HWND owner, HFONT font, std::function<void()> closed)
    : closed_(std::move(closed)), font_(font) {
  window_ = createOwnedWindow(owner, kWindowClass, windowProcOf<ChartWindow>,
                              widen(kChartCaption).c_str(), 640, 360, this);
  if (!window_) return;
  tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, window_, nullptr,
                            nullptr, nullptr);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = window_;
  info.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  ::SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 400);  // lines break at the tip's line feeds
}

ChartWindow::~ChartWindow() {
  if (window_) ::DestroyWindow(window_);
}

void ChartWindow::showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) {
  if (!window_) return;
  chart_ = chart;
  selected_ = selected;
  ::InvalidateRect(window_, nullptr, FALSE);
  if (!::IsWindowVisible(window_)) ::ShowWindow(window_, SW_SHOW);
}

LRESULT ChartWindow::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC screen = ::BeginPaint(window_, &ps);
      RECT area{};
      ::GetClientRect(window_, &area);
      // Drawn off screen and copied at once: no flicker as rows arrive.
      const HDC dc = ::CreateCompatibleDC(screen);
      const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, area.right, area.bottom);
      const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
      paint(dc, area);
      ::BitBlt(screen, 0, 0, area.right, area.bottom, dc, 0, 0, SRCCOPY);
      ::SelectObject(dc, oldBitmap);
      ::DeleteObject(bitmap);
      ::DeleteDC(dc);
      ::EndPaint(window_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers it all
    case WM_SIZE:
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      pointerAt(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      pointerAt(-1, -1);
      return 0;
    case WM_KEYDOWN:
      if (w == VK_ESCAPE) ::SendMessageW(window_, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      // Kept for the next time.
      pointerAt(-1, -1);
      ::ShowWindow(window_, SW_HIDE);
      closed_();
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, w, l);
}

// The legend flows in lines across the top: where each crawler's swatch and name start.
std::vector<POINT> ChartWindow::legendPlaces(HDC dc, int width) const {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const int swatch = swatchOf(dc);
  std::vector<POINT> places;
  int x = kGap, y = kGap;
  for (const ChartSeries& series : chart_.series) {
    const int item = swatch + 4 + textWidth(dc, widen(series.name)) + 2 * kGap;
    if (x + item > width && x > kGap) x = kGap, y += metrics.tmHeight + 2;
    places.push_back({x, y});
    x += item;
  }
  return places;
}

int ChartWindow::legendHeight(HDC dc, int width) const {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const std::vector<POINT> places = legendPlaces(dc, width);
  return (places.empty() ? kGap : places.back().y) + metrics.tmHeight + 2;
}

ChartGeometry ChartWindow::geometry(HDC dc, const RECT& area) const {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  return layOutChart(chart_, area.right, area.bottom, legendHeight(dc, area.right),
                     textWidth(dc, std::to_wstring(chart_.top())), metrics.tmHeight);
}

namespace {

int px(double v) {
  return static_cast<int>(v + 0.5);
}

}  // namespace

void ChartWindow::paint(HDC dc, const RECT& area) const {
  const HGDIOBJ oldFont = ::SelectObject(dc, font_);
  ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const ChartGeometry g = geometry(dc, area);
  paintLegend(dc, area, metrics.tmHeight);
  paintSelection(dc, g);
  paintScale(dc, area, g, metrics.tmHeight);
  paintLines(dc, g);
  ::SelectObject(dc, oldFont);
}

void ChartWindow::paintLegend(HDC dc, const RECT& area, int lineHeight) const {
  const int swatch = swatchOf(dc);
  const std::vector<POINT> places = legendPlaces(dc, area.right);
  ::SetTextColor(dc, RGB(0, 0, 0));
  for (std::size_t k = 0; k < places.size(); ++k) {
    const auto [x, y] = places[k];
    const HBRUSH brush = ::CreateSolidBrush(colourOf(chart_.series[k].colour));
    const int top = y + (lineHeight - swatch) / 2;
    const RECT box{x, top, x + swatch, top + swatch};
    ::FillRect(dc, &box, brush);
    ::DeleteObject(brush);
    const std::wstring name = widen(chart_.series[k].name);
    ::TextOutW(dc, x + swatch + 4, y, name.c_str(), static_cast<int>(name.size()));
  }
}

// The selected rows, as bands behind the lines.
void ChartWindow::paintSelection(HDC dc, const ChartGeometry& g) const {
  const double half = std::max(g.xs.size() > 1 ? (g.xs[1] - g.xs[0]) / 2 : 8.0, 2.0);
  const HBRUSH band = ::CreateSolidBrush(RGB(215, 233, 247));
  for (const std::size_t row : selected_) {
    if (row >= g.xs.size()) continue;
    const RECT r{px(g.xs[row] - half), px(g.top), px(g.xs[row] + half), px(g.bottom)};
    ::FillRect(dc, &r, band);
  }
  ::DeleteObject(band);
}

// The scale with its lines, and the rows' labels, as many as fit.
void ChartWindow::paintScale(HDC dc, const RECT& area, const ChartGeometry& g,
                             int lineHeight) const {
  const HPEN grid = ::CreatePen(PS_SOLID, 1, RGB(228, 228, 228));
  const HGDIOBJ oldPen = ::SelectObject(dc, grid);
  ::SetTextColor(dc, RGB(68, 68, 68));
  ::SetTextAlign(dc, TA_RIGHT | TA_TOP);
  for (const std::uint64_t tick : chart_.ticks) {
    const int at = px(g.yOf(tick));
    ::MoveToEx(dc, px(g.left), at, nullptr);
    ::LineTo(dc, px(g.right), at);
    const std::wstring number = std::to_wstring(tick);
    ::TextOutW(dc, px(g.left) - 6, at - lineHeight / 2, number.c_str(),
               static_cast<int>(number.size()));
  }
  ::SelectObject(dc, oldPen);
  ::DeleteObject(grid);
  ::SetTextAlign(dc, TA_LEFT | TA_TOP);
  const int labelWidth =
      chart_.labels.empty() ? 1 : textWidth(dc, widen(chart_.labels.front())) + 12;
  const auto room =
      static_cast<std::size_t>(std::max(1.0, (g.right - g.left) / std::max(labelWidth, 1)));
  for (const std::size_t i : shownLabels(chart_.labels.size(), room)) {
    const std::wstring label = widen(chart_.labels[i]);
    const int w = textWidth(dc, label);
    const int left =
        std::clamp(px(g.xs[i]) - w / 2, 0, std::max(0, static_cast<int>(area.right) - w));
    ::TextOutW(dc, left, px(g.bottom) + lineHeight / 2, label.c_str(),
               static_cast<int>(label.size()));
  }
}

// A line per crawler, with its points where they are far enough apart to see.
void ChartWindow::paintLines(HDC dc, const ChartGeometry& g) const {
  const int dpi = dpiOf(window_);
  const bool points = g.xs.size() < 2 || g.xs[1] - g.xs[0] >= 6;
  const int dot = std::max(2, ::MulDiv(3, dpi, 96));
  std::vector<POINT> line;
  for (const ChartSeries& series : chart_.series) {
    line.clear();
    for (const ChartPoint& p : linePoints(g, series.values)) line.push_back({px(p.x), px(p.y)});
    const COLORREF colour = colourOf(series.colour);
    const HPEN pen = ::CreatePen(PS_SOLID, std::max(1, ::MulDiv(2, dpi, 96)), colour);
    const HGDIOBJ oldPen = ::SelectObject(dc, pen);
    if (line.size() > 1) ::Polyline(dc, line.data(), static_cast<int>(line.size()));
    if (points) {
      const HBRUSH fill = ::CreateSolidBrush(colour);
      const HGDIOBJ oldBrush = ::SelectObject(dc, fill);
      for (const POINT& p : line) ::Ellipse(dc, p.x - dot, p.y - dot, p.x + dot + 1, p.y + dot + 1);
      ::SelectObject(dc, oldBrush);
      ::DeleteObject(fill);
    }
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
  }
}

// The tip follows the pointer over the plot, naming the nearest row and its counts.
void ChartWindow::pointerAt(int x, int y) {
  std::optional<std::size_t> row;
  if (x >= 0) {
    if (!tracking_) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
      tracking_ = ::TrackMouseEvent(&track) != 0;
    }
    RECT area{};
    ::GetClientRect(window_, &area);
    const HDC dc = ::GetDC(window_);
    const HGDIOBJ oldFont = ::SelectObject(dc, font_);
    row = geometry(dc, area).rowAt(x);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(window_, dc);
  }
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = window_;
  if (!row) {
    tip_.clear();
    ::SendMessageW(tips_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    return;
  }
  const std::wstring tip = widen(chartTip(chart_, *row));
  if (tip != tip_) {
    tip_ = tip;
    info.lpszText = tip_.data();
    ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  }
  POINT at{x + 16, y + 16};
  ::ClientToScreen(window_, &at);
  ::SendMessageW(tips_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  ::SendMessageW(tips_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
}

}  // namespace tarnwick
