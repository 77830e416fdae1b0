// tarnwick-window-bench SOURCE... ROW: opens the window offscreen, runs "该站点所有日志"
// on site ROW (0-based) and prints the seconds from the selection to the last row shown.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "app/qt/frm_main.h"
#include "app/qt/ui_setup.h"
#include "app/unattended_dialogs.h"
#include "catalogue/site_source.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt warns on every start where the session has no runtime folder, as under root on a
  // build machine, and the warning would land among the bench's figures: it gets one of
  // its own (QTemporaryDir makes it private to the user, as Qt asks).
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  QApplication app(argc, argv);
  std::vector<std::string> texts = argumentsOf(app);
  if (texts.size() < 2) return 2;
  const int row = std::stoi(texts.back());
  texts.pop_back();
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  std::string error;
  const SystemTextInput input;
  const SiteSource source = readSites(parseSourceOptions(args, error), input);
  if (!error.empty() || !source.ok()) return 1;

  AgreeingBox box;
  CancelledDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window({box, cd, clock, input, folders, source.paths()}, source.sites,
                 designedCrawlers());
  window.findChild<QRadioButton*>("Option1")->setChecked(true);
  window.show();
  QCoreApplication::processEvents();
  QElapsedTimer elapsed;
  elapsed.start();
  window.findChild<QListWidget*>("List1")->setCurrentRow(row);
  while (window.analysing() || window.results().rowCount() == 0) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    if (elapsed.elapsed() > 600000) return 1;
  }
  QCoreApplication::processEvents();  // the last rows drawn
  std::printf("%.3f\n", elapsed.nsecsElapsed() / 1e9);
  return 0;
}
