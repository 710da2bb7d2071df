#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// Keeps the editor's settings (recent files, the dialogs' folder) and its
// journals of unsaved edits in a temporary folder for as long as this lives,
// so that tests, benchmarks and tools driving the window never read or change
// the user's own. Made before anything reads a setting.
class PrivateSettings {
 public:
  PrivateSettings() {
    QStandardPaths::setTestModeEnabled(true);
    if (dir_.isValid()) {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
      QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
      qputenv("TREVALUNE_JOURNAL_DIR", dir_.filePath(QStringLiteral("journals")).toLocal8Bit());
    }
  }
  bool IsValid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
};
