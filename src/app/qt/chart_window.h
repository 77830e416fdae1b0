#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <vector>

#include "app/chart_model.h"

namespace tarnwick {

// The chart of the rows: a window of its own beside the main one, painting the model the
// presenter gives it, with a tip naming the row under the pointer.
class ChartWindow : public QWidget {
  Q_OBJECT

 public:
  ChartWindow(std::function<void()> closed, QWidget* parent);

  // Shows `chart` with rows `selected` marked; opens the window where it is closed.
  void showChart(const ChartModel& chart, const std::vector<std::size_t>& selected);
  const ChartModel& chart() const { return chart_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  ChartGeometry geometry() const;
  int legendHeight() const;

  std::function<void()> closed_;
  ChartModel chart_;
  std::vector<std::size_t> selected_;
};

// Moves `window` beside `owner` where the screen has room, so that the table stays in view.
void placeBeside(QWidget& window, const QWidget& owner);

}  // namespace tarnwick
