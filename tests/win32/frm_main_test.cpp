// The Windows window as the user meets it, driven from inside: controls, texts and
// places, clicks and keys, the "提示" boxes, rows arriving while the window answers.
// The last tests start tarnwick.exe itself on the server wine pretends to be.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "app/win32/dpi.h"
#include "app/win32/frm_main.h"
#include "app/win32/win32_dialogs.h"
#include "platform/clock.h"
#include "platform/win32_text.h"
#include "support/fakes.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Handles the window's messages until `done` holds; whether it did within 10 s.
template <class Done>
bool pumpUntil(frmMain* window, Done done, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window && window->translate(message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

void pumpFor(frmMain* window, std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  pumpUntil(
      window, [&] { return std::chrono::steady_clock::now() > end; }, time + 1s);
}

std::wstring textOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string clipboardText() {
  if (!::OpenClipboard(nullptr)) return {};
  const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  const std::string copied = data ? narrow(static_cast<const wchar_t*>(::GlobalLock(data))) : "";
  if (data) ::GlobalUnlock(data);
  ::CloseClipboard();
  return copied;
}

// Where `control` is in its window's client area.
RECT placeOf(HWND window, HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string cell(HWND list, int row, int column) {
  wchar_t text[256] = {};
  ListView_GetItemText(list, row, column, text, 256);
  return narrow(text);
}

// A real click, as the user makes it, at the middle of `r` in `window`'s client area.
void click(HWND window, RECT r) {
  POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(window, &at);
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input[3] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dx = at.x * 65535 / (width - 1);
  input[0].mi.dy = at.y * 65535 / (height - 1);
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(3, input, sizeof(INPUT));
}

// A key, with Control held where asked.
void press(WORD key, bool control = false) {
  std::vector<INPUT> input;
  const auto add = [&](WORD k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(i);
  };
  if (control) add(VK_CONTROL, false);
  add(key, false);
  add(key, true);
  if (control) add(VK_CONTROL, true);
  ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

const char* const kTwoSites = R"(<?xml version="1.0"?>
<configuration><system.applicationHost><sites>
  <site name="Default Web Site" id="1"><logFile directory="C:\logs" /></site>
  <site name="企业门户" id="2"><logFile directory="C:\logs" /></site>
</sites></system.applicationHost></configuration>)";

// The window on two sites, with the server's C: drive in a folder of its own.
struct Window {
  explicit Window(const TextInput* reader = nullptr, MessageDialog* realBox = nullptr)
      : drive(fs::temp_directory_path() /
              ("tarnwick-window-" + std::to_string(std::random_device()()))),
        clock({2008, 7, 13}) {
    fs::create_directories(drive / "logs/W3SVC1");
    paths.mapDrive('C', drive);
    const ConfigOpenResult config = parseConfig(kTwoSites, "test");
    sites = loadCatalogue(*config.store);
    window = std::make_unique<frmMain>(WindowServices{realBox ? *realBox : box, cd, clock,
                                                      reader ? *reader : input, folders, paths},
                                       sites, designedCrawlers(), JobSettings{2});
    EXPECT_TRUE(window->create(::GetModuleHandleW(nullptr)));
    ::ShowWindow(window->hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(window->hwnd());
    pumpFor(window.get(), 100ms);
  }
  ~Window() {
    window.reset();
    std::error_code ignored;
    fs::remove_all(drive, ignored);
  }
  HWND operator[](const char* name) const { return window->control(name); }
  void writeLog(const std::string& name, const std::string& content) const {
    std::ofstream(drive / "logs/W3SVC1" / name, std::ios::binary) << content;
  }
  void choose(const char* option) const { ::SendMessageW((*this)[option], BM_CLICK, 0, 0); }
  // Selects site `row` as a click on it does.
  void select(int row) const {
    ::SendMessageW((*this)["List1"], LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::SendMessageW(window->hwnd(), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID((*this)["List1"]), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>((*this)["List1"]));
  }
  bool finish() const {
    return pumpUntil(window.get(),
                     [&] { return !window->analysing() && !window->results().empty(); });
  }
  RECT itemRect(int row) const {
    RECT r{};
    ::SendMessageW((*this)["List1"], LB_GETITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&r));
    ::MapWindowPoints((*this)["List1"], window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  fs::path drive;
  testing::FakeMessageDialog box;
  testing::FakeFileDialog cd;
  FixedClock clock;
  SystemTextInput input;
  SystemFolderListing folders;
  PathResolver paths;
  std::vector<Site> sites;
  std::unique_ptr<frmMain> window;
};

TEST(window_test, opens_as_designed_at_96_dpi) {
  Window w;
  const HWND window = w.window->hwnd();
  EXPECT_EQ(narrow(textOf(window)), "Tarnwick V1.1 修正测试版");
  ASSERT_EQ(dpiOf(window), 96);
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, 577);
  EXPECT_EQ(client.bottom, 419);
  struct Expected {
    const char* name;
    const char* text;
    RECT place;  // pixels in the client area
  };
  const Expected controls[] = {
      {"Frame1", "站点列表", {8, 136, 185, 337}},
      {"List1", "", {16, 152, 177, 324}},
      {"Frame2", "蜘蛛爬行情况分析", {184, 16, 569, 337}},
      {"ListView1", "", {192, 32, 561, 329}},
      {"Label3", "2008-07-13", {480, 360, 540, 372}},
      {"Label4", "注：日志文件比较大的话，分析时间可能会长一些。 ", {280, 392, 562, 404}},
      {"Frame3", "选项", {8, 16, 185, 137}},
      {"Option1", "该站点所有日志", {32, 36, 153, 53}},
      {"Option2", "最近", {32, 63, 81, 75}},
      {"Option3", "当天日志", {32, 86, 137, 103}},
      {"Option4", "选择单一日志", {32, 109, 129, 126}},
      {"Label5", "天", {128, 64, 140, 76}},
  };
  for (const Expected& c : controls) {
    EXPECT_EQ(narrow(textOf(w[c.name])), c.text) << c.name;
    const RECT r = placeOf(window, w[c.name]);
    EXPECT_TRUE(::EqualRect(&r, &c.place))
        << c.name << " at " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  EXPECT_EQ(::SendMessageW(w["Option3"], BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageW(w["Combo1"], CB_GETCOUNT, 0, 0), 9);
  EXPECT_EQ(narrow(textOf(w["Combo1"])), "7");
  // The results table: five keyed columns, 800 twips each.
  const HWND header = ListView_GetHeader(w["ListView1"]);
  ASSERT_EQ(Header_GetItemCount(header), 5);
  const char* headers[] = {"日期", "百度蜘蛛", "谷歌蜘蛛", "雅虎蜘蛛", "搜搜蜘蛛"};
  for (int c = 0; c < 5; ++c) {
    wchar_t text[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(header, c, &item);
    EXPECT_EQ(narrow(text), headers[c]);
    // At least the designed 800 twips, and never too narrow for its header ("百度…").
    const int width = ListView_GetColumnWidth(w["ListView1"], c);
    EXPECT_GE(width, 53);
    EXPECT_GT(width, ListView_GetStringWidth(w["ListView1"], text)) << headers[c];
  }
  // Controls follow each other in the design's order, which is the tab order.
  int id = 0;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    EXPECT_GT(::GetDlgCtrlID(child), id);
    id = ::GetDlgCtrlID(child);
  }
}

// The list takes the focus as the window opens: no site is selected, nothing asked.
TEST(window_test, opening_asks_nothing_and_analyses_nothing) {
  Window w;
  ::SetFocus(w["List1"]);
  pumpFor(w.window.get(), 300ms);
  EXPECT_TRUE(w.box.shown.empty());
  EXPECT_EQ(::SendMessageW(w["List1"], LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(ListView_GetItemCount(w["ListView1"]), 0);
  EXPECT_FALSE(w.window->analysing());
}

TEST(window_test, a_click_on_a_site_runs_the_chosen_mode) {
  Window w;
  w.writeLog("ex080713.log", "Googlebot\r\nBaiduspider Baiduspider\r\nYahoo!\r\n");
  w.choose("Option2");
  ::SendMessageW(w["Combo1"], CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(L"3"));
  click(w.window->hwnd(), w.itemRect(0));
  ASSERT_TRUE(w.finish()) << "no rows after a real click";
  ASSERT_EQ(w.box.shown.size(), 1u);
  EXPECT_EQ(w.box.shown[0].text, "确认要查看最近3天的日志吗？");
  EXPECT_EQ(w.box.shown[0].title, "提示");
  const HWND list = w["ListView1"];
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(cell(list, 0, 0), "080713");
  EXPECT_EQ(cell(list, 0, 1), "1");
  EXPECT_EQ(cell(list, 0, 3), "1");
  EXPECT_EQ(cell(list, 2, 0), "080711");
  EXPECT_TRUE(w.window->results().greyed(2));
  EXPECT_NE(narrow(textOf(w["Label6"])).find("「Default Web Site」最近 3 天"), std::string::npos);
  EXPECT_FALSE(::IsWindowVisible(w["ProgressBar1"]));

  // The same site clicked again runs again, asking once; Cancel keeps the rows.
  w.box.answer = MessageDialog::Answer::Cancel;
  click(w.window->hwnd(), w.itemRect(0));
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return w.box.shown.size() >= 2; }));
  pumpFor(w.window.get(), 300ms);
  EXPECT_EQ(w.box.shown.size(), 2u) << "one click, one question";
  EXPECT_EQ(ListView_GetItemCount(list), 3);
  // Another site, cancelled at the question: the highlight goes back to site 0.
  click(w.window->hwnd(), w.itemRect(1));
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return w.box.shown.size() == 3; }));
  pumpFor(w.window.get(), 100ms);
  EXPECT_EQ(::SendMessageW(w["List1"], LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(w.box.shown.size(), 3u);
  // F5 runs the selected site again.
  press(VK_F5);
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return w.box.shown.size() == 4; }));
}

// While a read never returns, the window paints and answers, and Esc gets control back,
// keeping the rows finished before.
TEST(window_test, a_blocked_read_neither_freezes_the_window_nor_stops_the_cancel) {
  auto gate = std::make_shared<testing::Gate>();
  testing::FakeInput reader;
  Window w(&reader);
  reader.files[w.drive / "logs/W3SVC1/ex080713.log"] = {"Googlebot\r\n"};
  reader.files[w.drive / "logs/W3SVC1/ex080712.log"] = {"Googlebot\r\n", -1, gate};
  w.choose("Option2");
  w.select(0);
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return w.window->results().size() == 1; }));
  gate->awaitWaiting(1);
  EXPECT_TRUE(w.window->analysing());
  EXPECT_TRUE(::IsWindowVisible(w["ProgressBar1"]));
  EXPECT_TRUE(::IsWindowVisible(w["Command1"]));
  pumpFor(w.window.get(), 250ms);  // the progress timer runs
  EXPECT_EQ(narrow(textOf(w["Label6"])).rfind("正在分析", 0), 0u);
  ::SetFocus(w["List1"]);
  press(VK_ESCAPE);
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return !w.window->analysing(); }));
  EXPECT_EQ(ListView_GetItemCount(w["ListView1"]), 1);
  EXPECT_NE(narrow(textOf(w["Label6"])).find("已取消"), std::string::npos);
  EXPECT_FALSE(::IsWindowVisible(w["ProgressBar1"]));
  gate->open();
}

