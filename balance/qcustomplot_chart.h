#pragma once

#include <QObject>

#include "balance/balance_chart.h"

// The root object of the plugin trevalune-chart: it makes the balance panel's
// charts, drawn by QCustomPlot (qcustomplot_chart.cpp).
class QCustomPlotChartMaker : public QObject, public BalanceChartMaker {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID BalanceChartMaker_iid)
  Q_INTERFACES(BalanceChartMaker)

 public:
  BalanceChart* MakeChart(QWidget* parent) override;
};
