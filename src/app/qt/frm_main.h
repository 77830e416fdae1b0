#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "app/qt/list_view_table.h"
#include "app/site_selection.h"
#include "app/status_view.h"
#include "catalogue/site_catalogue.h"
#include "catalogue/site_list.h"

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

// The one window: options, the site list and the results table. Selecting a site runs
// the analysis in the chosen mode while the window stays responsive.
class frmMain : public QWidget, private StatusView {
  Q_OBJECT

 public:
  // Builds the window and lists `sites`; their rows get one column per crawler.
  frmMain(const WindowServices& services, const std::vector<Site>& sites,
          const CrawlerList& crawlers, JobSettings settings = {}, QWidget* parent = nullptr);
  ~frmMain() override;

  // The hidden log-folder lists, parallel to the site list.
  const SiteList& list2() const { return List2; }
  const SiteList& list3() const { return List3; }
  // The results table.
  const ResultsModel& results() const { return table_->model(); }
  // Whether an analysis is running.
  bool analysing() const { return selection_->running(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildControls();
  void placeControls();
  void connectControls();
  void Form_Load();
  // Site `row` of List1 was selected (the selection as it was when the user made it).
  void List1_Click(int row);
  void runSelectedSiteAgain();
  void copyRows();
  void showRowMenu(const QPoint& at);
  Mode selectedMode() const;

  void showRunning(bool running) override;
  void showProgress(std::size_t done, std::size_t planned) override;
  void showStatus(std::string_view text) override;

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
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Command1 = nullptr;  // "取消"
  QLabel* Label6 = nullptr;         // the status line
  SiteList List2;                   // log folders, for "该站点所有日志"
  SiteList List3;                   // log folders, for the other modes
  std::vector<QWidget*> controls_;  // in the order of the design

  const WindowServices services_;
  const std::vector<Site>& sites_;
  const CrawlerList& crawlers_;
  std::unique_ptr<ListViewTable> table_;
  std::unique_ptr<SiteSelection> selection_;
  QTimer* progressTimer_ = nullptr;
  int rowBeforePress_ = -1;  // List1's selected row when the mouse went down
  bool analysing_ = false;   // as last shown: the status line's room depends on it
};

}  // namespace tarnwick
