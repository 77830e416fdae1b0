#include "app/qt/frm_main.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

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
    case ControlKind::CheckBox:
      return new QCheckBox(caption, parent);
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
    : QWidget(parent) {
  setObjectName("frmMain");
  setWindowTitle(text(kWindowCaption));
  setMinimumSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
  resize(minimumSize());

  buildControls();
  placeControls();
  presenter_ = std::make_unique<MainPresenter>(
      static_cast<MainView&>(*this), services, sites, crawlers,
      [this] {
        QMetaObject::invokeMethod(
            this, [this] { presenter_->rowsWaiting(); }, Qt::QueuedConnection);
      },
      settings);
  model_ = new ResultsModel(presenter_->rows(), this);
  ListView1->setModel(model_);
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
  Check1 = named<QCheckBox>(controls_, "Check1");
  Check2 = named<QCheckBox>(controls_, "Check2");
  Check3 = named<QCheckBox>(controls_, "Check3");
  Check2->setEnabled(false);
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
  List1->setSelectionMode(QAbstractItemView::SingleSelection);
  // The results table: a report view, rows selected whole, never sorted.
  ListView1->setRootIsDecorated(false);
  ListView1->setItemsExpandable(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setSortingEnabled(false);
  ListView1->setAllColumnsShowFocus(true);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->header()->setStretchLastSection(false);
  ListView1->header()->setSectionsMovable(false);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  Label6->setWordWrap(true);
  Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label6->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  Command1->hide();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressInterval);
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
  // The list taking the focus makes a row current but selects none: only a selection
  // reaches the presenter. Queued, so that the list shows the new selection first.
  connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
    if (highlighting_ || List1->selectedItems().isEmpty()) return;
    const int row = List1->row(List1->selectedItems().front());
    QMetaObject::invokeMethod(
        this, [this, row] { List1_Click(row); }, Qt::QueuedConnection);
  });
  List1->viewport()->installEventFilter(this);
  connect(
      List1, &QListWidget::clicked, this,
      [this](const QModelIndex& index) { presenter_->siteClicked(index.row()); },
      Qt::QueuedConnection);
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
    connect(new QShortcut(key, List1, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
            this, [this] { presenter_->runAgain(); });
  connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
          [this] { presenter_->runAgain(); });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          [this] { presenter_->cancel(); });
  connect(Command1, &QPushButton::clicked, this, [this] { presenter_->cancel(); });
  connect(Check1, &QCheckBox::toggled, this, [this](bool on) { presenter_->verifyToggled(on); });
  connect(Check2, &QCheckBox::toggled, this,
          [this](bool on) { presenter_->verifiedOnlyToggled(on); });
  connect(Check3, &QCheckBox::toggled, this, [this](bool on) { presenter_->localDaysToggled(on); });
  connect(progressTimer_, &QTimer::timeout, this, [this] { presenter_->showProgress(); });
  connect(new QShortcut(QKeySequence::Copy, ListView1, nullptr, nullptr, Qt::WidgetShortcut),
          &QShortcut::activated, this, [this] { presenter_->copyRows(); });
  connect(ListView1, &QWidget::customContextMenuRequested, this, &frmMain::showRowMenu);
  connect(ListView1, &QAbstractItemView::doubleClicked, this, [this] { presenter_->openDetail(); });
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
    connect(new QShortcut(key, ListView1, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, [this] { presenter_->openDetail(); });
  connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { presenter_->rowSelectionChanged(); });
}

void frmMain::Form_Load() {
  presenter_->load();
}

void frmMain::List1_Click(int row) {
  presenter_->siteSelected(row);
}

void frmMain::showRowMenu(const QPoint& at) {
  QMenu menu(this);
  for (const RowMenuItem& item : kRowMenu)
    connect(menu.addAction(text(item.text)), &QAction::triggered, this,
            [this, entry = item.entry] { presenter_->chooseRowMenu(entry); });
  menu.exec(ListView1->viewport()->mapToGlobal(at));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == List1->viewport() && event->type() == QEvent::MouseButtonPress)
    presenter_->sitePressed();
  return QWidget::eventFilter(watched, event);
}

Mode frmMain::mode() const {
  if (Option1->isChecked()) return Mode::AllLogs;
  if (Option2->isChecked()) return Mode::LastDays;
  if (Option4->isChecked()) return Mode::SingleFile;
  return Mode::Today;
}

std::string frmMain::dayCount() const {
  return Combo1->currentText().toStdString();
}

std::vector<std::size_t> frmMain::selectedRows() const {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : ListView1->selectionModel()->selectedRows())
    rows.push_back(static_cast<std::size_t>(index.row()));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void frmMain::showDayChoices(const std::vector<std::string>& choices, const std::string& chosen) {
  for (const std::string& choice : choices) Combo1->addItem(text(choice));
  Combo1->setCurrentText(text(chosen));
}

void frmMain::showSites(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(text(name), List1);
    item->setToolTip(text(name));  // a long name shows in full
  }
}

void frmMain::showColumns(const std::vector<ResultsColumn>& columns) {
  model_->showColumns();
  // At least the designed width, and never too narrow for the header.
  const QFontMetrics metrics = ListView1->header()->fontMetrics();
  for (std::size_t c = 0; c < columns.size(); ++c)
    ListView1->setColumnWidth(static_cast<int>(c),
                              std::max(twipsToPixels(columns[c].widthTwips),
                                       metrics.horizontalAdvance(text(columns[c].header)) + 16));
}

void frmMain::showRows(std::size_t count, bool followNewest) {
  const QScrollBar* bar = ListView1->verticalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum();
  model_->showRows(count);
  if (followNewest && atEnd && count > 0) ListView1->scrollToBottom();
}

void frmMain::selectRows(const std::vector<std::size_t>& rows) {
  QItemSelection selection;
  for (const std::size_t row : rows) {
    const QModelIndex index = model_->index(static_cast<int>(row), 0);
    selection.select(index, index);
  }
  ListView1->selectionModel()->select(
      selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!rows.empty())  // the keyboard goes on from there
    ListView1->selectionModel()->setCurrentIndex(model_->index(static_cast<int>(rows.front()), 0),
                                                 QItemSelectionModel::NoUpdate);
}

void frmMain::refreshRows() {
  model_->refresh();
}

void frmMain::enableVerifiedOnly(bool enabled) {
  Check2->setEnabled(enabled);
}

void frmMain::highlightSite(int index) {
  highlighting_ = true;
  if (index < 0)
    List1->clearSelection();
  else
    List1->setCurrentRow(index);
  highlighting_ = false;
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

void frmMain::copyText(std::string_view copied) {
  QApplication::clipboard()->setText(text(copied));
}

void frmMain::showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) {
  if (!chart_) chart_ = new ChartWindow([this] { presenter_->chartClosed(); }, this);
  chart_->showChart(chart, selected);
}

void frmMain::showDetail(std::string_view title, std::string_view page) {
  if (!detail_)
    detail_ = new DetailWindow(
        {[this](bool exact) { presenter_->showExactStatus(exact); },
         [this] { presenter_->copyDetail(); }, [this] { presenter_->detailClosed(); }},
        this);
  detail_->showPage(title, page);
}

}  // namespace tarnwick
