#include "app/win32/frm_main.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/dpi.h"
#include "app/win32/window_proc.h"
#include "app/window_design.h"
#include "platform/win32_text.h"

namespace tarnwick {

namespace {

constexpr wchar_t kWindowClass[] = L"TarnwickMain";
constexpr UINT kRowsWaiting = WM_APP + 1;   // a job has rows for the table
constexpr UINT kSelected = WM_APP + 2;      // the user selected a site; run after painting
constexpr UINT kClicked = WM_APP + 3;       // the mouse was released over a site
constexpr UINT kRowSelection = WM_APP + 4;  // the table's selection changed, once or many times
constexpr UINT_PTR kProgressTimer = 1;
constexpr int kFirstId = 100;    // control ids follow the design's order
constexpr int kFirstMenuId = 1;  // the rows' menu entries follow kRowMenu

int px(int twips, int dpi) {
  return twipsToPixels(twips, dpi);
}

struct Created {
  const wchar_t* windowClass;
  DWORD style;
};

Created kindOf(const ControlDesign& design) {
  constexpr DWORD child = WS_CHILD | WS_VISIBLE;
  switch (design.kind) {
    case ControlKind::Frame:
      return {WC_BUTTONW, child | BS_GROUPBOX};
    case ControlKind::ListBox:
      return {WC_LISTBOXW,
              child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT};
    case ControlKind::ResultsTable:
      return {WC_LISTVIEWW,
              child | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS};
    case ControlKind::Label:
      return {WC_STATICW, child | SS_LEFT | SS_NOPREFIX};
    case ControlKind::OptionButton:
      return {WC_BUTTONW, child | WS_TABSTOP | BS_AUTORADIOBUTTON};
    case ControlKind::CheckBox:
      return {WC_BUTTONW, child | WS_TABSTOP | BS_AUTOCHECKBOX};
    case ControlKind::DropDown:
      return {WC_COMBOBOXW, child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST};
    case ControlKind::Progress:
      return {PROGRESS_CLASSW, child};
    case ControlKind::Button:
      return {WC_BUTTONW, child | WS_TABSTOP | BS_PUSHBUTTON};
  }
  return {WC_STATICW, child};
}

// Whether an option or a check box is ticked.
bool checked(HWND button) {
  return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Where each control goes, in pixels relative to the window, for its client size.
std::vector<RECT> placesFor(HWND window, bool analysing) {
  const int dpi = dpiOf(window);
  RECT client{};
  ::GetClientRect(window, &client);
  // Pixels back to twips, for the layout; never below the designed size.
  const int width = client.right * 1440 / dpi, height = client.bottom * 1440 / dpi;
  const auto designs = frmMainControls();
  const std::vector<TwipsRect> rects = layOut(width, height, analysing);
  std::vector<RECT> places;
  for (std::size_t i = 0; i < designs.size(); ++i) {
    TwipsRect r = rects[i];
    // Controls of a frame are the window's children, placed inside the frame.
    for (std::size_t f = 0; f < i; ++f) {
      if (designs[f].name != designs[i].container) continue;
      r.left += rects[f].left;
      r.top += rects[f].top;
    }
    const LONG left = px(r.left, dpi), top = px(r.top, dpi);
    places.push_back({left, top, left + px(r.width, dpi), top + px(r.height, dpi)});
  }
  return places;
}

}  // namespace

frmMain::frmMain(const WindowServices& services, const std::vector<Site>& sites,
                 const CrawlerList& crawlers, JobSettings settings)
    : services_(services), sites_(sites), crawlers_(crawlers), settings_(settings) {}

frmMain::~frmMain() {
  presenter_.reset();  // stops a running job before the window goes
  if (window_) ::DestroyWindow(window_);
  if (font_) ::DeleteObject(font_);
}

bool frmMain::create(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (!::GetClassInfoExW(instance, kWindowClass, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcOf<frmMain>;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&windowClass)) return false;
  }
  const std::wstring caption = widen(kWindowCaption);
  window_ =
      ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW,
                        CW_USEDEFAULT, CW_USEDEFAULT, 600, 450, nullptr, nullptr, instance, this);
  if (!window_) return false;
  // The designed client area, at this screen's DPI.
  const int dpi = dpiOf(window_);
  const RECT frame = frameFor({0, 0, px(kClientWidthTwips, dpi), px(kClientHeightTwips, dpi)},
                              WS_OVERLAPPEDWINDOW, WS_EX_CONTROLPARENT, dpi);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  buildControls();
  applyFont();
  placeControls();
  const HWND target = window_;
  presenter_ = std::make_unique<MainPresenter>(
      static_cast<MainView&>(*this), services_, sites_, crawlers_,
      [target] { ::PostMessageW(target, kRowsWaiting, 0, 0); }, settings_);
  table_ = std::make_unique<ListViewTable>(ListView1, presenter_->rows());
  Form_Load();
  return true;
}