TEST(window_test, the_window_grows_and_the_table_with_it) {
  Window w;
  RECT frame{};
  ::GetWindowRect(w.window->hwnd(), &frame);
  ::SetWindowPos(w.window->hwnd(), nullptr, 0, 0, frame.right - frame.left + 300,
                 frame.bottom - frame.top + 200, SWP_NOMOVE | SWP_NOZORDER);
  pumpFor(w.window.get(), 50ms);
  const RECT table = placeOf(w.window->hwnd(), w["ListView1"]);
  EXPECT_EQ(table.right - table.left, 369 + 300);
  EXPECT_EQ(table.bottom - table.top, 297 + 200);
  const RECT note = placeOf(w.window->hwnd(), w["Label4"]);
  EXPECT_EQ(note.left, 280 + 300);
  const RECT option = placeOf(w.window->hwnd(), w["Option1"]);
  EXPECT_EQ(option.left, 32);
  // Smaller than designed is not allowed.
  ::SetWindowPos(w.window->hwnd(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(w.window->hwnd(), &client);
  EXPECT_GE(client.right, 577);
}

TEST(window_test, selected_rows_copy_with_their_header) {
  Window w;
  w.writeLog("ex080713.log", "Googlebot\r\n");
  w.choose("Option2");
  w.select(0);
  ASSERT_TRUE(w.finish());
  const HWND list = w["ListView1"];
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  ::SetFocus(list);
  press('C', true);
  pumpFor(w.window.get(), 100ms);
  EXPECT_EQ(clipboardText(), "日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛\n080711\t0\t0\t0\t0\n");
}

// Enter on the table opens the detail view, read again with the fields; its status
// codes go exact on demand, Ctrl+C copies it whole and Esc closes it.
TEST(window_test, enter_on_the_table_opens_the_detail_view) {
  Window w;
  w.writeLog("ex080713.log",
             "#Fields: time c-ip cs-uri-stem sc-status cs(User-Agent)\r\n"
             "01:00:00 66.249.71.5 /a.html 200 Googlebot\r\n"
             "02:00:00 66.249.71.6 /b.html 404 Googlebot\r\n");
  w.select(0);
  ASSERT_TRUE(w.finish());
  ::SetFocus(w["ListView1"]);
  press(VK_RETURN);
  const auto pageHas = [&](const char* text) {
    const DetailWindow* detail = w.window->detailWindow();
    return detail && detail->visible() && !w.window->analysing() &&
           narrow(textOf(detail->page())).find(text) != std::string::npos;
  };
  ASSERT_TRUE(pumpUntil(w.window.get(), [&] { return pageHas("行数\t2\r\n"); }));
  const DetailWindow* detail = w.window->detailWindow();
  EXPECT_TRUE(pageHas("状态码\t1\t2xx\r\n\t1\t4xx\r\n"));
  ::SendMessageW(detail->exactStatus(), BM_CLICK, 0, 0);
  EXPECT_TRUE(pumpUntil(w.window.get(), [&] { return pageHas("状态码\t1\t200\r\n\t1\t404\r\n"); }));
  ::SetForegroundWindow(detail->hwnd());
  ::SetFocus(detail->page());
  press('C', true);
  pumpFor(w.window.get(), 100ms);
  std::string page = narrow(textOf(detail->page()));
  std::erase(page, '\r');
  EXPECT_EQ(clipboardText(), page);
  press(VK_ESCAPE);
  EXPECT_TRUE(pumpUntil(w.window.get(), [&] { return !detail->visible(); }));
}

// The chart paints each crawler's line in its colour and the selected rows as a band,
// names the row under the pointer in a tip, and Esc closes it.
TEST(window_test, the_chart_paints_marks_and_names_the_row_under_the_pointer) {
  Window w;
  const ChartModel model =
      rowsChart({"080713", "080712", "080711"}, {{30, 10, 0, 0}, {20, 25, 0, 0}, {5, 40, 0, 0}},
                designedCrawlers());
  bool closed = false;
  ChartWindow chart(w.window->hwnd(), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)),
                    [&] { closed = true; });
  chart.showChart(model, {1});
  pumpFor(w.window.get(), 200ms);
  ASSERT_TRUE(chart.visible());

  RECT area{};
  ::GetClientRect(chart.hwnd(), &area);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = area.right;
  info.bmiHeader.biHeight = -area.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = ::GetDC(chart.hwnd());
  const HDC copy = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(copy, bitmap);
  ::BitBlt(copy, 0, 0, area.right, area.bottom, screen, 0, 0, SRCCOPY);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const auto count = [&](COLORREF colour, int fromX, int toX) {
    const std::uint32_t want =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int found = 0;
    for (int y = 0; y < area.bottom; ++y)
      for (int x = fromX; x < toX; ++x) found += (pixels[y * area.right + x] & 0xffffff) == want;
    return found;
  };
  for (const ChartSeries& series : model.series) {
    const unsigned long hex = std::stoul(series.colour.substr(1), nullptr, 16);
    EXPECT_GT(count(RGB(hex >> 16, (hex >> 8) & 0xff, hex & 0xff), 0, area.right), 0)
        << series.colour;
  }
  EXPECT_GT(count(RGB(215, 233, 247), area.right / 2 - 2, area.right / 2 + 2), area.bottom / 2)
      << "the selected row's band down the middle";
  ::SelectObject(copy, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(copy);
  ::ReleaseDC(chart.hwnd(), screen);

  ::SendMessageW(chart.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(area.right / 2, area.bottom / 2));
  EXPECT_EQ(narrow(chart.tip()), "080712\n百度蜘蛛：20\n谷歌蜘蛛：25\n雅虎蜘蛛：0\n搜搜蜘蛛：0");
  ::SendMessageW(chart.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(chart.visible());
}

// The platform's own box, titled "提示": found, read and answered as the user would.
TEST(window_test, the_question_is_a_real_box_titled_tishi) {
  Win32MessageDialog realBox;
  Window w(nullptr, &realBox);
  realBox.setOwner(w.window->hwnd());
  w.writeLog("ex080713.log", "Googlebot\r\n");
  std::string asked;
  std::thread answer([&] {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
      box = ::FindWindowW(L"#32770", L"提示");
      std::this_thread::sleep_for(10ms);
    }
    if (!box) return;
    wchar_t text[256] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 256);
    asked = narrow(text);
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  w.select(0);
  const bool done = w.finish();
  answer.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(asked, "确认要查看当天的日志吗？");
  EXPECT_EQ(cell(w["ListView1"], 0, 2), "1");
}

// tarnwick.exe itself, with no options, on the server wine pretends to be.
std::filesystem::path program() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path().parent_path() / "src" / "tarnwick.exe";
}

struct Started {
  PROCESS_INFORMATION process{};
  ~Started() {
    if (process.hProcess) {
      ::TerminateProcess(process.hProcess, 9);
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
    }
  }
  // Its exit status once it ends, within 10 s.
  DWORD exitCode() {
    ::WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 259;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
  }
};

bool start(Started& started) {
  std::wstring command = L"\"" + program().wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started.process) != 0;
}

