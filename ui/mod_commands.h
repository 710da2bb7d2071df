#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "document/field_state.h"
#include "ui/command_window.h"

class QAction;
class QMenu;
class QWidget;
class TableDocument;
class TStringGrid;
class UserDialogs;

// The commands for working on a mod: a comparison file set and closed (File
// menu), the values taken from it and a range edited at once (Edit menu),
// and F7 and Shift+F7 to the next and previous cell that differs from it.
class ModCommands : public QObject {
  Q_OBJECT

 public:
  // What the commands use of the main window (command_window.h).
  using Window = CommandWindow;

  // Puts the comparison items into `file_menu` before `file_before`, and
  // the editing items at the end of `edit_menu`.
  ModCommands(const Window& window, QMenu* file_menu, QAction* file_before, QMenu* edit_menu);

  // F7 and Shift+F7, put at the end of `menu` too.
  void AddSteps(QMenu* menu) const;
  // The command whose keys the grid's cell editor would take (Ctrl+E).
  QAction* EditorKey() const { return EditRange; }

  void CompareWithClick();
  void CloseComparisonClick();
  void TakeFromComparisonClick();
  void EditRangeClick();
  // Moves to the next (`forward`) or previous differing cell.
  void StepToDifference(bool forward);

 private:
  void UpdateEnabled();
  // The fields of the selected range, or of the current cell.
  std::vector<FieldRef> SelectedFields() const;

  QAction* CompareWith;
  QAction* CloseComparison;
  QAction* TakeFromComparison;
  QAction* EditRange;
  QAction* NextDifference;
  QAction* PreviousDifference;

  Window window_;
};