HWND frmMain::control(std::string_view name) const {
  const auto designs = frmMainControls();
  for (std::size_t i = 0; i < designs.size(); ++i)
    if (designs[i].name == name) return controls_[i];
  return nullptr;
}

void frmMain::buildControls() {
  const auto designs = frmMainControls();
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  for (std::size_t i = 0; i < designs.size(); ++i) {
    const ControlDesign& design = designs[i];
    Created kind = kindOf(design);
    if (design.name == "Label6") kind.style |= SS_NOTIFY;  // for its tooltip
    // The four options are one group: it starts at the first and ends before the box.
    if (design.name == "Option1" || design.name == "Combo1") kind.style |= WS_GROUP;
    const std::wstring text = widen(design.text);
    // Created in tab order, which is the order the design lists them in.
    controls_.push_back(::CreateWindowExW(
        0, kind.windowClass, text.c_str(), kind.style, 0, 0, 10, 10, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + static_cast<int>(i))), instance,
        nullptr));
  }
  List1 = control("List1");
  ListView1 = control("ListView1");
  Combo1 = control("Combo1");
  Option1 = control("Option1");
  Option2 = control("Option2");
  Option3 = control("Option3");
  Option4 = control("Option4");
  Check1 = control("Check1");
  Check2 = control("Check2");
  Check3 = control("Check3");
  ProgressBar1 = control("ProgressBar1");
  Command1 = control("Command1");
  Label6 = control("Label6");

  ::SendMessageW(Option3, BM_SETCHECK, BST_CHECKED, 0);
  ::EnableWindow(Check2, FALSE);  // until 验证蜘蛛 is ticked
  ::ShowWindow(ProgressBar1, SW_HIDE);
  ::ShowWindow(Command1, SW_HIDE);
  ::SetWindowSubclass(List1, listProc, 1, reinterpret_cast<DWORD_PTR>(this));

  tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, window_, nullptr,
                            instance, nullptr);
  for (const HWND tool : {List1, Label6}) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  ::SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 600);
}

void frmMain::applyFont() {
  // The system's message font at this window's DPI: Chinese on a Chinese system, and
  // wherever a font link supplies the characters.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  font.lfHeight = ::MulDiv(font.lfHeight, dpiOf(window_), systemDpi());
  if (font_) ::DeleteObject(font_);
  font_ = ::CreateFontIndirectW(&font);
  for (const HWND control : controls_)
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

void frmMain::placeControls() {
  const std::vector<RECT> places = placesFor(window_, analysing_);
  const auto designs = frmMainControls();
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    RECT r = places[i];
    // A drop-down list's height is its list's: room for the nine day counts.
    if (designs[i].kind == ControlKind::DropDown) r.bottom = r.top + (r.bottom - r.top) * 8;
    moves = ::DeferWindowPos(moves, controls_[i], nullptr, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::EndDeferWindowPos(moves);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void frmMain::Form_Load() {
  presenter_->load();
}

int frmMain::selectedSite() const {
  return static_cast<int>(::SendMessageW(List1, LB_GETCURSEL, 0, 0));
}

void frmMain::List1_Click(int row) {
  presenter_->siteSelected(row);
}

bool frmMain::translate(MSG& message) {
  if (detail_ && detail_->translate(message)) return true;
  if (!window_ || (message.hwnd != window_ && !::IsChild(window_, message.hwnd))) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_F5) {
    presenter_->runAgain();
    return true;
  }
  // Tab between controls, arrows within the options; Esc and Enter come as IDCANCEL and
  // IDOK, unless the drop-down list is open and wants them.
  return ::IsDialogMessageW(window_, &message) != 0;
}

LRESULT frmMain::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<const NMHDR*>(l));
    case WM_SIZE:
      if (!controls_.empty()) placeControls();
      return 0;
    case WM_GETMINMAXINFO: {
      // The designed size is the smallest.
      const int dpi = dpiOf(window_);
      const RECT frame = frameFor({0, 0, px(kClientWidthTwips, dpi), px(kClientHeightTwips, dpi)},
                                  WS_OVERLAPPEDWINDOW, WS_EX_CONTROLPARENT, dpi);
      auto* limits = reinterpret_cast<MINMAXINFO*>(l);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(l);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      applyFont();
      placeControls();
      if (table_) table_->rescale();
      return 0;
    }
    case WM_TIMER:
      if (w == kProgressTimer) presenter_->showProgress();
      return 0;
    case kRowsWaiting:
      if (presenter_) presenter_->rowsWaiting();
      return 0;
    case kSelected:
      List1_Click(static_cast<int>(w));
      return 0;
    case kClicked:
      presenter_->siteClicked(static_cast<int>(w));
      return 0;
    case kRowSelection:
      selectionPosted_ = false;
      presenter_->rowSelectionChanged();
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(w) == ListView1) {
        POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
        if (at.x == -1 && at.y == -1) {  // from the keyboard: at the table's corner
          at = {0, 0};
          ::ClientToScreen(ListView1, &at);
        }
        showRowMenu(at);
        return 0;
      }
      break;
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      if (presenter_) presenter_->cancel();
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, w, l);
}

