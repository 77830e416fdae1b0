// The window as the user meets it: controls, texts, geometry, tab order, initial
// state, the results table's columns, and a site selection run through fakes.

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "app/frm_main.h"
#include "app/qt_file_dialog.h"
#include "platform/clock.h"

using namespace tarnwick;

namespace {

class RecordingBox : public MessageBox {
 public:
  Answer answer = Answer::Ok;
  std::vector<std::string> texts;
  Answer show(std::string_view text, Buttons, std::string_view title) override {
    texts.emplace_back(text);
    QTEST_ASSERT(title == "提示");
    return answer;
  }
};

class NoDialog : public FileDialog {
 public:
  void showOpen(std::string_view, std::string_view) override {}
  std::string fileName() const override { return {}; }
};

const char* const kTwoSites = R"(<?xml version="1.0"?>
<configuration><system.applicationHost><sites>
  <site name="Default Web Site" id="1"><logFile directory="C:\logs" /></site>
  <site name="企业门户" id="2"><logFile directory="C:\logs" /></site>
  <siteDefaults />
</sites></system.applicationHost></configuration>)";

const char* const kNoSites = R"(<?xml version="1.0"?>
<configuration><system.applicationHost><sites /></system.applicationHost></configuration>)";

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 private:
  // A window on `config`, with the server's C: drive in a temporary folder.
  struct Window {
    explicit Window(const char* config, const Date& today = {2008, 7, 13})
        : clock(today), store(parseConfig(config, "test")) {
      paths.mapDrive('C', drive.path().toStdString());
      window = std::make_unique<frmMain>(WindowServices{box, cd, clock, {input, folders, paths}},
                                         *store.store);
    }
    template <class W>
    W* find(const char* name) const {
      W* widget = window->findChild<W*>(name);
      QTEST_ASSERT(widget);
      return widget;
    }
    void writeLog(const std::string& name, const std::string& content) const {
      QDir(drive.path()).mkpath("logs/W3SVC1");
      std::ofstream(drive.path().toStdString() + "/logs/W3SVC1/" + name) << content;
    }

    QTemporaryDir drive;
    RecordingBox box;
    NoDialog cd;
    FixedClock clock;
    SystemTextInput input;
    SystemFolderListing folders;
    PathResolver paths;
    ConfigOpenResult store;
    std::unique_ptr<frmMain> window;
  };

 private slots:
  void caption_and_client_area() {
    Window w(kTwoSites);
    QCOMPARE(w.window->windowTitle(), QString::fromUtf8("Tarnwick V1.1 修正测试版"));
    QCOMPARE(w.window->size(), QSize(577, 419));
  }

  void controls_texts_and_geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");
    auto row = [](const char* name, const char* parent, const char* text, QRect rect) {
      QTest::newRow(name) << QString(name) << QString(parent) << QString::fromUtf8(text) << rect;
    };
    row("Frame1", "frmMain", "站点列表", {8, 136, 177, 201});
    row("List1", "Frame1", "", {8, 16, 161, 172});
    row("Frame2", "frmMain", "蜘蛛爬行情况分析", {184, 16, 385, 321});
    row("ListView1", "Frame2", "", {8, 16, 369, 297});
    row("Label3", "frmMain", "2008-07-13", {480, 360, 60, 12});
    row("Label4", "frmMain", "注：日志文件比较大的话，分析时间可能会长一些。 ",
        {280, 392, 282, 12});
    row("Frame3", "frmMain", "选项", {8, 16, 177, 121});
    row("Option1", "Frame3", "该站点所有日志", {24, 20, 121, 17});
    row("Option2", "Frame3", "最近", {24, 47, 49, 12});
    row("Option3", "Frame3", "当天日志", {24, 70, 105, 17});
    row("Option4", "Frame3", "选择单一日志", {24, 93, 97, 17});
    row("Combo1", "Frame3", "7", {72, 43, 49, 20});
    row("Label5", "Frame3", "天", {120, 48, 12, 12});
  }

  void controls_texts_and_geometry() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    Window w(kTwoSites);
    auto* widget = w.find<QWidget>(name.toLatin1().constData());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), pixels);
    QString shown;
    if (auto* label = qobject_cast<QLabel*>(widget)) shown = label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) shown = frame->title();
    if (auto* option = qobject_cast<QRadioButton*>(widget)) shown = option->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) shown = combo->currentText();
    QCOMPARE(shown, text);
  }

  void tab_order_as_designed() {
    Window w(kTwoSites);
    const char* order[] = {"List1",   "ListView1", "Option1", "Option2",
                           "Option3", "Option4",   "Combo1"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
      QWidget* next = w.find<QWidget>(order[i])->nextInFocusChain();
      while (!(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
      QCOMPARE(next->objectName(), QString(order[i + 1]));
    }
  }

  void initial_state() {
    Window w(kTwoSites);
    QVERIFY(w.find<QRadioButton>("Option3")->isChecked());
    w.find<QRadioButton>("Option1")->setChecked(true);
    QVERIFY(!w.find<QRadioButton>("Option3")->isChecked());
    auto* combo = w.find<QComboBox>("Combo1");
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), 9);
    for (int i = 0; i < 9; ++i) QCOMPARE(combo->itemText(i), QString::number(i + 1));
    QCOMPARE(combo->currentText(), QString("7"));
    QCOMPARE(w.window->results().rowCount(), 0);
  }

  void sites_fill_the_three_lists_in_step() {
    Window w(kTwoSites);
    auto* list1 = w.find<QListWidget>("List1");
    QCOMPARE(list1->count(), 2);
    QCOMPARE(list1->item(1)->text(), QString::fromUtf8("企业门户"));
    const std::vector<std::string> folders{"C:\\logs\\W3SVC1\\", "C:\\logs\\W3SVC2\\"};
    QVERIFY(w.window->list2().entries() == folders);
    QVERIFY(w.window->list3().entries() == folders);
  }

  void no_sites_still_opens_with_five_columns() {
    Window w(kNoSites);
    QCOMPARE(w.find<QListWidget>("List1")->count(), 0);
    const auto& model = w.window->results();
    const char* headers[] = {"日期", "百度蜘蛛", "谷歌蜘蛛", "雅虎蜘蛛", "搜搜蜘蛛"};
    const char* keys[] = {"MyDate", "MyBaidu", "MyGoogle", "MyYahoo", "MySoSo"};
    QCOMPARE(model.columnCount(), 5);
    auto* view = w.find<QTreeView>("ListView1");
    QVERIFY(!view->isHeaderHidden());
    QVERIFY(!view->isSortingEnabled());
    for (int c = 0; c < 5; ++c) {
      QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
               QString::fromUtf8(headers[c]));
      QCOMPARE(model.table().columns()[c].key, std::string(keys[c]));
      QCOMPARE(view->columnWidth(c), 53);  // 800 twips
    }
  }

  void selecting_a_site_runs_the_chosen_mode() {
    Window w(kTwoSites);
    w.writeLog("ex080713.log", "Googlebot\r\nBaiduspider Baiduspider\r\nYahoo!\r\n");
    w.find<QRadioButton>("Option2")->setChecked(true);
    w.find<QComboBox>("Combo1")->setCurrentText("3");
    w.find<QListWidget>("List1")->setCurrentRow(0);
    QCoreApplication::processEvents();
    QCOMPARE(w.box.texts, std::vector<std::string>{"确认要查看最近3天的日志吗？"});
    const auto& model = w.window->results();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString("080713"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("1"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QString("1"));
    QCOMPARE(model.data(model.index(2, 0)).toString(), QString("080711"));
    QCOMPARE(w.window->list3().selected(), 0);
  }

  void clicking_the_selected_site_again_runs_it_again_and_cancel_keeps_rows() {
    Window w(kTwoSites);
    auto* list1 = w.find<QListWidget>("List1");
    w.window->show();
    list1->setCurrentRow(0);
    QCoreApplication::processEvents();
    QCOMPARE(w.window->results().rowCount(), 1);
    w.box.answer = MessageBox::Answer::Cancel;
    const QPoint first = list1->visualItemRect(list1->item(0)).center();
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, first);
    QCoreApplication::processEvents();
    QCOMPARE(w.box.texts.size(), std::size_t{2});
    QCOMPARE(w.window->results().rowCount(), 1);
    const QPoint second = list1->visualItemRect(list1->item(1)).center();
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, second);
    QCoreApplication::processEvents();
    QCOMPARE(w.box.texts.size(), std::size_t{3});  // once for a click that changes the site
  }

  void open_dialog_filter_in_qt_form() {
    QCOMPARE(QString::fromStdString(qtFilter("日志文件|*.log|所有文件|*.*")),
             QString::fromUtf8("日志文件 (*.log);;所有文件 (*.*)"));
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
