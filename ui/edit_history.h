#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "table_document.h"

class QUndoStack;

// STAND-IN: the window's undo history with the interface the real one has.
// A step runs at once and nothing is recorded; the stack stays empty. The real
// history replaces this file as a whole.
class EditHistory : public QObject {
  Q_OBJECT

 public:
  explicit EditHistory(TableDocument* document, QObject* parent = nullptr);

  QUndoStack* Stack() const { return stack_; }
  // One undoable step named `name` (for "Отменить <name>"): runs `change`.
  void Apply(const QString& name, const std::function<void()>& change);
  // Text typed into a cell; keystrokes in one visit of a cell are one step.
  void Type(const FieldRef& field, const std::string& text);
  // The user left the cell: the next keystroke starts a new step.
  void EndVisit();
  void Clear();

 signals:
  void fieldTouched(const FieldRef& field);

 private:
  TableDocument* document_;
  QUndoStack* stack_;
};
