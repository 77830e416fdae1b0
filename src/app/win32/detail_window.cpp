#include "app/win32/detail_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/texts.h"
#include "app/win32/dpi.h"
#include "app/win32/owned_window.h"
#include "app/win32/window_proc.h"
#include "platform/win32_text.h"

namespace tarnwick {

namespace {

constexpr wchar_t kWindowClass[] = L"TarnwickDetail";
constexpr int kExactId = 1;
constexpr int kCopyId = 2;
constexpr int kPageId = 3;

// An edit control breaks lines at CR LF only.
std::wstring withCrLf(std::string_view text) {
  std::wstring out;
  for (const wchar_t c : widen(text)) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

}  // namespace

DetailWindow::DetailWindow(HWND owner, HFONT font, Actions actions) : actions_(std::move(actions)) {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  window_ = createOwnedWindow(owner, kWindowClass, windowProcOf<DetailWindow>,
                              widen(kDetailCaption).c_str(), 520, 560, this);
  if (!window_) return;
  const auto make = [&](const wchar_t* kind, std::string_view text, DWORD style, int id) {
    const HWND control = ::CreateWindowExW(
        0, kind, widen(text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 10, 10,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
  };
  exact_ = make(L"BUTTON", kExactStatus, BS_AUTOCHECKBOX, kExactId);
  copy_ = make(L"BUTTON", kCopy, BS_PUSHBUTTON, kCopyId);
  page_ = make(L"EDIT", "",
               WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                   ES_AUTOHSCROLL | ES_NOHIDESEL,
               kPageId);
  // Tab stops wide enough for the labels, in dialog units.
  const UINT tabStop = 64;
  ::SendMessageW(page_, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
  ::SetWindowSubclass(page_, pageProc, 1, reinterpret_cast<DWORD_PTR>(this));
  placeControls();
}

DetailWindow::~DetailWindow() {
  if (window_) ::DestroyWindow(window_);
}

void DetailWindow::showPage(std::string_view title, std::string_view page) {
  if (!window_) return;
  ::SetWindowTextW(window_, widen(title).c_str());
  const LRESULT firstLine = ::SendMessageW(page_, EM_GETFIRSTVISIBLELINE, 0, 0);
  ::SendMessageW(page_, WM_SETREDRAW, FALSE, 0);
  ::SetWindowTextW(page_, withCrLf(page).c_str());
  ::SendMessageW(page_, EM_LINESCROLL, 0, firstLine);
  ::SendMessageW(page_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(page_, nullptr, TRUE);
  if (!::IsWindowVisible(window_)) ::ShowWindow(window_, SW_SHOW);
}

bool DetailWindow::translate(MSG& message) {
  if (!window_ || (message.hwnd != window_ && !::IsChild(window_, message.hwnd))) return false;
  return ::IsDialogMessageW(window_, &message) != 0;
}

LRESULT DetailWindow::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_SIZE:
      placeControls();
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kExactId && HIWORD(w) == BN_CLICKED)
        actions_.exactStatus(::SendMessageW(exact_, BM_GETCHECK, 0, 0) == BST_CHECKED);
      else if (LOWORD(w) == kCopyId && HIWORD(w) == BN_CLICKED)
        actions_.copy();
      else if (LOWORD(w) == IDCANCEL)  // Esc
        ::SendMessageW(window_, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      // Kept for the next time; the presenter stops reading details.
      ::ShowWindow(window_, SW_HIDE);
      actions_.closed();
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, w, l);
}

LRESULT CALLBACK DetailWindow::pageProc(HWND page, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                        DWORD_PTR self) {
  // Every way of copying (Ctrl+C, Ctrl+Insert, the edit's own menu) comes as WM_COPY:
  // with nothing selected it copies the whole page.
  if (message == WM_COPY) {
    DWORD start = 0, end = 0;
    ::SendMessageW(page, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    if (start == end) {
      reinterpret_cast<DetailWindow*>(self)->actions_.copy();
      return 0;
    }
  }
  return ::DefSubclassProc(page, message, w, l);
}

void DetailWindow::placeControls() {
  if (!page_) return;
  RECT client{};
  ::GetClientRect(window_, &client);
  const int dpi = dpiOf(window_);
  const auto px = [dpi](int pixels) { return ::MulDiv(pixels, dpi, 96); };
  const int margin = px(8), row = px(24), button = px(80);
  ::MoveWindow(exact_, margin, margin, px(160), row, TRUE);
  ::MoveWindow(copy_, client.right - margin - button, margin, button, row, TRUE);
  ::MoveWindow(page_, margin, margin * 2 + row, client.right - 2 * margin,
               client.bottom - margin * 3 - row, TRUE);
}

}  // namespace tarnwick
