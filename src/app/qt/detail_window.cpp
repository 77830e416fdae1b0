#include "app/qt/detail_window.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/qt/chart_window.h"
#include "app/texts.h"

namespace tarnwick {

namespace {

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

DetailWindow::DetailWindow(Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), actions_(std::move(actions)) {
  setObjectName("frmDetail");
  setWindowTitle(text(kDetailCaption));
  exact_ = new QCheckBox(text(kExactStatus), this);
  exact_->setObjectName("chkExactStatus");
  copy_ = new QPushButton(text(kCopy), this);
  copy_->setObjectName("cmdCopyDetail");
  page_ = new QPlainTextEdit(this);
  page_->setObjectName("txtDetail");
  page_->setReadOnly(true);
  page_->setLineWrapMode(QPlainTextEdit::NoWrap);
  page_->setTabStopDistance(QFontMetricsF(page_->font()).horizontalAdvance(QString(14, 'x')));
  page_->installEventFilter(this);

  auto* bar = new QHBoxLayout;
  bar->addWidget(exact_);
  bar->addStretch();
  bar->addWidget(copy_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(page_);

  connect(exact_, &QCheckBox::toggled, this, [this](bool on) { actions_.exactStatus(on); });
  connect(copy_, &QPushButton::clicked, this, [this] { actions_.copy(); });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  resize(520, 560);
}

void DetailWindow::showPage(std::string_view title, std::string_view page) {
  setWindowTitle(text(title));
  const int scrolled = page_->verticalScrollBar()->value();
  page_->setPlainText(text(page));
  page_->verticalScrollBar()->setValue(scrolled);
  if (!isVisible()) {
    // Placed once; after that where the user leaves it.
    if (!placed_ && parentWidget()) placeBeside(*this, *parentWidget());
    placed_ = true;
    show();
    raise();
  }
}

QString DetailWindow::pageText() const {
  return page_->toPlainText();
}

// Ctrl+C copies what is selected, or the whole page where nothing is.
bool DetailWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
  if (watched == page_ && key && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
      !page_->textCursor().hasSelection()) {
    event->accept();
    if (event->type() == QEvent::KeyPress) actions_.copy();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void DetailWindow::closeEvent(QCloseEvent* event) {
  actions_.closed();
  QWidget::closeEvent(event);
}

}  // namespace tarnwick
