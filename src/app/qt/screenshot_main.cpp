// tarnwick-screenshot: draws the window offscreen as a user sees it after choosing
// "最近" 7 天 and the first site, once the analysis has finished, and saves it as a PNG
// for the README.

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QThread>
#include <string>
#include <vector>

#include "app/qt/frm_main.h"
#include "app/qt/ui_setup.h"
#include "app/unattended_dialogs.h"
#include "catalogue/site_source.h"
#include "platform/clock.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  QApplication app(argc, argv);
  applyChineseUi(app);
  std::vector<std::string> texts = argumentsOf(app);
  if (texts.empty()) {
    writeError("usage: tarnwick-screenshot [SOURCE] OUTPUT.png\n");
    return 2;
  }
  const std::string output = texts.back();
  texts.pop_back();
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  std::string error;
  const SourceOptions options = parseSourceOptions(args, error);
  const SystemTextInput input;
  const SiteSource source = readSites(options, input);
  if (!error.empty() || !source.ok()) {
    writeError("tarnwick-screenshot: " + (error.empty() ? source.error() : error) + '\n');
    return 1;
  }

  AgreeingBox box;
  CancelledDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window({box, cd, clock, input, folders, source.paths()}, source.sites,
                 designedCrawlers());
  window.findChild<QRadioButton*>("Option2")->setChecked(true);
  window.show();
  window.findChild<QListWidget*>("List1")->setCurrentRow(0);
  QElapsedTimer waited;
  waited.start();
  // The selection starts the analysis; its rows arrive as events.
  while ((window.analysing() || window.results().rowCount() == 0) && waited.elapsed() < 30000) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  QCoreApplication::processEvents();
  if (!window.grab().save(QString::fromStdString(output))) {
    writeError("tarnwick-screenshot: cannot write " + output + '\n');
    return 1;
  }
  return 0;
}
