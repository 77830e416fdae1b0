#include "app/qt/qt_file_dialog.h"

#include "app/texts.h"

#include <QFileDialog>
#include <vector>

namespace tarnwick {

namespace {

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::string qtFilter(std::string_view filter) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::string out;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!out.empty()) out += ";;";
    out += std::string(parts[i]) + " (" + std::string(parts[i + 1]) + ")";
  }
  return out;
}

void QtFileDialog::showOpen(std::string_view filter, std::string_view initialFolder) {
  const QString chosen = QFileDialog::getOpenFileName(parent_, text(kOpenDialogTitle),
                                                      text(initialFolder), text(qtFilter(filter)));
  fileName_ = chosen.toStdString();
}

std::string QtFileDialog::askSaveName(std::string_view title, std::string_view filter,
                                      std::string_view suggestedName) {
  return QFileDialog::getSaveFileName(parent_, text(title), text(suggestedName),
                                      text(qtFilter(filter)))
      .toStdString();
}

}  // namespace tarnwick
