#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "app/chart_model.h"
#include "app/win32/window_proc.h"

namespace tarnwick {

// The chart of the rows: a window of its own, owned by the main one, painting with GDI
// the model the presenter gives it, with a tip naming the row under the pointer.
class ChartWindow {
 public:
  ChartWindow(HWND owner, HFONT font, std::function<void()> closed);
  ~ChartWindow();
  ChartWindow(const ChartWindow&) = delete;
  ChartWindow& operator=(const ChartWindow&) = delete;

  // Shows `chart` with rows `selected` marked; opens the window where it is closed.
  void showChart(const ChartModel& chart, const std::vector<std::size_t>& selected);
  HWND hwnd() const { return window_; }
  bool visible() const { return window_ && ::IsWindowVisible(window_); }
  const ChartModel& chart() const { return chart_; }
  // The tip's text as last shown; empty where none shows.
  const std::wstring& tip() const { return tip_; }

 private:
  template <class W>
  friend LRESULT CALLBACK windowProcOf(HWND, UINT, WPARAM, LPARAM);
  void attach(HWND window) { window_ = window; }
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  ChartGeometry geometry(HDC dc, const RECT& area) const;
  std::vector<POINT> legendPlaces(HDC dc, int width) const;
  int legendHeight(HDC dc, int width) const;
  void paint(HDC dc, const RECT& area) const;
  void paintLegend(HDC dc, const RECT& area, int lineHeight) const;
  void paintSelection(HDC dc, const ChartGeometry& g) const;
  void paintScale(HDC dc, const RECT& area, const ChartGeometry& g, int lineHeight) const;
  void paintLines(HDC dc, const ChartGeometry& g) const;
  void pointerAt(int x, int y);

  std::function<void()> closed_;
  HFONT font_;
  HWND window_ = nullptr;
  HWND tips_ = nullptr;
  ChartModel chart_;
  std::vector<std::size_t> selected_;
  std::wstring tip_;
  bool tracking_ = false;  // the pointer's leaving will be reported
};

}  // namespace tarnwick
