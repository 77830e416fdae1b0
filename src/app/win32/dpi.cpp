#include "app/win32/dpi.h"

namespace tarnwick {

namespace {

// A function of USER32 that older Windows may lack, looked up once; null where missing.
template <class Function>
Function user32(const char* name) {
  const HMODULE module = ::GetModuleHandleW(L"user32.dll");
  return module
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
             : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

int screenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int systemDpi() {
  static const auto forSystem = user32<GetDpiForSystemFn>("GetDpiForSystem");
  if (forSystem)
    if (const UINT dpi = forSystem()) return static_cast<int>(dpi);
  return screenDpi();
}

int dpiOf(HWND window) {
  static const auto forWindow = user32<GetDpiForWindowFn>("GetDpiForWindow");
  if (forWindow && window)
    if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
  return systemDpi();
}

RECT frameFor(RECT client, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjust = user32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&client, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
  return client;
}

}  // namespace tarnwick
