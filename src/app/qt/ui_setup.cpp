#include "app/qt/ui_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarnwick {

std::vector<std::string> argumentsOf(const QApplication& app) {
  std::vector<std::string> texts;
  for (const QString& arg : app.arguments().mid(1)) texts.push_back(arg.toStdString());
  return texts;
}

void applyChineseUi(QApplication& app) {
  QFont font = app.font();
  const QStringList families = QFontDatabase::families();
  for (const char* family :
       {"WenQuanYi Micro Hei", "Microsoft YaHei", "SimSun", "Noto Sans CJK SC"}) {
    if (families.contains(QString::fromUtf8(family))) {
      font.setFamily(QString::fromUtf8(family));
      break;
    }
  }
  font.setPixelSize(12);
  app.setFont(font);

  // The open dialog's buttons and labels; without the translations they stay English.
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(translator);
}

}  // namespace tarnwick
