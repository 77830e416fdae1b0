// tarnwick.exe: the window. Reads this server's site configuration, or the one the
// command line names, and lists its sites; selecting one analyses its logs.

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "app/win32/frm_main.h"
#include "app/win32/win32_dialogs.h"
#include "app/window_options.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/http_client.h"
#include "platform/win32_text.h"
#include "verify/ranges_folder.h"
#include "verify/resolver.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace tarnwick;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> texts;
  for (int i = 1; i < count; ++i) texts.push_back(narrow(wide[i]));
  ::LocalFree(wide);
  const std::vector<std::string_view> args(texts.begin(), texts.end());

  Win32MessageDialog box;
  const WindowOptions options = parseWindowOptions(args);
  if (options.help || !options.error.empty()) {
    // A window program has no console to print to.
    box.show((options.error.empty() ? "" : options.error + "\n\n") + std::string(windowUsage()),
             MessageDialog::Buttons::Ok, kMessageTitle);
    return options.help ? 0 : 2;
  }
  const SystemTextInput input;
  const WindowStart start = startWindow(options, input, box);
  if (start.exitStatus) return *start.exitStatus;

  Win32FileDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window(
      {box, cd, clock, input, folders, start.source.paths(), std::make_shared<SystemResolver>(),
       std::make_shared<SystemHttpClient>(), userRangesFolder(environmentVariable)},
      start.source.sites, start.crawlers.crawlers);
  if (!window.create(instance)) return 1;
  box.setOwner(window.hwnd());
  cd.setOwner(window.hwnd());
  ::ShowWindow(window.hwnd(), show);
  ::UpdateWindow(window.hwnd());

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.translate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
