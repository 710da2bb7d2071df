#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "table_document.h"

class QUndoStack;

// The document's undo and redo: every change the user makes to fields and
// typed texts is one step that puts back, for each field it touched, the
// committed value and the typed text from before (undo) or after (redo).
//
// Commits of typed text (a tab left, Save As) are not steps: they change how a
// field is held, not what the user chose, and since a step restores both
// parts of a field, undoing it after a commit still gives the cell exactly
// what it showed and held.
class EditHistory : public QObject {
  Q_OBJECT

 public:
  // `document` must outlive the history.
  explicit EditHistory(TableDocument* document, QObject* parent = nullptr);
  ~EditHistory() override;

  QUndoStack* Stack() const { return stack_; }
  // Runs `change` on the document as one undoable step named `name` (shown in
  // the menu as "Отменить <name>"). Whatever `change` does to fields and typed
  // texts is captured; a change that leaves every field as it was is no step.
  void Apply(const QString& name, const std::function<void()>& change);
  // Typing into a cell: every keystroke of one visit of one cell merges into one step.
  void Type(const FieldRef& field, const std::string& text);
  // The visit ends: the current cell moved, the tab changed, or a non-typing step came.
  void EndVisit();
  // Forgets every step (Open).
  void Clear();

 signals:
  // Undo or redo is about to change `field`: the window shows its tab and
  // cell. Sent before the fields are restored, so that whatever showing the
  // tab commits cannot touch what the step puts back.
  void fieldTouched(const FieldRef& field);

 private:
  friend class FieldStep;
  TableDocument* document_;
  QUndoStack* stack_;
  // Keystrokes merge only into the step of the visit they belong to.
  int visit_ = 0;
};
