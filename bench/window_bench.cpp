// tarnwick-window-bench SOURCE... ROW: opens the window offscreen, runs "该站点所有日志"
// on site ROW (0-based) and prints the seconds from the selection to the last row shown.

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QRadioButton>
#include <cstdio>
#include <string>
#include <vector>

#include "app/qt/frm_main.h"
#include "catalogue/site_source.h"

namespace {

class AgreeingBox : public tarnwick::MessageBox {
 public:
  Answer show(std::string_view, Buttons, std::string_view) override { return Answer::Ok; }
};

class NoDialog : public tarnwick::FileDialog {
 public:
  void showOpen(std::string_view, std::string_view) override {}
  std::string fileName() const override { return {}; }
  std::string askSaveName(std::string_view, std::string_view) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace tarnwick;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<std::string> texts;
  for (const QString& arg : app.arguments().mid(1)) texts.push_back(arg.toStdString());
  if (texts.size() < 2) return 2;
  const int row = std::stoi(texts.back());
  texts.pop_back();
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  std::string error;
  const SystemTextInput input;
  const SiteSource source = readSites(parseSourceOptions(args, error), input);
  if (!error.empty() || !source.ok()) return 1;

  AgreeingBox box;
  NoDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window({box, cd, clock, input, folders, source.paths}, source.sites, designedCrawlers());
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
