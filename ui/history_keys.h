#pragma once

#include <QObject>

class QAbstractItemView;
class QAction;

// Gives the window's Undo and Redo the keys pressed in the grid's cell editor.
// A line edit claims Ctrl+Z and its kin for its own history, which knows only
// the one cell it is open on; in the grid those keys belong to the document's
// history instead, so they are taken from every editor the grid opens.
class HistoryKeys : public QObject {
 public:
  HistoryKeys(QAbstractItemView* grid, QAction* undo, QAction* redo);

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  QAction* ActionFor(QEvent* event) const;

  QObject* viewport_;
  QAction* undo_;
  QAction* redo_;
};