void frmMain::onCommand(int id, int code) {
  if (id == IDCANCEL) return presenter_->cancel();  // Esc
  if (id == IDOK) {                                 // Enter
    if (::GetFocus() == List1) presenter_->runAgain();
    if (::GetFocus() == ListView1) presenter_->openDetail();
    return;
  }
  const HWND from = ::GetDlgItem(window_, id);
  if (from == List1 && code == LBN_SELCHANGE) {
    // Posted, so that the list shows the new selection first; the row is the one
    // selected now.
    ::PostMessageW(window_, kSelected, static_cast<WPARAM>(selectedSite()), 0);
  } else if (from == Command1 && code == BN_CLICKED) {
    presenter_->cancel();
  } else if (from == Check1 && code == BN_CLICKED) {
    presenter_->verifyToggled(checked(Check1));
  } else if (from == Check2 && code == BN_CLICKED) {
    presenter_->verifiedOnlyToggled(checked(Check2));
  } else if (from == Check3 && code == BN_CLICKED) {
    presenter_->localDaysToggled(checked(Check3));
  }
}

LRESULT frmMain::onNotify(const NMHDR& header) {
  LRESULT result = 0;
  if (table_ && table_->onNotify(header, result)) return result;
  if (header.hwndFrom == ListView1 && header.code == LVN_KEYDOWN) {
    const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
    if (key.wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0) presenter_->copyRows();
    return 0;
  }
  if (header.hwndFrom == ListView1 && header.code == NM_DBLCLK) {
    presenter_->openDetail();
    return 0;
  }
  // One item or a range: the detail view follows once the selection has settled.
  const bool selection = header.code == LVN_ODSTATECHANGED ||
                         (header.code == LVN_ITEMCHANGED &&
                          (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE));
  if (header.hwndFrom == ListView1 && selection && !selectionPosted_) {
    selectionPosted_ = true;
    ::PostMessageW(window_, kRowSelection, 0, 0);
    return 0;
  }
  if (header.hwndFrom == tips_ && header.code == TTN_GETDISPINFOW) {
    auto& tip = reinterpret_cast<NMTTDISPINFOW&>(const_cast<NMHDR&>(header));
    const auto tool = reinterpret_cast<HWND>(tip.hdr.idFrom);
    tip.lpszText = const_cast<wchar_t*>(tool == Label6 ? status_.c_str() : siteTip_.c_str());
    return 0;
  }
  return 0;
}

LRESULT CALLBACK frmMain::listProc(HWND list, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR self) {
  return reinterpret_cast<frmMain*>(self)->handleList(list, message, w, l);
}

LRESULT frmMain::handleList(HWND list, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a second click soon after the first
      presenter_->sitePressed();
      break;
    case WM_LBUTTONUP: {
      // Posted after the selection the press made, which is posted too.
      const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, l);
      if (HIWORD(hit) == 0) ::PostMessageW(window_, kClicked, LOWORD(hit), 0);
      break;
    }
    case WM_MOUSEMOVE: {
      // A long site name shows in full in the tooltip.
      const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, l);
      const int item = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
      if (item != tipItem_) {
        tipItem_ = item;
        siteTip_ = item >= 0 && item < static_cast<int>(sites_.size())
                       ? widen(sites_[static_cast<std::size_t>(item)].name)
                       : std::wstring();
        ::SendMessageW(tips_, TTM_POP, 0, 0);
      }
      break;
    }
    default:
      break;
  }
  return ::DefSubclassProc(list, message, w, l);
}

