#include "app/ui_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace tarnwick {

void applyUiFont(QApplication& app) {
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
}

}  // namespace tarnwick
