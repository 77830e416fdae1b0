#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/win32/window_proc.h"

namespace tarnwick {

// The detail view: a window of its own, owned by the main one, showing the text the
// presenter gives it. It only draws and hands on what the user does.
class DetailWindow {
 public:
  struct Actions {
    std::function<void(bool)> exactStatus;  // the 具体状态码 box was ticked or cleared
    std::function<void()> copy;             // Ctrl+C with nothing selected, or 复制
    std::function<void()> closed;
  };

  DetailWindow(HWND owner, HFONT font, Actions actions);
  ~DetailWindow();
  DetailWindow(const DetailWindow&) = delete;
  DetailWindow& operator=(const DetailWindow&) = delete;

  // Shows `page` under `title`, keeping the place the user scrolled to; opens the
  // window where it is closed.
  void showPage(std::string_view title, std::string_view page);
  // Esc closes, Tab moves between the controls; true where `message` was handled.
  bool translate(MSG& message);
  HWND hwnd() const { return window_; }
  HWND page() const { return page_; }
  HWND exactStatus() const { return exact_; }
  bool visible() const { return window_ && ::IsWindowVisible(window_); }

 private:
  template <class W>
  friend LRESULT CALLBACK windowProcOf(HWND, UINT, WPARAM, LPARAM);
  void attach(HWND window) { window_ = window; }
  static LRESULT CALLBACK pageProc(HWND page, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR self);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  void placeControls();

  Actions actions_;
  HWND window_ = nullptr;
  HWND exact_ = nullptr;
  HWND copy_ = nullptr;
  HWND page_ = nullptr;
};

}  // namespace tarnwick
