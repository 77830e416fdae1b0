#include "app/frm_main.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTreeView>

#include "analysis/results_layout.h"
#include "catalogue/site_catalogue.h"

namespace tarnwick {

namespace {

// Client area of the window, in twips.
constexpr int kWidthTwips = 8655;
constexpr int kHeightTwips = 6285;

QString text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Places `widget` at a position and size given in twips, relative to its parent.
template <class W>
W* place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                      twipsToPixels(height));
  return widget;
}

}  // namespace

frmMain::frmMain(const WindowServices& services, const ConfigStore& w3svc, QWidget* parent)
    : QWidget(parent), services_(services) {
  setObjectName("frmMain");
  setWindowTitle(text("Tarnwick V1.1 修正测试版"));
  setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));

  buildSiteFrame();
  buildResultsFrame();
  buildNotes();
  buildOptionsFrame();
  setDesignedTabOrder();

  table_ = std::make_unique<ListViewTable>(*ListView1);
  analysis_ = std::make_unique<Analysis>(*table_, List2, services_.files);
  selection_ =
      std::make_unique<SiteSelection>(Dialogs{services_.box, services_.cd, services_.clock},
                                      *table_, List2, List3, *analysis_, services_.files.paths);
  Form_Load(w3svc);

  // Queued, so that the list shows the new selection before the analysis starts.
  connect(
      List1, &QListWidget::currentRowChanged, this,
      [this](int row) {
        if (row >= 0) List1_Click(row);
      },
      Qt::QueuedConnection);
  // Clicking the site already selected runs it again, in whatever mode is set now.
  List1->viewport()->installEventFilter(this);
  connect(
      List1, &QListWidget::clicked, this,
      [this](const QModelIndex& index) {
        if (index.row() == rowBeforePress_) List1_Click(index.row());
      },
      Qt::QueuedConnection);
}

frmMain::~frmMain() = default;

void frmMain::buildSiteFrame() {
  Frame1 = place(new QGroupBox(text("站点列表"), this), "Frame1", 120, 2040, 2655, 3015);
  List1 = place(new QListWidget(Frame1), "List1", 120, 240, 2415, 2580);
}

void frmMain::buildResultsFrame() {
  Frame2 = place(new QGroupBox(text("蜘蛛爬行情况分析"), this), "Frame2", 2760, 240, 5775, 4815);
  ListView1 = place(new QTreeView(Frame2), "ListView1", 120, 240, 5535, 4455);
}

void frmMain::buildNotes() {
  Label3 = place(new QLabel(text("2008-07-13"), this), "Label3", 7200, 5400, 900, 180);
  Label4 = place(new QLabel(text("注：日志文件比较大的话，分析时间可能会长一些。 "), this),
                 "Label4", 4200, 5880, 4230, 180);
}

void frmMain::buildOptionsFrame() {
  Frame3 = place(new QGroupBox(text("选项"), this), "Frame3", 120, 240, 2655, 1815);
  Option1 = place(new QRadioButton(text("该站点所有日志"), Frame3), "Option1", 360, 300, 1815, 255);
  Option2 = place(new QRadioButton(text("最近"), Frame3), "Option2", 360, 700, 735, 180);
  Option3 = place(new QRadioButton(text("当天日志"), Frame3), "Option3", 360, 1050, 1575, 255);
  Option4 = place(new QRadioButton(text("选择单一日志"), Frame3), "Option4", 360, 1400, 1455, 255);
  Combo1 = place(new QComboBox(Frame3), "Combo1", 1080, 650, 735, 300);
  Label5 = place(new QLabel(text("天"), Frame3), "Label5", 1800, 720, 180, 180);

  auto* modes = new QButtonGroup(Frame3);
  modes->setExclusive(true);
  for (QRadioButton* option : {Option1, Option2, Option3, Option4}) modes->addButton(option);
  Option3->setChecked(true);
  Combo1->setEditable(false);
  for (int days = 1; days <= 9; ++days) Combo1->addItem(QString::number(days));
}

void frmMain::setDesignedTabOrder() {
  QWidget* order[] = {List1, ListView1, Option1, Option2, Option3, Option4, Combo1};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void frmMain::Form_Load(const ConfigStore& w3svc) {
  Combo1->setCurrentText(QString::number(7));
  prepareResultsTable(*table_);
  for (const Site& site : loadCatalogue(w3svc)) {
    List1->addItem(QString::fromStdString(site.name));
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
  List1->repaint();  // shows the selection before a confirmation or a long analysis
  selection_->List1_Click(row, selectedMode(), Combo1->currentText().toStdString());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == List1->viewport() && event->type() == QEvent::MouseButtonPress)
    rowBeforePress_ = List1->currentRow();
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarnwick
