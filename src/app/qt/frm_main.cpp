#include "app/qt/frm_main.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

#include "analysis/results_layout.h"
#include "app/window_design.h"

namespace tarnwick {

namespace {

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QWidget* makeControl(const ControlDesign& design, QWidget* parent) {
  const QString caption = text(design.text);
  switch (design.kind) {
    case ControlKind::Frame:
      return new QGroupBox(caption, parent);
    case ControlKind::ListBox:
      return new QListWidget(parent);
    case ControlKind::ResultsTable:
      return new QTreeView(parent);
    case ControlKind::Label:
      return new QLabel(caption, parent);
    case ControlKind::OptionButton:
      return new QRadioButton(caption, parent);
    case ControlKind::DropDown:
      return new QComboBox(parent);
    case ControlKind::Progress:
      return new QProgressBar(parent);
    case ControlKind::Button:
      return new QPushButton(caption, parent);
  }
  return new QWidget(parent);
}

template <class W>
W* named(const std::vector<QWidget*>& controls, std::string_view name) {
  const auto designs = frmMainControls();
  for (std::size_t i = 0; i < designs.size(); ++i)
    if (designs[i].name == name) return qobject_cast<W*>(controls[i]);
  return nullptr;
}

}  // namespace

frmMain::frmMain(const WindowServices& services, const std::vector<Site>& sites,
                 const CrawlerList& crawlers, JobSettings settings, QWidget* parent)
    : QWidget(parent), services_(services), sites_(sites), crawlers_(crawlers) {
  setObjectName("frmMain");
  setWindowTitle(text(kWindowCaption));
  setMinimumSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
  resize(minimumSize());

  buildControls();
  placeControls();
  table_ = std::make_unique<ListViewTable>(*ListView1);
  selection_ = std::make_unique<SiteSelection>(
      services_, SelectionTargets{*table_, sites_, List2, List3, *this}, crawlers_,
      [this] {
        QMetaObject::invokeMethod(
            this, [this] { selection_->takeRows(); }, Qt::QueuedConnection);
      },
      settings);
  Form_Load();
  connectControls();
}

frmMain::~frmMain() = default;

void frmMain::buildControls() {
  for (const ControlDesign& design : frmMainControls()) {
    QWidget* container =
        design.container == "frmMain" ? this : named<QWidget>(controls_, design.container);
    QWidget* control = makeControl(design, container);
    control->setObjectName(text(design.name));
    controls_.push_back(control);
  }
  Frame1 = named<QGroupBox>(controls_, "Frame1");
  List1 = named<QListWidget>(controls_, "List1");
  Frame2 = named<QGroupBox>(controls_, "Frame2");
  ListView1 = named<QTreeView>(controls_, "ListView1");
  Label3 = named<QLabel>(controls_, "Label3");
  Label4 = named<QLabel>(controls_, "Label4");
  Frame3 = named<QGroupBox>(controls_, "Frame3");
  Option1 = named<QRadioButton>(controls_, "Option1");
  Option2 = named<QRadioButton>(controls_, "Option2");
  Option3 = named<QRadioButton>(controls_, "Option3");
  Option4 = named<QRadioButton>(controls_, "Option4");
  Combo1 = named<QComboBox>(controls_, "Combo1");
  Label5 = named<QLabel>(controls_, "Label5");
  ProgressBar1 = named<QProgressBar>(controls_, "ProgressBar1");
  Command1 = named<QPushButton>(controls_, "Command1");
  Label6 = named<QLabel>(controls_, "Label6");

  // Controls built in tab order take the focus in that order.
  QWidget* previous = nullptr;
  for (QWidget* control : controls_) {
    if (!(control->focusPolicy() & Qt::TabFocus)) continue;
    if (previous) setTabOrder(previous, control);
    previous = control;
  }

  auto* modes = new QButtonGroup(Frame3);
  modes->setExclusive(true);
  for (QRadioButton* option : {Option1, Option2, Option3, Option4}) modes->addButton(option);
  Option3->setChecked(true);
  Combo1->setEditable(false);
  for (int days = 1; days <= 9; ++days) Combo1->addItem(QString::number(days));
  List1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  Label6->setWordWrap(true);
  Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label6->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  Command1->hide();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(100);
}

void frmMain::placeControls() {
  const std::vector<TwipsRect> rects = layOut(width() * 15, height() * 15, analysing_);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const TwipsRect& r = rects[i];
    controls_[i]->setGeometry(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                              twipsToPixels(r.height));
  }
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeControls();
}

