#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "app/main_presenter.h"
#include "app/main_view.h"
#include "app/qt/chart_window.h"
#include "app/qt/detail_window.h"
#include "app/qt/results_model.h"
#include "catalogue/site_catalogue.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QTreeView;

namespace tarnwick {

// The one window, drawn with Qt: it creates the controls of the design, hands their
// events to the presenter and shows what the presenter tells it.
class frmMain : public QWidget, private MainView {
  Q_OBJECT

 public:
  // Builds the window and lists `sites`; their rows get one column per crawler.
  frmMain(const WindowServices& services, const std::vector<Site>& sites,
          const CrawlerList& crawlers, JobSettings settings = {}, QWidget* parent = nullptr);
  ~frmMain() override;

  // The results table as the view shows it.
  const ResultsModel& results() const { return *model_; }
  // Whether an analysis is running.
  bool analysing() const { return presenter_->running(); }
  // The detail view, once it has been opened.
  DetailWindow* detailWindow() const { return detail_; }
  // The chart, once it has been opened.
  ChartWindow* chartWindow() const { return chart_; }
  // Does what choosing `entry` in the rows' menu does.
  void chooseRowMenu(RowMenuEntry entry) { presenter_->chooseRowMenu(entry); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildControls();
  void placeControls();
  void connectControls();
  void Form_Load();
  // Site `row` of List1 was selected.
  void List1_Click(int row);
  void showRowMenu(const QPoint& at);

  // MainView
  Mode mode() const override;
  std::string dayCount() const override;
  std::vector<std::size_t> selectedRows() const override;
  void showDayChoices(const std::vector<std::string>& choices, const std::string& chosen) override;
  void showSites(const std::vector<std::string>& names) override;
  void showColumns(const std::vector<ResultsColumn>& columns) override;
  void showRows(std::size_t count, bool followNewest) override;
  void highlightSite(int index) override;
  void selectRows(const std::vector<std::size_t>& rows) override;
  void refreshRows() override;
  void enableVerifiedOnly(bool enabled) override;
  void showRunning(bool running) override;
  void showProgress(std::size_t done, std::size_t planned) override;
  void showStatus(std::string_view text) override;
  void copyText(std::string_view text) override;
  void showDetail(std::string_view title, std::string_view page) override;
  void showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) override;

  QGroupBox* Frame1 = nullptr;
  QListWidget* List1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QTreeView* ListView1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QRadioButton* Option1 = nullptr;
  QRadioButton* Option2 = nullptr;
  QRadioButton* Option3 = nullptr;
  QRadioButton* Option4 = nullptr;
  QComboBox* Combo1 = nullptr;
  QLabel* Label5 = nullptr;
  QCheckBox* Check1 = nullptr;  // "验证蜘蛛"
  QCheckBox* Check2 = nullptr;  // "仅计已验证"
  QCheckBox* Check3 = nullptr;  // "按本地时间分日"
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Command1 = nullptr;  // "取消"
  QLabel* Label6 = nullptr;         // the status line
  std::vector<QWidget*> controls_;  // in the order of the design

  std::unique_ptr<MainPresenter> presenter_;
  ResultsModel* model_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  DetailWindow* detail_ = nullptr;
  ChartWindow* chart_ = nullptr;
  bool analysing_ = false;     // as last shown: the status line's room depends on it
  bool highlighting_ = false;  // the presenter moves the selection, not the user
};

}  // namespace tarnwick
