// The plugin trevalune-chart: the balance panel's chart drawn by QCustomPlot.
// It holds no code of the program's but this file, and knows the program
// only through balance_chart.h.

#include "balance/qcustomplot_chart.h"

#include <QMouseEvent>
#include <QObject>
#include <QToolTip>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include <qcustomplot.h>

namespace {

// A series of points in the order given: a QCPCurve keeps it (a QCPGraph
// would sort its points by x), so a point's index is the panel's.
QCPCurve* MakeSeries(QCustomPlot* plot, const QColor& color, double size) {
  auto* series = new QCPCurve(plot->xAxis, plot->yAxis);
  series->setLineStyle(QCPCurve::lsNone);
  series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, color, color, size));
  series->setPen(QPen(color));
  return series;
}

void SetPoints(QCPCurve* series, const QList<QPointF>& points) {
  QVector<double> order, keys, values;
  order.reserve(points.size());
  keys.reserve(points.size());
  values.reserve(points.size());
  for (const QPointF& point : points) {
    order.append(static_cast<double>(order.size()));
    keys.append(point.x());
    values.append(point.y());
  }
  series->setData(order, keys, values, true);
}

class QCustomPlotChart : public QCustomPlot, public BalanceChart {
 public:
  explicit QCustomPlotChart(QWidget* parent) : QCustomPlot(parent) {
    before_ = MakeSeries(this, QColor(160, 160, 160), 7);
    now_ = MakeSeries(this, QColor(32, 96, 200), 9);
    // The comparison file's points are only looked at: a click goes to the
    // points now under them.
    before_->setSelectable(QCP::stNone);
    note_ = new QCPItemText(this);
    note_->position->setType(QCPItemPosition::ptAxisRectRatio);
    note_->position->setCoords(0.5, 0.5);
    note_->setPositionAlignment(Qt::AlignCenter);
    note_->setSelectable(false);
    note_->setVisible(false);
    // The legend in a row of its own under the plot, as wide as it.
    auto* row = new QCPLayoutGrid;
    plotLayout()->addElement(1, 0, row);
    plotLayout()->setRowStretchFactor(1, 0.001);
    row->setMargins(QMargins(5, 0, 5, 5));
    row->addElement(0, 0, legend);
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setSelectableParts(QCPLegend::spNone);
    legend->setVisible(true);
    setMouseTracking(true);
    connect(this, &QCustomPlot::plottableClick, this,
            [this](QCPAbstractPlottable* plottable, int index, QMouseEvent*) {
              if (plottable == now_ && clicked_)
                clicked_(index);
            });
    connect(this, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { Hover(event->pos()); });
    connect(this, &QCustomPlot::afterReplot, this, [this] { laid_out_ = true; });
  }

  QWidget* Widget() override { return this; }

  void Show(const BalanceChartData& data) override {
    if (shown_ && data == *shown_)
      return;
    SetPoints(now_, data.now);
    SetPoints(before_, data.before);
    now_->setName(data.now_name);
    before_->setName(data.before_name);
    before_->setVisible(data.comparison);
    if (data.comparison)
      before_->addToLegend();
    else
      before_->removeFromLegend();
    for (QCPItemLine* line : moves_)
      removeItem(line);
    moves_.clear();
    for (const auto& [from, to] : data.moves) {
      auto* line = new QCPItemLine(this);
      line->setPen(QPen(QColor(120, 120, 220), 1));
      line->setSelectable(false);
      line->setLayer(QStringLiteral("grid"));
      line->start->setCoords(from);
      line->end->setCoords(to);
      moves_.push_back(line);
    }
    xAxis->setLabel(data.x_title);
    yAxis->setLabel(data.y_title);
    xAxis->setRange(data.x_range.x(), data.x_range.y());
    yAxis->setRange(data.y_range.x(), data.y_range.y());
    note_->setText(data.note);
    note_->setVisible(!data.note.isEmpty());
    shown_ = data;
    laid_out_ = false;
    replot(rpQueuedReplot);
  }

  void OnPointClicked(std::function<void(int)> clicked) override { clicked_ = std::move(clicked); }
  void OnPointTip(std::function<QString(int)> tip) override { tip_ = std::move(tip); }

  QPoint PointPosition(int point) const override {
    if (!laid_out_)  // the margins follow the axes' labels, laid out by a replot
      const_cast<QCustomPlotChart*>(this)->replot(rpImmediateRefresh);
    if (point < 0 || point >= now_->dataCount())
      return {};
    const QCPCurveData& data = *(now_->data()->constBegin() + point);
    return QPointF(xAxis->coordToPixel(data.key), yAxis->coordToPixel(data.value)).toPoint();
  }

  QPointF XRange() const override { return {xAxis->range().lower, xAxis->range().upper}; }
  QPointF YRange() const override { return {yAxis->range().lower, yAxis->range().upper}; }

 private:
  // The tooltip of the point now nearest the mouse, within a few pixels.
  void Hover(const QPoint& at) {
    int nearest = -1;
    double best = std::numeric_limits<double>::max();
    int index = 0;
    for (auto it = now_->data()->constBegin(); it != now_->data()->constEnd(); ++it, ++index) {
      const double dx = xAxis->coordToPixel(it->key) - at.x();
      const double dy = yAxis->coordToPixel(it->value) - at.y();
      const double distance = dx * dx + dy * dy;
      if (distance < best) {
        best = distance;
        nearest = index;
      }
    }
    if (nearest >= 0 && best <= 8.0 * 8.0 && tip_) {
      QToolTip::showText(mapToGlobal(at), tip_(nearest), this);
    } else if (QToolTip::isVisible()) {
      QToolTip::hideText();
    }
  }

  QCPCurve* before_;
  QCPCurve* now_;
  QCPItemText* note_;
  std::vector<QCPItemLine*> moves_;
  std::optional<BalanceChartData> shown_;
  bool laid_out_ = false;
  std::function<void(int)> clicked_;
  std::function<QString(int)> tip_;
};

}  // namespace

BalanceChart* QCustomPlotChartMaker::MakeChart(QWidget* parent) {
  return new QCustomPlotChart(parent);
}