HWND awaitWindow(const wchar_t* windowClass, const wchar_t* title) {
  for (int i = 0; i < 1000; ++i) {
    if (const HWND found = ::FindWindowW(windowClass, title)) return found;
    std::this_thread::sleep_for(10ms);
  }
  return nullptr;
}

// Reads a "提示" box of another process and presses its OK.
std::string answerBox() {
  const HWND box = awaitWindow(L"#32770", L"提示");
  if (!box) return "(no box)";
  wchar_t text[1024] = {};
  ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
  ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return narrow(text);
}

TEST(local_server, the_window_lists_this_servers_sites_and_counts_todays_log) {
  Started tarnwick;
  ASSERT_TRUE(start(tarnwick));
  const HWND window = awaitWindow(L"TarnwickMain", L"Tarnwick V1.1 修正测试版");
  ASSERT_TRUE(window);
  // The window exists a moment before its controls and sites do.
  HWND list = nullptr;
  for (int i = 0; i < 500 && !(list && ::SendMessageW(list, LB_GETCOUNT, 0, 0) >= 2); ++i) {
    std::this_thread::sleep_for(10ms);
    list = ::FindWindowExW(window, nullptr, WC_LISTBOXW, nullptr);
  }
  ASSERT_TRUE(list);
  EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  wchar_t name[256] = {};
  ::SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(name));
  EXPECT_EQ(narrow(name), "企业门户");
  // The first site, in the mode set at start (today's log), after the question.
  ::SendMessageW(list, LB_SETCURSEL, 0, 0);
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(answerBox(), "确认要查看当天的日志吗？");
  const HWND table = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  bool rows = false;
  for (int i = 0; i < 500 && !rows; ++i) {
    rows = ::SendMessageW(table, LVM_GETITEMCOUNT, 0, 0) == 1;
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(rows);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(tarnwick.exitCode(), 0u);
}

TEST(local_server, without_a_configuration_the_window_says_so_and_ends) {
  Started tarnwick;
  ASSERT_TRUE(start(tarnwick));
  const std::string said = answerBox();
  EXPECT_NE(said.find("找不到站点配置"), std::string::npos) << said;
  EXPECT_NE(said.find("applicationHost.config"), std::string::npos) << said;
  EXPECT_EQ(tarnwick.exitCode(), 1u);
}

}  // namespace
}  // namespace tarnwick

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
