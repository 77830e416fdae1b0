#pragma once

#include <QWidget>
#include <memory>

#include "analysis/analysis.h"
#include "analysis/site_selection.h"
#include "app/list_view_table.h"
#include "catalogue/site_list.h"
#include "platform/config_store.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QTreeView;

namespace tarnwick {

// What the window needs from the platform.
struct WindowServices {
  MessageBox& box;
  FileDialog& cd;  // the open dialog of "选择单一日志"
  const Clock& clock;
  FileAccess files;
};

// The one window: options, the site list and the results table. Selecting a site
// runs the analysis in the chosen mode.
class frmMain : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and lists the sites of `w3svc`, the server's web service node.
  frmMain(const WindowServices& services, const ConfigStore& w3svc, QWidget* parent = nullptr);
  ~frmMain() override;

  // The hidden log-folder lists, parallel to the site list.
  const SiteList& list2() const { return List2; }
  const SiteList& list3() const { return List3; }
  // The results table.
  const ResultsModel& results() const { return table_->model(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildSiteFrame();
  void buildResultsFrame();
  void buildNotes();
  void buildOptionsFrame();
  void setDesignedTabOrder();
  void Form_Load(const ConfigStore& w3svc);
  // Site `row` of List1 was selected (the selection as it was when the user made it).
  void List1_Click(int row);
  Mode selectedMode() const;

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
  SiteList List2;  // log folders, for "该站点所有日志"
  SiteList List3;  // log folders, for the other modes

  const WindowServices services_;
  std::unique_ptr<ListViewTable> table_;
  std::unique_ptr<Analysis> analysis_;
  std::unique_ptr<SiteSelection> selection_;
  int rowBeforePress_ = -1;  // List1's selection when the mouse went down
};

}  // namespace tarnwick
