#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;
class UserSettings;
class RecentFiles;

// Файл → Недавние файлы: the recent files, numbered, newest first, and an
// item that clears the list, kept in the user's settings.
class RecentFilesMenu : public QObject {
  Q_OBJECT

 public:
  using PathAction = std::function<void(const QString&)>;

  // Puts the submenu into `fileMenu` before `before`. `settings` hold the
  // list and must outlive the menu's use. `open` opens a chosen file;
  // `report` tells the user that a chosen file is gone.
  RecentFilesMenu(QMenu* fileMenu, QAction* before, UserSettings& settings, PathAction open,
                  PathAction report);

  QMenu* Menu() const { return menu_; }
  // A file was opened or saved: it goes first. The list is written and the
  // submenu rebuilt once control is back in the event loop (or at the latest
  // when the submenu is shown, or at WriteNow), so that an Open does not wait
  // for the settings and a dozen new menu items.
  void Add(const QString& path);
  // Writes and shows the files added since the last time, at once.
  void WriteNow();

 private:
  // Fills the submenu from the settings.
  void Rebuild();
  void Choose(const QString& path);
  void ClearList();
  // Reads the list, lets `change` edit it, writes it back and shows it.
  void Update(const std::function<void(RecentFiles&)>& change);

  QMenu* menu_;
  UserSettings& settings_;
  QStringList added_;  // oldest first, not yet in the settings
  PathAction open_;
  PathAction report_;
};
