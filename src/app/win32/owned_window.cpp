#include "app/win32/owned_window.h"

#include <algorithm>

#include "app/win32/dpi.h"

namespace tarnwick {

HWND createOwnedWindow(HWND owner, const wchar_t* className, WNDPROC procedure,
                       const wchar_t* title, int width, int height, void* self) {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  ::RegisterClassExW(&windowClass);  // fails harmlessly where it is registered already

  const int dpi = dpiOf(owner);
  width = ::MulDiv(width, dpi, 96);
  height = ::MulDiv(height, dpi, 96);
  RECT ownerRect{};
  ::GetWindowRect(owner, &ownerRect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int left = std::max(work.left, std::min(ownerRect.right, work.right - width));
  const int top = std::max(work.top, std::min(ownerRect.top, work.bottom - height));
  return ::CreateWindowExW(WS_EX_CONTROLPARENT, className, title, WS_OVERLAPPEDWINDOW, left, top,
                           width, height, owner, nullptr, instance, self);
}

}  // namespace tarnwick
