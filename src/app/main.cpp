// tarnwick: the window. Reads the server's site configuration named on the command
// line and lists its sites; selecting one analyses its logs.

#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/qt_file_dialog.h"
#include "app/qt_message_box.h"
#include "app/ui_setup.h"
#include "catalogue/site_source.h"
#include "platform/clock.h"

namespace {

constexpr const char* kUsage =
    "usage: tarnwick [--root DIR | --config FILE] [--drive X=DIR ...]\n"
    "  --root DIR      DIR is a copy or mount of the server's system drive (C:)\n"
    "  --config FILE   an applicationHost.config or a MetaBase.xml\n"
    "  --drive X=DIR   Windows drive X: is the local folder DIR (repeatable)\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace tarnwick;
  QApplication app(argc, argv);
  applyChineseUi(app);

  std::vector<std::string> texts;
  for (const QString& arg : app.arguments().mid(1)) texts.push_back(arg.toStdString());
  const std::vector<std::string_view> args(texts.begin(), texts.end());
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  std::string error;
  const SourceOptions options = parseSourceOptions(args, error);
  if (!error.empty()) {
    std::cerr << "tarnwick: " << error << '\n' << kUsage;
    return 2;
  }

  const SystemTextInput input;
  const SiteSource source = readSites(options, input);
  QtMessageBox box;
  if (!source.ok()) {
    std::cerr << "tarnwick: " << source.error() << '\n';
    box.show(source.message(), MessageBox::Buttons::Ok, kMessageTitle);
    return source.usage ? 2 : 1;
  }

  QtFileDialog cd;
  const SystemClock clock;
  const SystemFolderListing folders;
  frmMain window({box, cd, clock, {input, folders, source.paths}}, *source.config.store);
  box.setParent(&window);
  cd.setParent(&window);
  window.show();
  return app.exec();
}