void frmMain::showRowMenu(POINT at) {
  const HMENU menu = ::CreatePopupMenu();
  int id = kFirstMenuId;
  for (const RowMenuItem& item : kRowMenu)
    ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id++), widen(item.text).c_str());
  const int chosen = static_cast<int>(::TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
  ::DestroyMenu(menu);
  const int entry = chosen - kFirstMenuId;
  if (entry >= 0 && entry < static_cast<int>(std::size(kRowMenu)))
    presenter_->chooseRowMenu(kRowMenu[entry].entry);
}

Mode frmMain::mode() const {
  if (checked(Option1)) return Mode::AllLogs;
  if (checked(Option2)) return Mode::LastDays;
  if (checked(Option4)) return Mode::SingleFile;
  return Mode::Today;
}

std::string frmMain::dayCount() const {
  wchar_t days[8] = {};
  ::GetWindowTextW(Combo1, days, 8);
  return narrow(days);
}

std::vector<std::size_t> frmMain::selectedRows() const {
  return table_->selectedRows();
}

void frmMain::selectRows(const std::vector<std::size_t>& rows) {
  table_->selectRows(rows);
}

void frmMain::showDayChoices(const std::vector<std::string>& choices, const std::string& chosen) {
  for (const std::string& choice : choices)
    ::SendMessageW(Combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(choice).c_str()));
  ::SendMessageW(Combo1, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(widen(chosen).c_str()));
}

void frmMain::showSites(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    ::SendMessageW(List1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(name).c_str()));
}

void frmMain::showColumns(const std::vector<ResultsColumn>& columns) {
  table_->showColumns(columns);
}

void frmMain::refreshRows() {
  ::InvalidateRect(ListView1, nullptr, FALSE);
}

void frmMain::enableVerifiedOnly(bool enabled) {
  ::EnableWindow(Check2, enabled ? TRUE : FALSE);
}

void frmMain::showRows(std::size_t count, bool followNewest) {
  table_->showRows(count, followNewest);
}

void frmMain::highlightSite(int index) {
  ::SendMessageW(List1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void frmMain::showRunning(bool running) {
  analysing_ = running;
  placeControls();
  ::ShowWindow(ProgressBar1, running ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Command1, running ? SW_SHOW : SW_HIDE);
  if (running)
    ::SetTimer(window_, kProgressTimer, static_cast<UINT>(kProgressInterval.count()), nullptr);
  else
    ::KillTimer(window_, kProgressTimer);
}

void frmMain::showProgress(std::size_t done, std::size_t planned) {
  ::SendMessageW(ProgressBar1, PBM_SETRANGE32, 0,
                 static_cast<LPARAM>(std::min<std::size_t>(planned, 1u << 30)));
  ::SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(std::min(done, planned)), 0);
}

void frmMain::showStatus(std::string_view text) {
  status_ = widen(text);
  ::SetWindowTextW(Label6, status_.c_str());
}

void frmMain::copyText(std::string_view copied) {
  const std::wstring text = widen(copied);
  if (!::OpenClipboard(window_)) return;
  ::EmptyClipboard();
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
    auto* copy = static_cast<wchar_t*>(::GlobalLock(memory));
    std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
    ::GlobalUnlock(memory);
    if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
  }
  ::CloseClipboard();
}

void frmMain::showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) {
  if (!chart_)
    chart_ = std::make_unique<ChartWindow>(window_, font_, [this] { presenter_->chartClosed(); });
  chart_->showChart(chart, selected);
}

void frmMain::showDetail(std::string_view title, std::string_view page) {
  if (!detail_)
    detail_ = std::make_unique<DetailWindow>(
        window_, font_,
        DetailWindow::Actions{[this](bool exact) { presenter_->showExactStatus(exact); },
                              [this] { presenter_->copyDetail(); },
                              [this] { presenter_->detailClosed(); }});
  detail_->showPage(title, page);
}

}  // namespace tarnwick
