#pragma once

#include <QString>

class BalanceChartMaker;

// The chart plugin (trevalune-chart), loaded with QPluginLoader the first
// time it is asked for and kept while the program runs: beside the program,
// in the program's library folder once installed (lib/trevalune), or in one
// of Qt's library paths. None, with the reason in `problem`, when it cannot
// be loaded.
BalanceChartMaker* BalanceChartPlugin(QString* problem);
