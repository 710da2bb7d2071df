#include "ui/user_settings.h"

#include <QFileInfo>
#include <utility>

namespace {

const QString kLastFolderKey = QStringLiteral("lastFolder");

}  // namespace

std::unique_ptr<QSettings> OpenUserSettings() {
  return std::make_unique<QSettings>(QStringLiteral("Trevalune"), QStringLiteral("Trevalune"));
}

UserSettings::UserSettings() : UserSettings(&OpenUserSettings) {}

UserSettings::UserSettings(const std::function<std::unique_ptr<QSettings>()>& open)
    : reader_(open()), writer_(open().release()) {
  thread_.setObjectName(QStringLiteral("settings"));
  writer_->moveToThread(&thread_);
  thread_.start();
}

UserSettings::~UserSettings() {
  // Deleted on its thread, QSettings writes what it still holds; waited for,
  // as the window is gone by now and the next run reads the file.
  QMetaObject::invokeMethod(
      writer_, [writer = writer_] { delete writer; }, Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

QVariant UserSettings::value(const QString& key) const {
  const auto changed = changed_.constFind(key);
  return changed != changed_.cend() ? *changed : reader_->value(key);
}

void UserSettings::setValue(const QString& key, const QVariant& value) {
  // A value that stays as it is costs the settings thread a rewrite and a
  // disk sync of the whole file for nothing: an Open from the same folder.
  // The file gives back the type it can tell (a list of one path reads as
  // that path), so the value kept is compared as the type being set.
  if (QVariant kept = this->value(key);
      kept.isValid() && kept.convert(value.metaType()) && kept == value)
    return;
  changed_.insert(key, value);
  Write([key, value](QSettings& settings) { settings.setValue(key, value); });
}

void UserSettings::remove(const QString& key) {
  if (!value(key).isValid())
    return;
  changed_.insert(key, QVariant());
  Write([key](QSettings& settings) { settings.remove(key); });
}

void UserSettings::Write(std::function<void(QSettings&)> change) {
  QMetaObject::invokeMethod(
      writer_, [writer = writer_, change = std::move(change)] { change(*writer); },
      Qt::QueuedConnection);
}

QString RememberedDialogFolder(const UserSettings& settings, const QString& fallback) {
  const QString folder = settings.value(kLastFolderKey).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void KeepDialogFolder(UserSettings& settings, const QString& folder) {
  settings.setValue(kLastFolderKey, folder);
}
