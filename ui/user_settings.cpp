#include "user_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kLastFolderKey = QStringLiteral("lastFolder");

}  // namespace

std::unique_ptr<QSettings> OpenUserSettings() {
  return std::make_unique<QSettings>(QStringLiteral("Trevalune"), QStringLiteral("Trevalune"));
}

QString RememberedDialogFolder(const QSettings& settings, const QString& fallback) {
  const QString folder = settings.value(kLastFolderKey).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void KeepDialogFolder(QSettings& settings, const QString& folder) {
  settings.setValue(kLastFolderKey, folder);
}
