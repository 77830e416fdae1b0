// tarnwick: the window. Reads the server's site configuration named on the command
// line and lists its sites; selecting one analyses its logs.

#include <QApplication>
#include <string>
#include <vector>

#include "analysis/crawler_list.h"
#include "app/qt/frm_main.h"
#include "app/qt/qt_file_dialog.h"
#include "app/qt/qt_message_box.h"
#include "app/qt/ui_setup.h"
#include "app/window_options.h"
#include "catalogue/site_source.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  QApplication app(argc, argv);
  applyChineseUi(app);

  std::vector<std::string> texts;
  for (const QString& arg : app.arguments().mid(1)) texts.push_back(arg.toStdString());
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
  QtMessageBox box;
  const SiteSource source = readSites(options.source, input);
  if (!source.ok()) {
    writeError("tarnwick: " + source.error() + '\n');
    box.show(source.message(), MessageBox::Buttons::Ok, kMessageTitle);
    return source.usage ? 2 : 1;
  }
  const CrawlerListResult crawlers = chooseCrawlers(options.crawlers, input, environmentVariable);
  if (const std::string problems = crawlerListMessage(crawlers, options.crawlers);
      !problems.empty())
    box.show(problems, MessageBox::Buttons::Ok, kMessageTitle);

  QtFileDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window({box, cd, clock, input, folders, source.paths}, source.sites, crawlers.crawlers);
  box.setParent(&window);
  cd.setParent(&window);
  window.show();
  return app.exec();
}
