#pragma once

#include <windows.h>

namespace tarnwick {

// Dots per inch, for Windows 7 and later: the per-monitor functions of Windows 10 where
// they exist, else the system's DPI, else 96.

// The DPI `window` is drawn at.
int dpiOf(HWND window);
// The DPI of the system, which the system's fonts are sized for.
int systemDpi();
// The outer size of a window whose client area is `client`, at `dpi`.
RECT frameFor(RECT client, DWORD style, DWORD exStyle, int dpi);

}  // namespace tarnwick
