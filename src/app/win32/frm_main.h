#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "app/site_selection.h"
#include "app/status_view.h"
#include "app/win32/list_view_table.h"
#include "catalogue/site_catalogue.h"
#include "catalogue/site_list.h"

namespace tarnwick {

// The one window, built with the platform's own controls: options, the site list and
// the results table. Selecting a site runs the analysis in the chosen mode while the
// window stays responsive.
class frmMain final : private StatusView {
 public:
  frmMain(const WindowServices& services, const std::vector<Site>& sites,
          const CrawlerList& crawlers, JobSettings settings = {});
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Creates the window, hidden, at the designed size for its screen's DPI.
  bool create(HINSTANCE instance);
  HWND hwnd() const { return window_; }
  // The control the design names `name`.
  HWND control(std::string_view name) const;

  // Gives the window's keys their meaning (Tab between controls, Esc cancels, F5 and
  // Enter run the selected site again); true where `message` was handled.
  bool translate(MSG& message);

  // The hidden log-folder lists, parallel to the site list.
  const SiteList& list2() const { return List2; }
  const SiteList& list3() const { return List3; }
  // The rows shown.
  const MemoryTable& results() const { return table_->table(); }
  // Whether an analysis is running.
  bool analysing() const { return selection_->running(); }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR self);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  LRESULT handleList(HWND list, UINT message, WPARAM w, LPARAM l);
  void buildControls();
  void placeControls();
  void applyFont();
  void Form_Load();
  // Site `row` of List1 was selected (the selection as it was when the user made it).
  void List1_Click(int row);
  void runSelectedSiteAgain();
  void onCommand(int id, int code);
  LRESULT onNotify(const NMHDR& header);
  void copyRows();
  void showRowMenu(POINT at);
  Mode selectedMode() const;
  int selectedSite() const;

  void showRunning(bool running) override;
  void showProgress(std::size_t done, std::size_t planned) override;
  void showStatus(std::string_view text) override;

  HWND window_ = nullptr;
  std::vector<HWND> controls_;  // in the order of the design
  HWND List1 = nullptr;
  HWND ListView1 = nullptr;
  HWND Combo1 = nullptr;
  HWND Option1 = nullptr;
  HWND Option2 = nullptr;
  HWND Option3 = nullptr;
  HWND Option4 = nullptr;
  HWND ProgressBar1 = nullptr;
  HWND Command1 = nullptr;  // "取消"
  HWND Label6 = nullptr;    // the status line
  HWND tips_ = nullptr;     // tooltips for long site names and the status line
  HFONT font_ = nullptr;
  SiteList List2;  // log folders, for "该站点所有日志"
  SiteList List3;  // log folders, for the other modes

  const WindowServices services_;
  const std::vector<Site>& sites_;
  const CrawlerList& crawlers_;
  const JobSettings settings_;
  std::unique_ptr<ListViewTable> table_;
  std::unique_ptr<SiteSelection> selection_;
  std::wstring status_;   // the status line's text, also its tooltip
  std::wstring siteTip_;  // the name under the pointer in the site list
  int tipItem_ = -1;
  int rowBeforePress_ = -1;  // List1's selection when the mouse went down
  bool analysing_ = false;   // as last shown: the status line's room depends on it
};

}  // namespace tarnwick
