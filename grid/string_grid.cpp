#include "grid/string_grid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <algorithm>

#include "grid/cell_delegate.h"
#include "grid/fixed_size_header.h"

TStringGrid::TStringGrid(TableDocument* document, QWidget* parent)
    : QTableView(parent), model_(new GridModel(document, this)) {
  setModel(model_);
  setItemDelegate(new CellDelegate(model_, this));
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(true);
  setCornerButtonEnabled(false);
  setWordWrap(false);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setCursor(Qt::IBeamCursor);

  setHorizontalHeader(new FixedSizeHeader(Qt::Horizontal, this));
  setVerticalHeader(new FixedSizeHeader(Qt::Vertical, this));
  QHeaderView* captions = horizontalHeader();
  captions->setSectionsClickable(false);
  captions->setHighlightSections(false);
  captions->setSectionsMovable(false);
  captions->setStretchLastSection(false);
  captions->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  captions->setMinimumSectionSize(8);
  captions->setDefaultSectionSize(kDefaultColumnWidth);
  captions->setSectionResizeMode(QHeaderView::Interactive);
  captions->setFixedHeight(kRowHeight);

  QHeaderView* names = verticalHeader();
  names->setSectionsClickable(false);
  names->setHighlightSections(false);
  names->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  names->setMinimumSectionSize(8);
  names->setDefaultSectionSize(kRowHeight);
  names->setSectionResizeMode(QHeaderView::Fixed);
  names->setFixedWidth(kDefaultColumnWidth);

  // The corner holds cell (0, 0), the caption of the name column.
  corner_ = findChild<QAbstractButton*>();
  if (corner_) {
    corner_->installEventFilter(this);
    connect(model_, &QAbstractItemModel::headerDataChanged, corner_, qOverload<>(&QWidget::update));
    // Anything that asks the button itself hears the caption it shows.
    connect(model_, &QAbstractItemModel::headerDataChanged, corner_,
            [this] { corner_->setAccessibleName(QString::fromStdString(model_->Text(0, 0))); });
  }
  connect(model_, &GridModel::cellEdited, this, &TStringGrid::cellEdited);

  setCurrentIndex(model_->index(0, 0));
  OpenEditor(false);
}

void TStringGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() != QEvent::LanguageChange || !editor_index_.isValid())
    return;
  if (QWidget* editor = indexWidget(editor_index_))
    itemDelegateForIndex(editor_index_)->setEditorData(editor, editor_index_);
}

void TStringGrid::SetCellText(int column, int row, const std::string& text) {
  model_->SetText(column, row, text);
}

std::string TStringGrid::CellText(int column, int row) const {
  return model_->Text(column, row);
}

void TStringGrid::ResetGridScroll() {
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
  verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void TStringGrid::SetShape(int rows, int columns) {
  if (rows == model_->GridRows() && columns == model_->GridColumns())
    return;  // nothing moves: the editor stays open as it is
  const int column = CurrentColumn();
  const int row = CurrentRow();
  if (column < columns && row < rows && CellEditor()) {
    // The current cell stays in the shape: its editor stays open on it, which
    // spares a new editor widget and the focus moves that come with it.
    reshaping_ = true;
    model_->SetShape(rows, columns);
    reshaping_ = false;
    CollapseRange();
    return;
  }
  const QLineEdit* editor = CellEditor();
  const bool focus = editor && editor->hasFocus();

  reshaping_ = true;
  CloseEditor();
  model_->SetShape(rows, columns);
  reshaping_ = false;

  const int last_column = model_->GridColumns() - 1;
  const int last_row = model_->GridRows() - 1;
  if (last_column >= 1 && last_row >= 1) {
    SetCurrentCell(std::clamp(column, 1, last_column), std::clamp(row, 1, last_row));
  }
  OpenEditor(focus);
  CollapseRange();
}

void TStringGrid::EndUpdate() {
  // When the model tells the view that every cell changed, the view refreshes
  // the editor itself; inside an outer batch, the end of that one does.
  if (model_->EndUpdate() || model_->Updating())
    return;
  if (QLineEdit* editor = CellEditor())
    itemDelegate()->setEditorData(editor, editor_index_);
}

void TStringGrid::ForgetEditorHistory() {
  QLineEdit* editor = CellEditor();
  if (!editor || (!editor->isUndoAvailable() && !editor->isRedoAvailable()))
    return;
  // Setting the text is the one public way to clear a line edit's history.
  const QString text = editor->text();
  editor->setText(text);
  editor->selectAll();
}

int TStringGrid::ColumnWidth(int column) const {
  if (column == 0)
    return verticalHeader()->minimumWidth();
  return columnWidth(column - 1);
}

void TStringGrid::SetColumnWidth(int column, int width) {
  if (column == 0) {
    verticalHeader()->setFixedWidth(width);
    updateGeometries();  // the cells move right at once, not at the next layout
  } else
    setColumnWidth(column - 1, width);
}

int TStringGrid::RowHeight(int row) const {
  if (row == 0)
    return horizontalHeader()->minimumHeight();
  return rowHeight(row - 1);
}

int TStringGrid::CurrentColumn() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.column() + 1 : 0;
}

