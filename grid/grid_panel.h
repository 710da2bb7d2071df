#pragma once

#include <QAbstractItemView>
#include <QDockWidget>
#include <functional>
#include <optional>

#include "document/field_state.h"

class QKeyEvent;

// A panel docked under the grid (or beside it) that lists fields of the
// tables: Enter or a double-click on a row of its list asks to see the row's
// cell in the grid (showField), and Escape anywhere in the panel asks to give
// the keyboard back to the grid (leaveRequested). The list and the buttons
// leave Escape to the panel; Escape with a modifier is not the panel's.
class GridPanel : public QDockWidget {
  Q_OBJECT

 public:
  // `object_name` names the panel for the window's layout and for finding it.
  GridPanel(const QString& object_name, QWidget* parent);

 signals:
  // The user asked to see the cell of `field`.
  void showField(const FieldRef& field);
  // The user pressed Escape in the panel.
  void leaveRequested();

 protected:
  // The list's rows, one a line and chosen whole, `mode` saying how many at
  // once; the keyboard goes to the list when it comes to the panel.
  void SetUpList(QAbstractItemView* list, QAbstractItemView::SelectionMode mode);
  // Enter or a double-click on a row of `list` shows the field `field_of`
  // gives for the row; a row it gives none for shows nothing.
  using FieldOfRow = std::function<std::optional<FieldRef>(const QModelIndex& row)>;
  void ShowFieldOnActivation(QAbstractItemView* list, FieldOfRow field_of);
  void keyPressEvent(QKeyEvent* event) override;
};
