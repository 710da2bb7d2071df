#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QSettings;
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
  RecentFilesMenu(QMenu* fileMenu, QAction* before, QSettings& settings, PathAction open,
                  PathAction report);

  QMenu* Menu() const { return menu_; }
  // A file was opened or saved: it goes first.
  void Add(const QString& path);

 private:
  // Fills the submenu from the settings.
  void Rebuild();
  void Choose(const QString& path);
  void ClearList();
  // Reads the list, lets `change` edit it, writes it back and shows it.
  void Update(const std::function<void(RecentFiles&)>& change);

  QMenu* menu_;
  QSettings& settings_;
  PathAction open_;
  PathAction report_;
};
