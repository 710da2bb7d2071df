#pragma once

#include <QString>
#include <memory>

class QSettings;

// What the editor keeps between runs, in the user's settings file (on Linux
// ~/.config/Trevalune/Trevalune.conf): the recent files and the folder the
// file dialogs start in. A window keeps one open: changes are written to the
// file soon after they are made (and when it closes), not on every change.
std::unique_ptr<QSettings> OpenUserSettings();

// Where the file dialogs start in a new run: the folder remembered from the
// last run while it still exists, otherwise `fallback`.
QString RememberedDialogFolder(const QSettings& settings, const QString& fallback);
// Remembers `folder` for the next run.
void KeepDialogFolder(QSettings& settings, const QString& folder);
