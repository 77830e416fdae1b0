#pragma once

#include <windows.h>

namespace tarnwick {

// The window procedure of a class `W` whose objects handle their own window's messages:
// the object comes as CreateWindowEx's last argument, learns its window at WM_NCCREATE
// through `W::attach`, and is handed every message through `W::handle`.
template <class W>
LRESULT CALLBACK windowProcOf(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<W*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    self->attach(window);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<W*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->handle(message, w, l) : ::DefWindowProcW(window, message, w, l);
}

}  // namespace tarnwick
