#pragma once

#include <QObject>
#include <functional>

#include "field_state.h"

class BalancePanel;
class QAction;
class QMainWindow;
class QMenu;
class TableDocument;
class UserSettings;

// Вид → Баланс (Ctrl+Shift+B): shows and hides the balance panel. The panel,
// with its chart, is made the first time it is asked for, so that a window
// that never shows it pays nothing for it.
class BalanceCommands : public QObject {
  Q_OBJECT

 public:
  // Everything given must outlive this; the action goes into `view_menu`.
  BalanceCommands(QMainWindow* window, TableDocument* document, UserSettings* settings,
                  QMenu* view_menu, std::function<void(const FieldRef&)> show_field,
                  std::function<void()> back_to_grid);

  QAction* ShowPanel;
  // None until first shown.
  BalancePanel* Panel() const { return panel_; }

 private:
  void Toggle(bool shown);

  QMainWindow* window_;
  TableDocument* document_;
  UserSettings* settings_;
  std::function<void(const FieldRef&)> show_field_;
  std::function<void()> back_to_grid_;
  BalancePanel* panel_ = nullptr;
};
