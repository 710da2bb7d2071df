#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "document/field_state.h"

class QAction;
class QDockWidget;
class QMainWindow;
class NotesChecker;
class QMenu;
class QWidget;
class TableDocument;
class UserSettings;
class ComputedColumnStore;
class GridPanel;

// Вид → Баланс (Ctrl+Shift+B): shows and hides the balance panel. The panel is
// made the first time it is asked for, so that a window that never shows it
// pays nothing for it; its computed columns are kept in the user's settings,
// under balanceColumns/creatures, balanceColumns/buildings and
// balanceColumns/spells.
class BalanceCommands : public QObject {
  Q_OBJECT

 public:
  // Everything given must outlive this; the action goes into `view_menu`.
  // `dock` places the panel under the grid, once, when it is first made.
  // `error` tells the user, once, that the panel's chart could not be loaded.
  BalanceCommands(QMainWindow* window, TableDocument* document, UserSettings* settings,
                  QMenu* view_menu, std::function<void(GridPanel*)> dock,
                  std::function<void(const QString&)> error);
  ~BalanceCommands() override;

  // None until first shown (a BalancePanel).
  QDockWidget* Panel() const { return panel_; }
  // Where the field notes in force come from, for the panel's filter "только
  // с нарушениями"; NotesChanged when they change.
  void SetNotesSource(std::function<const NotesChecker*()> notes);
  void NotesChanged();

 private:
  void Toggle(bool shown);

  QAction* ShowPanel;

  QMainWindow* window_;
  TableDocument* document_;
  std::unique_ptr<ComputedColumnStore> store_;
  std::function<void(GridPanel*)> dock_;
  std::function<void(const QString&)> error_;
  QDockWidget* panel_ = nullptr;
  std::function<const NotesChecker*()> notes_;
};
