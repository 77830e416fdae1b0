#include "app/qt/qt_message_dialog.h"

#include "app/texts.h"

#include <QMessageBox>
#include <QPushButton>

namespace tarnwick {

namespace {

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

MessageDialog::Answer QtMessageDialog::show(std::string_view message, Buttons buttons,
                                            std::string_view title) {
  QMessageBox box(QMessageBox::Information, text(title), text(message), QMessageBox::NoButton,
                  parent_);
  box.addButton(text(kOk), QMessageBox::AcceptRole);
  if (buttons == Buttons::OkCancel) {
    QPushButton* cancel = box.addButton(text(kCancel), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
  }
  box.exec();
  return box.buttonRole(box.clickedButton()) == QMessageBox::AcceptRole ? Answer::Ok
                                                                        : Answer::Cancel;
}

}  // namespace tarnwick
