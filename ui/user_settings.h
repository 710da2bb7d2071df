#pragma once

#include <QHash>
#include <QSettings>
#include <QString>
#include <QThread>
#include <QVariant>
#include <functional>
#include <memory>

// The user's settings file (on Linux ~/.config/Trevalune/Trevalune.conf), as
// Qt names it.
std::unique_ptr<QSettings> OpenUserSettings();

// What the editor keeps between runs: the recent files and the folder the file
// dialogs start in. A window keeps one open. Changes are seen at once, and
// reach the file on a thread of their own, at QSettings' own time: writing
// the file ends with a disk sync, which the window never waits for. All of
// it is on the disk once this is gone.
class UserSettings {
 public:
  // The user's settings file.
  UserSettings();
  // The file `open` gives, called twice (one for reading, one for writing).
  explicit UserSettings(const std::function<std::unique_ptr<QSettings>()>& open);
  ~UserSettings();
  UserSettings(const UserSettings&) = delete;
  UserSettings& operator=(const UserSettings&) = delete;

  QVariant value(const QString& key) const;
  void setValue(const QString& key, const QVariant& value);
  void remove(const QString& key);

 private:
  void Write(std::function<void(QSettings&)> change);

  std::unique_ptr<QSettings> reader_;  // never written, so never synced here
  QHash<QString, QVariant> changed_;   // in this run; an invalid value: removed
  QThread thread_;
  QSettings* writer_;  // lives on `thread_`
};

// Where the file dialogs start in a new run: the folder remembered from the
// last run while it still exists, otherwise `fallback`.
QString RememberedDialogFolder(const UserSettings& settings, const QString& fallback);
// Remembers `folder` for the next run.
void KeepDialogFolder(UserSettings& settings, const QString& folder);
