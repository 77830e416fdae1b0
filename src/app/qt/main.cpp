// tarnwick: the window. Reads the server's site configuration named on the command
// line and lists its sites; selecting one analyses its logs.

#include <QApplication>
#include <string>
#include <vector>

#include "app/qt/frm_main.h"
#include "app/qt/qt_file_dialog.h"
#include "app/qt/qt_message_dialog.h"
#include "app/qt/ui_setup.h"
#include "app/window_options.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/http_client.h"
#include "verify/ranges_folder.h"
#include "verify/resolver.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  QApplication app(argc, argv);
  applyChineseUi(app);

  std::vector<std::string> texts = argumentsOf(app);
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  const WindowOptions options = parseWindowOptions(args);
  if (options.help) {
    writeOut(windowUsage());
    return 0;
  }
  if (!options.error.empty()) {
    writeError("tarnwick: " + options.error + '\n' + std::string(windowUsage()));
    return 2;
  }

  const SystemTextInput input;
  QtMessageDialog box;
  const WindowStart start = startWindow(options, input, box);
  if (start.exitStatus) {
    writeError("tarnwick: " + start.source.error() + '\n');
    return *start.exitStatus;
  }

  QtFileDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window(
      {box, cd, clock, input, folders, start.source.paths(), std::make_shared<SystemResolver>(),
       std::make_shared<SystemHttpClient>(), userRangesFolder(environmentVariable)},
      start.source.sites, start.crawlers.crawlers);
  box.setParent(&window);
  cd.setParent(&window);
  window.show();
  return app.exec();
}
