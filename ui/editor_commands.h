#pragma once

#include <QList>
#include <QObject>

class QAbstractItemView;
class QAction;

// Gives the window's commands what the grid's cell editor would keep for
// itself. A line edit claims Ctrl+Z and its kin for its own history, which
// knows only the one cell it is open on, and has its own context menu; in the
// grid the keys belong to the document's Undo and Redo, and a right click on
// the editor opens the grid's menu as it does on any other cell. Every editor
// the grid opens is covered.
class EditorCommands : public QObject {
 public:
  EditorCommands(QAbstractItemView* grid, QAction* undo, QAction* redo);
  // Another of the window's commands whose keys the editor would take.
  void Claim(QAction* action) { actions_.append(action); }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  QAction* ActionFor(QEvent* event) const;

  QObject* viewport_;
  QList<QAction*> actions_;
};
