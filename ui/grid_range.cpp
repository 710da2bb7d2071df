// The grid's range of selected cells: Shift with the arrow keys, Shift+click
// and a mouse drag stretch it from the current cell, which keeps the editor;
// a plain arrow, a click or Tab brings it back to the current cell.

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

#include "string_grid.h"

namespace {

bool IsArrow(int key) {
  return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

// Shift+Left/Right belong to the text unless the text is wholly selected (as
// on entering a cell) or the cursor already stands at the edge it moves to.
bool TextLetsGo(const QLineEdit* editor, int key) {
  if (editor->hasSelectedText() && editor->selectedText() == editor->text())
    return true;
  return key == Qt::Key_Left ? editor->cursorPosition() == 0
                             : editor->cursorPosition() == editor->text().size();
}

}  // namespace

QRect TStringGrid::SelectedRange() const {
  const QPoint current(CurrentColumn(), CurrentRow());
  return QRect(
      QPoint(std::min(current.x(), range_end_.x()), std::min(current.y(), range_end_.y())),
      QPoint(std::max(current.x(), range_end_.x()), std::max(current.y(), range_end_.y())));
}

void TStringGrid::ExtendRange(int column, int row) {
  if (ColCount() < 2 || RowCount() < 2)
    return;
  range_end_ = {std::clamp(column, 1, ColCount() - 1), std::clamp(row, 1, RowCount() - 1)};
  SelectRange();
  scrollTo(model_->index(range_end_.y() - 1, range_end_.x() - 1));
}

void TStringGrid::CollapseRange() {
  range_end_ = {CurrentColumn(), CurrentRow()};
  SelectRange();
}

void TStringGrid::SelectRange() {
  if (!selectionModel())
    return;
  const QRect range = SelectedRange();
  const QModelIndex top_left = model_->index(range.top() - 1, range.left() - 1);
  const QModelIndex bottom_right = model_->index(range.bottom() - 1, range.right() - 1);
  if (!top_left.isValid() || !bottom_right.isValid()) {
    selectionModel()->clearSelection();
    return;
  }
  selectionModel()->select(QItemSelection(top_left, bottom_right),
                           QItemSelectionModel::ClearAndSelect);
}

bool TStringGrid::RangeKey(QLineEdit* editor, const QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::ShiftModifier && IsArrow(key)) {
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !TextLetsGo(editor, key))
      return false;  // selects characters in the text
    const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
    const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
    ExtendRange(range_end_.x() + dx, range_end_.y() + dy);
    return true;
  }
  if ((modifiers == Qt::NoModifier && IsArrow(key)) || key == Qt::Key_Tab || key == Qt::Key_Backtab)
    CollapseRange();
  return false;
}

void TStringGrid::RangeDragFromEditor(QLineEdit* editor, const QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton))
    return;
  const QPoint at = editor->mapTo(viewport(), event->position().toPoint());
  if (editor->geometry().contains(at))
    return;  // still inside: the text's own selection
  const QModelIndex cell = indexAt(at);
  if (cell.isValid())
    ExtendRange(cell.column() + 1, cell.row() + 1);
}

QItemSelectionModel::SelectionFlags TStringGrid::selectionCommand(const QModelIndex&,
                                                                  const QEvent*) const {
  return QItemSelectionModel::NoUpdate;
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex cell = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier)) {
    if (cell.isValid())
      ExtendRange(cell.column() + 1, cell.row() + 1);
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
  dragging_ = event->button() == Qt::LeftButton && cell.isValid();
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
    QTableView::mouseMoveEvent(event);
    return;
  }
  // The press made its cell current; the drag stretches the range from there
  // and leaves the current cell where it is.
  const QModelIndex cell = indexAt(event->position().toPoint());
  if (cell.isValid())
    ExtendRange(cell.column() + 1, cell.row() + 1);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QTableView::mouseReleaseEvent(event);
}
