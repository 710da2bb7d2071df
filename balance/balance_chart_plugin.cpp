#include "balance/balance_chart_plugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QStringList>

#include "balance/balance_chart.h"

BalanceChartMaker* BalanceChartPlugin(QString* problem) {
  static BalanceChartMaker* maker = nullptr;
  static QString failure;
  if (maker || !failure.isEmpty()) {
    if (problem)
      *problem = failure;
    return maker;
  }
  const QDir here(QCoreApplication::applicationDirPath());
  QStringList folders = {here.path(), here.filePath(QStringLiteral(TREVALUNE_CHART_PLUGIN_DIR))};
  folders += QCoreApplication::libraryPaths();
  QStringList reasons;
  for (const QString& folder : folders) {
    // Without a suffix: QPluginLoader tries the system's own (.so, .dll).
    QPluginLoader loader(QDir(folder).filePath(QStringLiteral("trevalune-chart")));
    if (QObject* plugin = loader.instance()) {
      maker = qobject_cast<BalanceChartMaker*>(plugin);
      if (maker)
        return maker;
      reasons << QCoreApplication::translate("BalanceChart", "%1: не тот модуль")
                     .arg(QDir::toNativeSeparators(loader.fileName()));
      loader.unload();
      continue;
    }
    if (QFileInfo::exists(loader.fileName()))
      reasons << loader.errorString();
  }
  failure = reasons.isEmpty()
                ? QCoreApplication::translate("BalanceChart", "нет модуля trevalune-chart в %1")
                      .arg(QDir::toNativeSeparators(folders.join(QStringLiteral(", "))))
                : reasons.join(QStringLiteral("; "));
  if (problem)
    *problem = failure;
  return nullptr;
}
