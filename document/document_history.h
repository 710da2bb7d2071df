#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "field_state.h"

class TableDocument;

// The document's undo and redo. Every change the user makes to fields and
// typed texts is one step that holds, for each field it touched and for
// nothing else, the field's state before and after; undo puts the states
// from before back, redo the ones from after.
//
// A change is grouped: the document records a field's state the first time
// the field is touched inside the group, and closing the group compares with
// the field's state then and pushes one step if anything differs. Text typed
// into a cell outside any group is typing: every keystroke of one visit of
// one cell merges into one step.
//
// Commits of typed text (a tab left, Save As) are not steps: they change how a
// field is held, not what the user chose, and since a step restores both
// parts of a field, undoing it after a commit still gives the cell exactly
// what it showed and held.
//
// Our own small stack: QUndoStack lives in QtGui, and the document library
// links QtCore only.
class DocumentHistory : public QObject {
  Q_OBJECT

 public:
  // The document this history restores into; it owns the history.
  explicit DocumentHistory(TableDocument* document);
  ~DocumentHistory() override;

  bool CanUndo() const { return index_ > 0; }
  bool CanRedo() const { return index_ < steps_.size(); }
  // The name of the step an undo or a redo would take ("ввод", "вставку", ...).
  QString UndoText() const;
  QString RedoText() const;
  // Steps kept, and how many of them are done (the rest are undone).
  std::size_t Count() const { return steps_.size(); }
  std::size_t Index() const { return index_; }
  // Whether the fields are as they were at the last Open or Save As.
  bool IsClean() const { return clean_ && *clean_ == index_; }
  // The bytes the steps hold, their typed texts included.
  std::size_t MemoryBytes() const;

  void Undo();
  void Redo();

  // Runs `change` as one step named `name` (Apply), or opens and closes
  // such a group by hand. Groups nest; the outermost one makes the step. A
  // group that leaves every field as it was makes none.
  void Apply(const QString& name, const std::function<void()>& change);
  void OpenGroupedChange(const QString& name);
  void CloseGroupedChange();

  // The visit of a cell ends: the current cell moved, the tab changed, or
  // another step came.
  void EndVisit();

 signals:
  // Undo or redo is about to change `field`: the window shows its tab and
  // cell. Sent before the fields are restored, so that whatever showing the
  // tab commits cannot touch what the step puts back.
  void fieldTouched(const FieldRef& field);
  void canUndoChanged(bool can_undo);
  void canRedoChanged(bool can_redo);
  void undoTextChanged(const QString& name);
  void redoTextChanged(const QString& name);
  void cleanChanged(bool clean);
  // A step is complete: a change pushed, an undo or a redo, or the end of a
  // visit that typed into its cell. Not sent for each keystroke.
  void stepCompleted();

 private:
  friend class TableDocument;

  struct Touched {
    FieldRef field;
    CellState before;
    CellState after;
  };
  struct Step {
    QString name;
    std::vector<Touched> touched;  // in table, entry and column order
    int visit;                     // the typing visit, or -1
  };

  // From the document. `field` is about to change; `before` is its state now.
  void Touching(const FieldRef& field, const CellState& before);
  // Typing outside a group changed `field` from `before` to `after`.
  void Typed(const FieldRef& field, const CellState& before, const CellState& after);
  bool Recording() const { return depth_ > 0 && !replaying_; }
  // Forgets every step (Open); the fields as they are now are clean.
  void Clear();
  // The fields as they are now are saved (Save As).
  void SetClean();

  void Push(Step step);
  void Replay(const Step& step, CellState Touched::*state);
  // Sends the signals for whatever of the state changed since `before`.
  struct Shown {
    bool can_undo, can_redo, clean;
    QString undo_text, redo_text;
  };
  Shown Now() const;
  void Announce(const Shown& before);

  TableDocument* document_;
  std::vector<Step> steps_;
  std::size_t index_ = 0;
  // The index at which the fields were saved; none once that step is gone.
  std::optional<std::size_t> clean_ = 0;
  int visit_ = 0;

  // The open group.
  int depth_ = 0;
  QString group_name_;
  std::map<FieldRef, CellState> group_before_;
  bool replaying_ = false;
};
