#pragma once

#include <QList>
#include <QPair>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QtPlugin>
#include <functional>

class QWidget;

// The balance panel's scatter chart, drawn by QCustomPlot in a plugin of its
// own (trevalune-chart), loaded the first time the panel is shown: QCustomPlot
// and Qt Print Support, which it needs, would cost every start of the editor
// their loading. The panel works out everything the chart shows; the plugin
// only draws it and reports clicks. Nothing but Qt crosses this interface.

// What the chart shows, in the chart's own units: an axis whose numbers are
// too large to be written plainly is scaled, and its title says by how much.
struct BalanceChartData {
  QString x_title;
  QString y_title;
  // The axes' ranges.
  QPointF x_range;  // (low, high)
  QPointF y_range;
  // The entries' points now, the comparison file's points (empty without
  // one), and a line from each comparison point to the entry's point now
  // where the two differ.
  QList<QPointF> now;
  QList<QPointF> before;
  QList<QPair<QPointF, QPointF>> moves;
  bool comparison = false;  // whether the comparison file's series is shown
  // A word on the chart itself, such as why a point is not there; none when empty.
  QString note;
  // Names of the two series, for the legend.
  QString now_name;
  QString before_name;

  bool operator==(const BalanceChartData&) const = default;
};

class BalanceChart {
 public:
  virtual ~BalanceChart() = default;
  // The chart's widget, owned by the parent it was made with.
  virtual QWidget* Widget() = 0;
  // Shows `data`; the same data again draws nothing anew.
  virtual void Show(const BalanceChartData& data) = 0;
  // Called with the index (into BalanceChartData::now) of a point clicked.
  virtual void OnPointClicked(std::function<void(int point)> clicked) = 0;
  // Asked for the tooltip of a point (an index into now) the mouse rests on.
  virtual void OnPointTip(std::function<QString(int point)> tip) = 0;
  // Where a point of now is drawn, in the widget's coordinates.
  virtual QPoint PointPosition(int point) const = 0;
  // The ranges the axes show.
  virtual QPointF XRange() const = 0;
  virtual QPointF YRange() const = 0;
};

// What the plugin gives: charts, each made in its parent widget.
class BalanceChartMaker {
 public:
  virtual ~BalanceChartMaker() = default;
  virtual BalanceChart* MakeChart(QWidget* parent) = 0;
};

#define BalanceChartMaker_iid "io.github.trevalune.Trevalune.BalanceChartMaker/1"
Q_DECLARE_INTERFACE(BalanceChartMaker, BalanceChartMaker_iid)
