#pragma once

#include <QObject>
#include <functional>

#include "field_state.h"

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;
class QWidget;
class TableDocument;
class UserSettings;

// The balance panel and the formula engine link Qt Charts and Qt Qml, which
// cost the editor's start-up their loading; so the editor leaves them to a
// module of their own (trevalune-balance), loaded the first time the panel is
// shown or a formula planned. The module registers the panel's maker here
// and the formula planner with the range edit. What links them itself (the
// tests, the benchmarks) registers them at once (RegisterBalance).
using BalancePanelMaker = QDockWidget* (*)(TableDocument* document, UserSettings* settings,
                                           QWidget* parent,
                                           std::function<void(const FieldRef&)> show_field,
                                           std::function<void()> back_to_grid);
void SetBalancePanelMaker(BalancePanelMaker maker);
// Loads the module unless the maker is there already; the reason when it
// cannot be loaded.
bool LoadBalance(QString& error);

// Вид → Баланс (Ctrl+Shift+B): shows and hides the balance panel. The panel,
// with its chart, is made the first time it is asked for, so that a window
// that never shows it pays nothing for it.
class BalanceCommands : public QObject {
  Q_OBJECT

 public:
  // Everything given must outlive this; the action goes into `view_menu`.
  // `error` tells the user a module that cannot be loaded.
  BalanceCommands(QMainWindow* window, TableDocument* document, UserSettings* settings,
                  QMenu* view_menu, std::function<void(const FieldRef&)> show_field,
                  std::function<void()> back_to_grid, std::function<void(const QString&)> error);

  QAction* ShowPanel;
  // None until first shown (a BalancePanel).
  QDockWidget* Panel() const { return panel_; }

 private:
  void Toggle(bool shown);

  QMainWindow* window_;
  TableDocument* document_;
  UserSettings* settings_;
  std::function<void(const FieldRef&)> show_field_;
  std::function<void()> back_to_grid_;
  std::function<void(const QString&)> error_;
  QDockWidget* panel_ = nullptr;
};
