#include "app/qt/chart_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>
#include <algorithm>

#include "app/texts.h"

namespace tarnwick {

namespace {

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr int kSwatch = 12;  // the legend's colour squares
constexpr int kGap = 6;

}  // namespace

void placeBeside(QWidget& window, const QWidget& owner) {
  const QRect screen = owner.screen()->availableGeometry();
  const QRect frame = owner.frameGeometry();
  window.move(std::max(screen.left(), std::min(frame.right() + 1, screen.right() - window.width())),
              std::max(screen.top(), std::min(frame.top(), screen.bottom() - window.height())));
}

ChartWindow::ChartWindow(std::function<void()> closed, QWidget* parent)
    : QWidget(parent, Qt::Window), closed_(std::move(closed)) {
  setObjectName("frmChart");
  setWindowTitle(text(kChartCaption));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  resize(640, 360);
}

void ChartWindow::showChart(const ChartModel& chart, const std::vector<std::size_t>& selected) {
  chart_ = chart;
  selected_ = selected;
  if (!isVisible()) {
    if (parentWidget()) placeBeside(*this, *parentWidget());
    show();
    raise();
  }
  update();
}

// The legend flows in lines across the top.
int ChartWindow::legendHeight() const {
  const QFontMetrics metrics = fontMetrics();
  int x = kGap, lines = 1;
  for (const ChartSeries& series : chart_.series) {
    const int item = kSwatch + 4 + metrics.horizontalAdvance(text(series.name)) + 2 * kGap;
    if (x + item > width() && x > kGap) x = kGap, ++lines;
    x += item;
  }
  return lines * (metrics.height() + 2) + kGap;
}

ChartGeometry ChartWindow::geometry() const {
  const QFontMetrics metrics = fontMetrics();
  const int labelWidth = metrics.horizontalAdvance(QString::number(chart_.top()));
  return layOutChart(chart_, width(), height(), legendHeight(), labelWidth, metrics.height());
}

void ChartWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics = fontMetrics();
  const ChartGeometry g = geometry();

  // The legend.
  int x = kGap, y = kGap;
  for (const ChartSeries& series : chart_.series) {
    const QString name = text(series.name);
    const int item = kSwatch + 4 + metrics.horizontalAdvance(name) + 2 * kGap;
    if (x + item > width() && x > kGap) x = kGap, y += metrics.height() + 2;
    painter.fillRect(x, y + (metrics.height() - kSwatch) / 2, kSwatch, kSwatch,
                     QColor(text(series.colour)));
    painter.setPen(Qt::black);
    painter.drawText(x + kSwatch + 4, y + metrics.ascent(), name);
    x += item;
  }

  // The selected rows, as bands behind the lines.
  const double half = g.xs.size() > 1 ? (g.xs[1] - g.xs[0]) / 2 : 8;
  for (const std::size_t row : selected_)
    if (row < g.xs.size())
      painter.fillRect(
          QRectF(g.xs[row] - std::max(half, 2.0), g.top, 2 * std::max(half, 2.0), g.bottom - g.top),
          QColor(0, 120, 215, 40));

  // The scale and its lines.
  for (const std::uint64_t tick : chart_.ticks) {
    const double at = g.yOf(tick);
    painter.setPen(QColor(0xe4, 0xe4, 0xe4));
    painter.drawLine(QPointF(g.left, at), QPointF(g.right, at));
    painter.setPen(QColor(0x44, 0x44, 0x44));
    const QString number = QString::number(tick);
    painter.drawText(
        QPointF(g.left - 6 - metrics.horizontalAdvance(number), at + metrics.ascent() / 2.0 - 1),
        number);
  }
  // The rows' labels, as many as fit.
  const int labelWidth =
      chart_.labels.empty() ? 1 : metrics.horizontalAdvance(text(chart_.labels.front())) + 12;
  const auto room = static_cast<std::size_t>(std::max(1.0, (g.right - g.left) / labelWidth));
  for (const std::size_t i : shownLabels(chart_.labels.size(), room)) {
    const QString label = text(chart_.labels[i]);
    const double w = metrics.horizontalAdvance(label);
    const double left = std::clamp(g.xs[i] - w / 2, 0.0, width() - w);
    painter.drawText(QPointF(left, g.bottom + metrics.height()), label);
  }
  // A line per crawler, with its points where they are far enough apart to see.
  const bool points = g.xs.size() < 2 || g.xs[1] - g.xs[0] >= 6;
  for (const ChartSeries& series : chart_.series) {
    QPolygonF line;
    for (const ChartPoint& p : linePoints(g, series.values)) line << QPointF(p.x, p.y);
    const QColor colour(text(series.colour));
    painter.setPen(QPen(colour, 2));
    painter.drawPolyline(line);
    if (points) {
      painter.setBrush(colour);
      for (std::size_t i = 0; i < series.values.size() && i < g.xs.size(); ++i)
        painter.drawEllipse(QPointF(g.xs[i], g.yOf(series.values[i])), 2.5, 2.5);
      painter.setBrush(Qt::NoBrush);
    }
  }
}

void ChartWindow::mouseMoveEvent(QMouseEvent* event) {
  const auto row = geometry().rowAt(event->position().x());
  if (row)
    QToolTip::showText(event->globalPosition().toPoint(), text(chartTip(chart_, *row)), this);
  else
    QToolTip::hideText();
}

void ChartWindow::closeEvent(QCloseEvent* event) {
  closed_();
  QWidget::closeEvent(event);
}

}  // namespace tarnwick
