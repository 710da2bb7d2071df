#include "ui/recent_files.h"

#include <QFileInfo>
#include "ui/user_settings.h"

namespace {

const QString kRecentFilesKey = QStringLiteral("recentFiles");

// One spelling for one file, so "a/../b.exe" and "b.exe" do not both appear.
QString Normalized(const QString& path) {
  return QFileInfo(path).absoluteFilePath();
}

}  // namespace

RecentFiles RecentFiles::Load(const UserSettings& settings) {
  RecentFiles recent;
  const QStringList stored = settings.value(kRecentFilesKey).toStringList();
  // Added oldest first, so the newest ends up first and duplicates go.
  for (auto it = stored.crbegin(); it != stored.crend(); ++it) {
    if (!it->isEmpty())
      recent.Add(*it);
  }
  return recent;
}

void RecentFiles::Save(UserSettings& settings) const {
  if (paths_.isEmpty())
    settings.remove(kRecentFilesKey);
  else
    settings.setValue(kRecentFilesKey, paths_);
}

void RecentFiles::Add(const QString& path) {
  const QString normalized = Normalized(path);
  paths_.removeAll(normalized);
  paths_.prepend(normalized);
  while (paths_.size() > kMaxCount)
    paths_.removeLast();
}

void RecentFiles::Remove(const QString& path) {
  paths_.removeAll(Normalized(path));
}
