#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// Keeps the editor's settings (recent files, the dialogs' folder) in a
// temporary folder for as long as this lives, so that tests, benchmarks and
// tools driving the window never read or change the user's own. Made before
// anything reads a setting.
class PrivateSettings {
 public:
  PrivateSettings() {
    QStandardPaths::setTestModeEnabled(true);
    if (dir_.isValid()) {
      QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
      QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
  }
  bool IsValid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
};
