#pragma once

#include <windows.h>

namespace tarnwick {

// Creates a window of class `className` (registered here, once, with `procedure`) owned
// by `owner`: beside it where the screen has room, so that the table stays in view, since
// an owned window is always above its owner. `width` and `height` are at 96 DPI;
// `self` reaches the procedure as WM_NCCREATE's parameter.
HWND createOwnedWindow(HWND owner, const wchar_t* className, WNDPROC procedure,
                       const wchar_t* title, int width, int height, void* self);

}  // namespace tarnwick
