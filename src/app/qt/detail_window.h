#pragma once

#include <QWidget>
#include <functional>
#include <string_view>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

// The detail view: a window of its own beside the main one, showing the text the
// presenter gives it. It only draws and hands on what the user does.
class DetailWindow : public QWidget {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void(bool)> exactStatus;  // the 具体状态码 box was ticked or cleared
    std::function<void()> copy;             // Ctrl+C with nothing selected, or 复制
    std::function<void()> closed;
  };

  DetailWindow(Actions actions, QWidget* parent);

  // Shows `page` under `title`, keeping the place the user scrolled to; opens the
  // window where it is closed.
  void showPage(std::string_view title, std::string_view page);
  QString pageText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  Actions actions_;
  QCheckBox* exact_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPlainTextEdit* page_ = nullptr;
  bool placed_ = false;  // placed once; after that where the user leaves it
};

}  // namespace tarnwick
