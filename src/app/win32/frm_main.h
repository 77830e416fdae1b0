#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "analysis/crawlers.h"
#include "analysis/job.h"
#include "app/main_presenter.h"
#include "app/main_view.h"
#include "app/win32/chart_window.h"
#include "app/win32/detail_window.h"
#include "app/win32/list_view_table.h"
#include "app/win32/window_proc.h"
#include "catalogue/site_catalogue.h"

namespace tarnwick {

// The one window, drawn with the platform's own controls: it creates the controls of the
// design, hands their events to the presenter and shows what the presenter tells it.
class frmMain final : private MainView {
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

  // The rows the table shows.
  const ResultRows& results() const { return presenter_->rows(); }
  // Whether an analysis is running.
  bool analysing() const { return presenter_ && presenter_->running(); }
  // The detail view, once it has been opened.
  const DetailWindow* detailWindow() const { return detail_.get(); }
  // The chart, once it has been opened.
  ChartWindow* chartWindow() const { return chart_.get(); }

 private:
  template <class W>
  friend LRESULT CALLBACK windowProcOf(HWND, UINT, WPARAM, LPARAM);
  void attach(HWND window) { window_ = window; }
  static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR self);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  LRESULT handleList(HWND list, UINT message, WPARAM w, LPARAM l);
  void buildControls();
  void placeControls();
  void applyFont();
  void Form_Load();
  // Site `row` of List1 was selected.
  void List1_Click(int row);
  void onCommand(int id, int code);
  LRESULT onNotify(const NMHDR& header);
  void showRowMenu(POINT at);
  int selectedSite() const;

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

  HWND window_ = nullptr;
  std::vector<HWND> controls_;  // in the order of the design
  HWND List1 = nullptr;
  HWND ListView1 = nullptr;
  HWND Combo1 = nullptr;
  HWND Option1 = nullptr;
  HWND Option2 = nullptr;
  HWND Option3 = nullptr;
  HWND Option4 = nullptr;
  HWND Check1 = nullptr;  // "验证蜘蛛"
  HWND Check2 = nullptr;  // "仅计已验证"
  HWND Check3 = nullptr;  // "按本地时间分日"
  HWND ProgressBar1 = nullptr;
  HWND Command1 = nullptr;  // "取消"
  HWND Label6 = nullptr;    // the status line
  HWND tips_ = nullptr;     // tooltips for long site names and the status line
  HFONT font_ = nullptr;

  const WindowServices services_;
  const std::vector<Site>& sites_;
  const CrawlerList& crawlers_;
  const JobSettings settings_;
  std::unique_ptr<MainPresenter> presenter_;
  std::unique_ptr<ListViewTable> table_;
  std::unique_ptr<DetailWindow> detail_;
  std::unique_ptr<ChartWindow> chart_;
  bool selectionPosted_ = false;  // a change of the table's selection is on its way
  std::wstring status_;           // the status line's text, also its tooltip
  std::wstring siteTip_;          // the name under the pointer in the site list
  int tipItem_ = -1;
  bool analysing_ = false;  // as last shown: the status line's room depends on it
};

}  // namespace tarnwick
