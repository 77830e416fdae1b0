// tarnwick-screenshot: draws the window offscreen as a user sees it after choosing
// "最近" 7 天 and site N (the first unless given), once the analysis has finished, and
// saves it as a PNG for the README; with a second name, the chart of its rows too.

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
    writeError("usage: tarnwick-screenshot [SOURCE] [--site-index N] WINDOW.png [CHART.png]\n");
    return 2;
  }
  std::string chartOutput;
  if (texts.size() >= 2 && texts[texts.size() - 2].ends_with(".png")) {
    chartOutput = texts.back();
    texts.pop_back();
  }
  const std::string output = texts.back();
  texts.pop_back();
  int site = 0;
  for (std::size_t i = 0; i + 1 < texts.size(); ++i)
    if (texts[i] == "--site-index") {
      site = std::stoi(texts[i + 1]);
      texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(i),
                  texts.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      break;
    }
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
  window.findChild<QListWidget*>("List1")->setCurrentRow(site);
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
  if (chartOutput.empty()) return 0;
  window.chooseRowMenu(RowMenuEntry::Chart);
  QCoreApplication::processEvents();
  if (!window.chartWindow() ||
      !window.chartWindow()->grab().save(QString::fromStdString(chartOutput))) {
    writeError("tarnwick-screenshot: cannot write " + chartOutput + '\n');
    return 1;
  }
  return 0;
}
