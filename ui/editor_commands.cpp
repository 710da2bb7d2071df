#include "ui/editor_commands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QChildEvent>
#include <QKeyEvent>
#include <QLineEdit>

EditorCommands::EditorCommands(QAbstractItemView* grid, QAction* undo, QAction* redo)
    : QObject(grid), viewport_(grid->viewport()), actions_{undo, redo} {
  // The editors are children of the viewport, made anew for each current cell.
  viewport_->installEventFilter(this);
  for (QLineEdit* editor : viewport_->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
    editor->installEventFilter(this);
}

QAction* EditorCommands::ActionFor(QEvent* event) const {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
    return nullptr;
  const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
  for (QAction* action : actions_) {
    if (action->shortcuts().contains(keys))
      return action;
  }
  return nullptr;
}

bool EditorCommands::eventFilter(QObject* object, QEvent* event) {
  if (object == viewport_) {
    // A child is announced while it is still being made, before it is a line
    // edit; what it is, is asked when it gets a key.
    if (event->type() == QEvent::ChildAdded)
      static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    return false;
  }
  if (!qobject_cast<QLineEdit*>(object))
    return false;
  if (event->type() == QEvent::ContextMenu) {
    // Left unaccepted, the event goes on to the viewport, whose grid shows its menu.
    event->ignore();
    return true;
  }
  QAction* action = ActionFor(event);
  if (!action)
    return false;
  // The override is claimed so that the key arrives as a key press, which runs
  // the action and goes no further: the editor's own undo never runs, even
  // when the document has nothing to undo.
  event->accept();
  if (event->type() == QEvent::KeyPress)
    action->trigger();
  return true;
}