void frmMain::connectControls() {
  // Only the user starts an analysis: the list taking the focus makes a row current but
  // selects none, so the selection, not the current row, is what starts one. Queued, so
  // that the list shows the new selection first; the row is the one selected then.
  connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
    if (List1->selectedItems().isEmpty()) return;
    const int row = List1->currentRow();
    QMetaObject::invokeMethod(
        this, [this, row] { List1_Click(row); }, Qt::QueuedConnection);
  });
  // Clicking the site already selected runs it again, in whatever mode is set now.
  List1->viewport()->installEventFilter(this);
  connect(
      List1, &QListWidget::clicked, this,
      [this](const QModelIndex& index) {
        if (index.row() == rowBeforePress_) List1_Click(index.row());
      },
      Qt::QueuedConnection);
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
    connect(new QShortcut(key, List1, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
            this, &frmMain::runSelectedSiteAgain);
  connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
          &frmMain::runSelectedSiteAgain);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          [this] { selection_->cancel(); });
  connect(Command1, &QPushButton::clicked, this, [this] { selection_->cancel(); });
  connect(progressTimer_, &QTimer::timeout, this, [this] { selection_->showProgress(); });
  connect(new QShortcut(QKeySequence::Copy, ListView1, nullptr, nullptr, Qt::WidgetShortcut),
          &QShortcut::activated, this, &frmMain::copyRows);
  connect(ListView1, &QWidget::customContextMenuRequested, this, &frmMain::showRowMenu);
}

void frmMain::Form_Load() {
  Combo1->setCurrentText(QString::number(7));
  prepareResultsTable(*table_, crawlers_);
  for (const Site& site : sites_) {
    auto* item = new QListWidgetItem(text(site.name), List1);
    item->setToolTip(text(site.name));  // a long name shows in full
    List2.append(site.logFolder);
    List3.append(site.logFolder);
  }
}

Mode frmMain::selectedMode() const {
  if (Option1->isChecked()) return Mode::AllLogs;
  if (Option2->isChecked()) return Mode::LastDays;
  if (Option4->isChecked()) return Mode::SingleFile;
  return Mode::Today;
}

void frmMain::List1_Click(int row) {
  selection_->List1_Click(row, selectedMode(), Combo1->currentText().toStdString());
}

void frmMain::runSelectedSiteAgain() {
  const QList<QListWidgetItem*> selected = List1->selectedItems();
  if (!selected.isEmpty()) List1_Click(List1->row(selected.front()));
}

void frmMain::copyRows() {
  std::vector<int> rows;
  for (const QModelIndex& index : ListView1->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(text(selection_->copyRows(rows)));
}

void frmMain::showRowMenu(const QPoint& at) {
  QMenu menu(this);
  connect(menu.addAction(QString::fromUtf8("复制")), &QAction::triggered, this, &frmMain::copyRows);
  connect(menu.addAction(QString::fromUtf8("导出 CSV…")), &QAction::triggered, this,
          [this] { selection_->exportCsv(); });
  menu.exec(ListView1->viewport()->mapToGlobal(at));
}

void frmMain::showRunning(bool running) {
  analysing_ = running;
  placeControls();
  ProgressBar1->setVisible(running);
  Command1->setVisible(running);
  if (running)
    progressTimer_->start();
  else
    progressTimer_->stop();
}

void frmMain::showProgress(std::size_t done, std::size_t planned) {
  ProgressBar1->setRange(0, static_cast<int>(std::min<std::size_t>(planned, 1u << 30)));
  ProgressBar1->setValue(static_cast<int>(std::min(done, planned)));
}

void frmMain::showStatus(std::string_view status) {
  Label6->setText(text(status));
  Label6->setToolTip(text(status));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == List1->viewport() && event->type() == QEvent::MouseButtonPress) {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    rowBeforePress_ = selected.isEmpty() ? -1 : List1->row(selected.front());
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarnwick
