#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <map>
#include <vector>

#include "document/field_state.h"

// The document as its history sees it: the state of a field, and putting a
// state back. Undo and redo restore through this and nothing else.
class HistoryTarget {
 public:
  virtual CellState StateOf(const FieldRef& field) const = 0;
  virtual void Restore(const FieldRef& field, const CellState& state) = 0;
  // While held, the views hear of restored cells once, at the release.
  virtual void HoldCellSignals() = 0;
  virtual void ReleaseCellSignals() = 0;

 protected:
  ~HistoryTarget() = default;
};

// The document's undo and redo. Every change the user makes to fields and
// typed texts is one step that holds, for each field it touched and for
// nothing else, the field's state before and after; undo puts the states
// from before back, redo the ones from after.
//
// A change is grouped: TableDocument::Change opens a group, the document
// reports each field the first time it is touched inside it (the recording
// side, below), and closing the group compares with the field's state then
// and pushes one step if anything differs. Text typed into a cell outside any
// group (TableDocument::Type) is typing: every keystroke of one visit of one
// cell merges into one step. Undo and redo put states back through
// HistoryTarget; the history and the document see nothing else of each other.
//
// Commits of typed text (a tab left, Save As) are not steps: they change how a
// field is held, not what the user chose, and since a step restores both
// parts of a field, undoing it after a commit still gives the cell exactly
// what it showed and held.
//
// Our own small stack: QUndoStack lives in QtGui, and the document library
// links QtCore only.
//
// Everyone else sees the history as this class, whose undo and redo are all
// it may do; the recording side is protected, and only the HistoryRecorder
// the document owns makes it public.
class DocumentHistory : public QObject {
  Q_OBJECT

 public:
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
  // A keystroke outside any change (typing) changed a cell, and the history
  // has taken it into its visit's step, which goes on.
  void typed();

 protected:
  // `target` is the document this history restores into.
  DocumentHistory(HistoryTarget& target, QObject* parent);

  // The recording side, which the document reports its changes to.
  //
  // Groups nest; the outermost one makes the step. A group that leaves every
  // field as it was makes none.
  void OpenGroup(const QString& name);
  void CloseGroup();
  // The change of the group failed (an exception left it). The outermost
  // group puts every field it touched back as it was and makes no step.
  void AbortGroup();
  bool GroupOpen() const { return depth_ > 0; }
  // `field` is about to change: an open group takes its state (the first
  // time only), unless an undo or redo is putting it back.
  void Touching(const FieldRef& field);
  // Typing outside a group changed `field` from `before` to `after`.
  // Either call may run out of memory before it records anything.
  void Typed(const FieldRef& field, const CellState& before, const CellState& after);
  // Forgets every step (Open); the fields as they are now are clean.
  void Clear();
  // The fields as they are now are saved (Save As).
  void SetClean();

 private:
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

  bool Recording() const { return depth_ > 0 && !replaying_; }

  void Push(Step step);
  void Replay(const Step& step, CellState Touched::*state);
  // Sends the signals for whatever of the state changed since `before`.
  struct Shown {
    bool can_undo, can_redo, clean;
    QString undo_text, redo_text;
  };
  Shown Now() const;
  void Announce(const Shown& before);

  HistoryTarget& target_;
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

// The history as the document that owns it holds it: a DocumentHistory whose
// recording side is public. The document makes one and hands out the rest of
// the program only its DocumentHistory part, so nothing else reports changes.
class HistoryRecorder final : public DocumentHistory {
 public:
  HistoryRecorder(HistoryTarget& target, QObject* parent) : DocumentHistory(target, parent) {}

  using DocumentHistory::AbortGroup;
  using DocumentHistory::Clear;
  using DocumentHistory::CloseGroup;
  using DocumentHistory::GroupOpen;
  using DocumentHistory::OpenGroup;
  using DocumentHistory::SetClean;
  using DocumentHistory::Touching;
  using DocumentHistory::Typed;
};
