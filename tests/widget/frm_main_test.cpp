// The window as the user meets it: controls, texts, geometry, tab order, initial state,
// the results table's columns, and site selections run through fakes while the window
// stays responsive.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "analysis/crawler_list.h"
#include "app/qt/frm_main.h"
#include "app/qt/qt_file_dialog.h"
#include "platform/clock.h"
#include "support/fakes.h"

using namespace tarnwick;

namespace {

const char* const kTwoSites = R"(<?xml version="1.0"?>
<configuration><system.applicationHost><sites>
  <site name="Default Web Site" id="1"><logFile directory="C:\logs" /></site>
  <site name="企业门户" id="2"><logFile directory="C:\logs" /></site>
  <siteDefaults />
</sites></system.applicationHost></configuration>)";

const char* const kNoSites = R"(<?xml version="1.0"?>
<configuration><system.applicationHost><sites /></system.applicationHost></configuration>)";

std::vector<Site> sitesOf(const char* config) {
  const ConfigOpenResult store = parseConfig(config, "test");
  return loadCatalogue(*store.store);
}

// Processes events until `done` holds; whether it did within a few seconds.
template <class Done>
bool processUntil(Done done) {
  QElapsedTimer waited;
  waited.start();
  while (!done()) {
    if (waited.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 private:
  // A window on `config`, with the server's C: drive in a temporary folder.
  struct Window {
    explicit Window(const char* config, const TextInput* reader = nullptr,
                    CrawlerList list = designedCrawlers())
        : clock({2008, 7, 13}), sites(sitesOf(config)), crawlers(std::move(list)) {
      paths.mapDrive('C', drive.path().toStdString());
      window = std::make_unique<frmMain>(
          WindowServices{box, cd, clock, reader ? *reader : input, folders, paths}, sites, crawlers,
          JobSettings{2});
    }
    template <class W>
    W* find(const char* name) const {
      W* widget = window->findChild<W*>(name);
      QTEST_ASSERT(widget);
      return widget;
    }
    std::string logPath(const std::string& name) const {
      return drive.path().toStdString() + "/logs/W3SVC1/" + name;
    }
    void writeLog(const std::string& name, const std::string& content) const {
      QDir(drive.path()).mkpath("logs/W3SVC1");
      std::ofstream(logPath(name), std::ios::binary) << content;
    }
    QString cell(int row, int column) const {
      const auto& model = window->results();
      return model.data(model.index(row, column)).toString();
    }
    void select(int row, const char* option = "Option3") {
      find<QRadioButton>(option)->setChecked(true);
      find<QListWidget>("List1")->setCurrentRow(row);
    }
    bool finish() const {
      return processUntil([&] { return !window->analysing() && window->results().rowCount(); });
    }

    QTemporaryDir drive;
    testing::FakeMessageDialog box;
    testing::FakeFileDialog cd;
    FixedClock clock;
    SystemTextInput input;
    SystemFolderListing folders;
    PathResolver paths;
    std::vector<Site> sites;
    CrawlerList crawlers;
    std::unique_ptr<frmMain> window;
  };

 private slots:
  void caption_and_client_area() {
    Window w(kTwoSites);
    QCOMPARE(w.window->windowTitle(), QString::fromUtf8("Tarnwick V1.1 修正测试版"));
    QCOMPARE(w.window->size(), QSize(577, 419));
    QCOMPARE(w.window->minimumSize(), QSize(577, 419));
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
    QVERIFY(w.find<QProgressBar>("ProgressBar1")->isHidden());
    QVERIFY(w.find<QPushButton>("Command1")->isHidden());
  }

  // The list takes the focus and makes a row current as the window opens: that is no
  // selection, and nothing may be asked or analysed before the user picks a site.
  void opening_the_window_asks_nothing_and_analyses_nothing() {
    Window w(kTwoSites);
    w.window->show();
    QApplication::setActiveWindow(w.window.get());
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w.find<QListWidget>("List1")->setFocus();
    QTest::qWait(200);
    QCOMPARE(w.find<QListWidget>("List1")->currentRow(), 0);  // as on a desktop
    QVERIFY(w.box.shown.empty());
    QCOMPARE(w.window->results().rowCount(), 0);
    QVERIFY(w.find<QListWidget>("List1")->selectedItems().isEmpty());
    QVERIFY(!w.window->analysing());
  }

  void sites_fill_the_list_with_their_names_as_tips() {
    Window w(kTwoSites);
    auto* list1 = w.find<QListWidget>("List1");
    QCOMPARE(list1->count(), 2);
    QCOMPARE(list1->item(1)->text(), QString::fromUtf8("企业门户"));
    QCOMPARE(list1->item(1)->toolTip(), QString::fromUtf8("企业门户"));
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
    (void)keys;
    for (int c = 0; c < 5; ++c) {
      const QString header = QString::fromUtf8(headers[c]);
      QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), header);
      // At least the designed 800 twips, and wide enough for its header.
      QVERIFY(view->columnWidth(c) >= 53);
      QVERIFY2(view->columnWidth(c) > view->header()->fontMetrics().horizontalAdvance(header),
               qPrintable(header));
    }
  }

  void selecting_a_site_runs_the_chosen_mode() {
    Window w(kTwoSites);
    w.writeLog("ex080713.log", "Googlebot\r\nBaiduspider Baiduspider\r\nYahoo!\r\n");
    w.find<QComboBox>("Combo1")->setCurrentText("3");
    w.select(0, "Option2");
    QVERIFY(w.finish());
    QCOMPARE(w.box.shown.size(), std::size_t{1});
    QCOMPARE(w.box.shown[0].text, std::string("确认要查看最近3天的日志吗？"));
    QCOMPARE(w.window->results().rowCount(), 3);
    QCOMPARE(w.cell(0, 0), QString("080713"));
    QCOMPARE(w.cell(0, 1), QString("1"));
    QCOMPARE(w.cell(0, 2), QString("1"));
    QCOMPARE(w.cell(2, 0), QString("080711"));
    // A day without a log keeps its zeros, greyed, and says why.
    const auto& model = w.window->results();
    QVERIFY(model.data(model.index(2, 1), Qt::ForegroundRole).isValid());
    QVERIFY(!model.data(model.index(0, 1), Qt::ForegroundRole).isValid());
    QVERIFY(model.data(model.index(2, 0), Qt::ToolTipRole).toString().contains("ex080711.log"));
    const QString status = w.find<QLabel>("Label6")->text();
    QVERIFY2(status.contains(QString::fromUtf8("「Default Web Site」最近 3 天")),
             qPrintable(status));
    QVERIFY(w.find<QProgressBar>("ProgressBar1")->isHidden());
  }

  // Real clicks: the selected site clicked again asks once; Cancel at the question for
  // another site puts the highlight back on the site whose rows are shown.
  void one_click_one_question_and_cancel_gives_the_highlight_back() {
    Window w(kTwoSites);
    auto* list1 = w.find<QListWidget>("List1");
    w.window->show();
    w.select(0);
    QVERIFY(w.finish());
    QCOMPARE(w.box.shown.size(), std::size_t{1});
    const QPoint first = list1->visualItemRect(list1->item(0)).center();
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, first);
    QVERIFY(w.finish());
    QTest::qWait(50);
    QCOMPARE(w.box.shown.size(), std::size_t{2});
    w.box.answer = MessageDialog::Answer::Cancel;
    const QPoint second = list1->visualItemRect(list1->item(1)).center();
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, second);
    QTest::qWait(50);
    QCOMPARE(w.box.shown.size(), std::size_t{3});
    QCOMPARE(w.window->results().rowCount(), 1);
    QCOMPARE(list1->selectedItems().size(), 1);
    QCOMPARE(list1->row(list1->selectedItems().front()), 0);
    QTest::qWait(50);
    QCOMPARE(w.box.shown.size(), std::size_t{3});  // giving the highlight back asks nothing
    w.box.answer = MessageDialog::Answer::Ok;
    QTest::keyClick(w.window.get(), Qt::Key_F5);
    QTest::qWait(50);
    QCOMPARE(w.box.shown.size(), std::size_t{4});  // F5 runs the selected site again
  }

  // "该站点所有日志" lists the oldest first: the table follows the newest row as rows
  // arrive, unless the user has scrolled away.
  void the_table_follows_the_newest_row() {
    Window w(kTwoSites);
    for (const char* month : {"0806", "0807"})
      for (int day = 10; day <= 30; ++day)
        w.writeLog("ex" + std::string(month) + std::to_string(day) + ".log", "Googlebot\r\n");
    w.window->show();
    w.select(0, "Option1");
    QVERIFY(w.finish());
    auto* view = w.find<QTreeView>("ListView1");
    QTest::qWait(20);
    const QScrollBar* bar = view->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
  }

  // While a read never returns, the window still paints and answers, and Esc gets
  // control back, keeping the rows finished before.
  void a_blocked_read_neither_freezes_the_window_nor_stops_the_cancel() {
    auto gate = std::make_shared<testing::Gate>();
    testing::FakeInput reader;
    Window w(kTwoSites, &reader);
    reader.files[w.logPath("ex080713.log")] = {"Googlebot\r\n"};
    reader.files[w.logPath("ex080712.log")] = {"Googlebot\r\n", -1, gate};
    QDir(w.drive.path()).mkpath("logs/W3SVC1");
    w.window->show();
    w.select(0, "Option2");
    QVERIFY(processUntil([&] { return w.window->results().rowCount() == 1; }));
    gate->awaitWaiting(1);
    QVERIFY(w.window->analysing());
    QVERIFY(w.find<QProgressBar>("ProgressBar1")->isVisible());
    QVERIFY(w.find<QPushButton>("Command1")->isVisible());
    QVERIFY(!w.window->grab().isNull());  // it paints
    QTest::qWait(250);                    // the progress timer runs
    QVERIFY(w.find<QLabel>("Label6")->text().startsWith(QString::fromUtf8("正在分析")));
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    QVERIFY(!w.window->analysing());
    QCOMPARE(w.window->results().rowCount(), 1);
    QVERIFY(w.find<QLabel>("Label6")->text().contains(QString::fromUtf8("已取消")));
    QVERIFY(w.find<QProgressBar>("ProgressBar1")->isHidden());
    gate->open();
  }

  void the_window_grows_and_the_table_with_it() {
    Window w(kTwoSites);
    w.window->show();
    w.window->resize(877, 619);
    QTest::qWait(20);
    QCOMPARE(w.find<QTreeView>("ListView1")->size(), QSize(669, 497));
    QCOMPARE(w.find<QListWidget>("List1")->height(), 372);
    QCOMPARE(w.find<QLabel>("Label4")->pos(), QPoint(580, 592));
    QCOMPARE(w.find<QRadioButton>("Option1")->pos(), QPoint(24, 20));
  }

  void selected_rows_copy_with_their_header() {
    Window w(kTwoSites);
    w.writeLog("ex080713.log", "Googlebot\r\n");
    w.window->show();
    w.select(0, "Option2");
    QVERIFY(w.finish());
    auto* view = w.find<QTreeView>("ListView1");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QStringList all = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(all.size(), 8);
    QCOMPARE(all[0], QString::fromUtf8("日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛"));
    QCOMPARE(all[1], QString("080713\t0\t1\t0\t0"));
    view->selectionModel()->select(w.window->results().index(2, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(
        QApplication::clipboard()->text(),
        QString::fromUtf8("日期\t百度蜘蛛\t谷歌蜘蛛\t雅虎蜘蛛\t搜搜蜘蛛\n080711\t0\t0\t0\t0\n"));
  }

  // Enter on the table opens the detail view; it follows the selection, copies with
  // Ctrl+C and, once closed, analyses go back to counting alone.
  void enter_on_the_table_opens_the_detail_view() {
    Window w(kTwoSites);
    w.writeLog("ex080713.log",
               "#Fields: time c-ip cs-uri-stem sc-status cs(User-Agent)\r\n"
               "01:00:00 66.249.71.5 /a.html 200 Googlebot\r\n"
               "02:00:00 66.249.71.6 /b.html 404 Googlebot\r\n");
    w.window->show();
    w.select(0);
    QVERIFY(w.finish());
    auto* view = w.find<QTreeView>("ListView1");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY2(w.window->analysing(), "read again, with the fields");
    QVERIFY(w.finish());
    QVERIFY(processUntil([&] {
      return w.window->detailWindow() && w.window->detailWindow()->isVisible() &&
             w.window->detailWindow()->pageText().contains(QString::fromUtf8("行数\t2"));
    }));
    DetailWindow* detail = w.window->detailWindow();
    QVERIFY(detail->pageText().contains(QString::fromUtf8("状态码\t1\t2xx\n\t1\t4xx\n")));
    w.window->findChild<QCheckBox*>("chkExactStatus")->setChecked(true);
    QVERIFY(detail->pageText().contains(QString::fromUtf8("状态码\t1\t200\n\t1\t404\n")));
    auto* page = detail->findChild<QPlainTextEdit*>("txtDetail");
    page->setFocus();
    QTest::keyClick(page, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), detail->pageText());
    detail->close();
    const QString shown = detail->pageText();
    w.select(0, "Option2");
    QVERIFY(w.finish());
    QVERIFY(!detail->isVisible());
    QCOMPARE(detail->pageText(), shown);
  }

  // The chart paints every crawler's line in its colour and marks the selected rows.
  void the_chart_paints_its_lines_and_marks_the_selected_rows() {
    const ChartModel model =
        rowsChart({"080713", "080712", "080711"}, {{30, 10, 0, 0}, {20, 25, 0, 0}, {5, 40, 0, 0}},
                  designedCrawlers());
    bool closed = false;
    ChartWindow chart([&] { closed = true; }, nullptr);
    chart.resize(600, 340);
    chart.showChart(model, {1});
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage image = chart.grab().toImage();
    const auto has = [&](QColor colour) {
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (image.pixelColor(x, y) == colour) return true;
      return false;
    };
    for (const ChartSeries& series : model.series)
      QVERIFY2(has(QColor(QString::fromStdString(series.colour))), series.colour.c_str());
    // The selected row's band: pale blue over white, down the middle of the plot.
    int pale = 0;
    for (int y = 0; y < image.height(); ++y) {
      const QColor c = image.pixelColor(image.width() / 2, y);
      pale += c.blue() > 240 && c.red() > 190 && c.red() < 230;
    }
    QVERIFY2(pale > image.height() / 3, qPrintable(QString::number(pale)));
    chart.close();
    QVERIFY(closed);
  }

  void open_dialog_filter_in_qt_form() {
    QCOMPARE(QString::fromStdString(qtFilter("日志文件|*.log|所有文件|*.*")),
             QString::fromUtf8("日志文件 (*.log);;所有文件 (*.*)"));
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