int TStringGrid::CurrentRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() + 1 : 0;
}

void TStringGrid::SetCurrentCell(int column, int row) {
  const QModelIndex cell = model_->index(row - 1, column - 1);
  if (cell.isValid())
    setCurrentIndex(cell);
}

QLineEdit* TStringGrid::CellEditor() const {
  if (!editor_index_.isValid())
    return nullptr;
  return qobject_cast<QLineEdit*>(indexWidget(editor_index_));
}

int TStringGrid::LeftColumn() const {
  return columnAt(0) + 1;
}

int TStringGrid::TopRow() const {
  return rowAt(0) + 1;
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  CollapseRange();
  if (reshaping_ || current == editor_index_)
    return;
  const QLineEdit* editor = CellEditor();
  const bool focus = hasFocus() || (editor && editor->hasFocus());
  CloseEditor();
  OpenEditor(focus);
}

bool TStringGrid::eventFilter(QObject* object, QEvent* event) {
  if (QLineEdit* editor = CellEditor(); editor && object == editor) {
    if (event->type() == QEvent::KeyPress && RangeKey(editor, static_cast<QKeyEvent*>(event)))
      return true;
    if (event->type() == QEvent::MouseMove)
      RangeDragFromEditor(editor, static_cast<QMouseEvent*>(event));
    // The second click of a double click lands on the editor, which the
    // first one opened on the cell.
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->modifiers().testFlag(Qt::AltModifier)) {
      emit altDoubleClicked();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && object == CellEditor()) {
    // A key typed into the current cell, or one that moves from it, first
    // brings the cell into view: after a tab switch scrolled the grid to the
    // top, the current cell may lie off screen, and no keystroke may edit a
    // cell the user cannot see.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt &&
        key != Qt::Key_Meta && key != Qt::Key_AltGr)
      scrollTo(editor_index_);
  }
  if (object == corner_ && event->type() == QEvent::Paint) {
    QStylePainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    // Drawn like the other fixed cells, although the button does nothing.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner_->rect();
    option.orientation = Qt::Horizontal;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.text = QString::fromStdString(model_->Text(0, 0));
    painter.drawControl(QStyle::CE_Header, option);
    return true;
  }
  return QTableView::eventFilter(object, event);
}

void TStringGrid::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  // The keyboard belongs to the editor of the current cell.
  if (QLineEdit* editor = CellEditor())
    editor->setFocus(event->reason());
}

void TStringGrid::OpenEditor(bool focus) {
  const QModelIndex current = currentIndex();
  if (!current.isValid())
    return;
  const bool moved = editor_index_ != current;
  if (moved) {
    CloseEditor();
    openPersistentEditor(current);
    editor_index_ = current;
  }
  QLineEdit* editor = CellEditor();
  if (editor && moved) {
    editor->installEventFilter(this);
    emit editorOpened(editor);
  }
  // Entering a cell selects its text, so typing replaces the number.
  if (editor && moved)
    editor->selectAll();
  if (editor && focus)
    editor->setFocus(Qt::OtherFocusReason);
}

void TStringGrid::CloseEditor() {
  if (!editor_index_.isValid())
    return;
  const QPersistentModelIndex index = editor_index_;
  editor_index_ = QPersistentModelIndex();
  // Hiding the editor that has the keyboard would pass the focus on along the
  // Tab chain, and in a grid that moves the current cell one to the right; the
  // grid takes the focus back first.
  if (const QWidget* editor = indexWidget(index); editor && editor->hasFocus())
    setFocus(Qt::OtherFocusReason);
  closePersistentEditor(index);
}

// The grid's range of selected cells: Shift with the arrow keys, Shift+click
// and a mouse drag stretch it from the current cell, which keeps the editor;
// a plain arrow, a click or Tab brings it back to the current cell.

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
