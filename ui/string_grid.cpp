#include "string_grid.h"

#include <QAbstractButton>
#include <QBrush>
#include <QColor>
#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStringList>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <algorithm>

#include "cell_hint.h"

namespace {

// Text that a commit would not store: the field keeps its value.
const QColor kNotANumberColor(255, 196, 196);

}  // namespace

// ---------------------------------------------------------------- GridModel

GridModel::GridModel(TableDocument* document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
  connect(document_, &TableDocument::cellChanged, this, &GridModel::DocumentCellChanged);
  connect(document_, &TableDocument::tablesReset, this, &GridModel::EverythingChanged);
  connect(document_, &TableDocument::activeTableChanged, this, &GridModel::EverythingChanged);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_ - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_ - 1;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid())
    return {};
  const int column = index.column() + 1;
  const int row = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(Text(column, row));
    case Qt::BackgroundRole:
      if (Mark(column, row) == CellMark::NotANumber)
        return QBrush(kNotANumberColor);
      return {};
    case Qt::FontRole:
      if (Mark(column, row) == CellMark::Changed) {
        // Only the weight is set: the rest comes from the grid's font.
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ToolTipRole: {
      const QString hint = Hint(column, row);
      return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::AccessibleDescriptionRole:
      return AccessibleDescription(column, row);
    case kMarkRole:
      return static_cast<int>(Mark(column, row));
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::AccessibleDescriptionRole && orientation == Qt::Vertical) {
    // The caption of the name column is painted on the view's corner, which
    // Qt's table accessibility reports with no text; each row header, which
    // a screen reader reads with its row, names the column instead.
    return QString::fromStdString(Text(0, 0));
  }
  if (role != Qt::DisplayRole)
    return {};
  return orientation == Qt::Horizontal ? QString::fromStdString(Text(section + 1, 0))
                                       : QString::fromStdString(Text(0, section + 1));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole)
    return false;
  const int column = index.column() + 1;
  const int row = index.row() + 1;
  if (!InRange(column, row))
    return false;
  const std::string text = value.toString().toStdString();
  if (Text(column, row) == text)
    return true;
  SetText(column, row, text);
  emit cellEdited(column, row);
  return true;
}

void GridModel::SetShape(int rows, int columns) {
  rows = std::clamp(rows, 1, kMaxRowCount);
  columns = std::clamp(columns, 1, kMaxColCount);
  if (rows < rows_) {
    beginRemoveRows({}, rows - 1, rows_ - 2);
    rows_ = rows;
    endRemoveRows();
  } else if (rows > rows_) {
    beginInsertRows({}, rows_ - 1, rows - 2);
    rows_ = rows;
    endInsertRows();
  }
  if (columns < columns_) {
    beginRemoveColumns({}, columns - 1, columns_ - 2);
    columns_ = columns;
    endRemoveColumns();
  } else if (columns > columns_) {
    beginInsertColumns({}, columns_ - 1, columns - 2);
    columns_ = columns;
    endInsertColumns();
  }
}

std::string GridModel::Text(int column, int row) const {
  if (!InRange(column, row))
    return {};
  if (row == 0)
    return captions_[column];
  if (column == 0) {
    const bool named = document_->IsLoaded() && row <= EntryCount(Table());
    return named ? EntryNameText(document_->Committed(), Table(), row - 1) : std::string();
  }
  return document_->CellText(FieldAt(column, row));
}

void GridModel::SetText(int column, int row, const std::string& text) {
  if (!InRange(column, row) || Text(column, row) == text)
    return;
  if (row == 0) {
    captions_[column] = text;
    CellChanged(column, row);
  } else if (column > 0) {
    document_->EditCell(FieldAt(column, row), text);
  }
}

QString GridModel::Hint(int column, int row) const {
  if (!InRange(column, row) || column == 0 || row == 0)
    return {};
  return CellHint(*document_, FieldAt(column, row));
}

QString GridModel::AccessibleDescription(int column, int row) const {
  // A screen reader reads the cell's text as its name; the description says
  // where the cell is, by the names shown in its row and column, and what it
  // holds.
  QStringList place;
  for (const std::string& name : {Text(0, row), Text(column, 0)}) {
    if (!name.empty())
      place.append(QString::fromStdString(name));
  }
  QStringList lines;
  if (!place.isEmpty())
    lines.append(place.join(QStringLiteral(", ")));
  if (const QString hint = Hint(column, row); !hint.isEmpty())
    lines.append(hint);
  return lines.join(QLatin1Char('\n'));
}

CellMark GridModel::Mark(int column, int row) const {
  if (!InRange(column, row) || column == 0 || row == 0 || row > EntryCount(Table()) ||
      column >= ColCounts[Table()])
    return CellMark::None;
  return document_->Mark(FieldAt(column, row));
}

void GridModel::DocumentCellChanged(const FieldRef& field) {
  if (!document_->IsLoaded() || field.table == Table())
    CellChanged(field.column, field.entry + 1);
}

void GridModel::EverythingChanged() {
  changed_while_updating_ = true;
  if (updating_ == 0) {
    ++updating_;
    EndUpdate();
  }
}

bool GridModel::EndUpdate() {
  if (updating_ == 0 || --updating_ > 0 || !changed_while_updating_)
    return false;
  changed_while_updating_ = false;
  if (columns_ > 1)
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 2);
  if (rows_ > 1)
    emit headerDataChanged(Qt::Vertical, 0, rows_ - 2);
  if (rows_ < 2 || columns_ < 2)
    return false;
  emit dataChanged(index(0, 0), index(rows_ - 2, columns_ - 2));
  return true;
}

void GridModel::CellChanged(int column, int row) {
  if (updating_ > 0) {
    changed_while_updating_ = true;
    return;
  }
  if (column >= columns_ || row >= rows_)
    return;  // out of the shape: nothing shows it
  if (row == 0) {
    // The caption row; the corner cell repaints with the first caption.
    const int section = std::max(column - 1, 0);
    if (columns_ > 1)
      emit headerDataChanged(Qt::Horizontal, section, section);
    // Every row header names the name column to assistive technology.
    if (column == 0 && rows_ > 1)
      emit headerDataChanged(Qt::Vertical, 0, rows_ - 2);
  } else if (column == 0) {
    emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
  } else {
    const QModelIndex cell = index(row - 1, column - 1);
    emit dataChanged(cell, cell);
  }
}

// ------------------------------------------------------------- CellDelegate

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  // Each keystroke goes into the cell at once, so whatever reads the cell
  // (a commit, Save As) sees exactly what the user sees.
  QPointer<QAbstractItemModel> model = const_cast<QAbstractItemModel*>(index.model());
  const QPersistentModelIndex cell(index);
  connect(editor, &QLineEdit::textEdited, editor, [model, cell](const QString& text) {
    if (model && cell.isValid())
      model->setData(cell, text, Qt::EditRole);
  });
  return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (!line)
    return;
  // Setting the same text again would move the cursor to the end while the
  // user types in the middle; only text from elsewhere replaces the editor's,
  // and it comes selected, as on entering a cell, so typing replaces it.
  const QString text = index.data(Qt::EditRole).toString();
  if (line->text() != text) {
    line->setText(text);
    line->selectAll();
  }

  const auto mark = static_cast<CellMark>(index.data(GridModel::kMarkRole).toInt());
  // The palette and the font are set only when the mark changes them: each
  // setting sends the editor through a relayout.
  QPalette palette = line->parentWidget() ? line->parentWidget()->palette() : line->palette();
  if (mark == CellMark::NotANumber)
    palette.setColor(QPalette::Base, kNotANumberColor);
  if (line->palette() != palette)
    line->setPalette(palette);
  if (line->font().bold() != (mark == CellMark::Changed)) {
    QFont font = line->font();
    font.setBold(mark == CellMark::Changed);
    line->setFont(font);
  }
  // The editor covers its cell, so it tells what the cell would.
  line->setToolTip(index.data(Qt::ToolTipRole).toString());
  line->setAccessibleDescription(index.data(Qt::AccessibleDescriptionRole).toString());
}

void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (!option->state.testFlag(QStyle::State_Selected))
    return;
  // A range is tinted over the cell's own background rather than filled, so
  // the marks of its cells (red, bold) stay in sight.
  option->state &= ~QStyle::State_Selected;
  const QColor under = option->backgroundBrush.style() == Qt::NoBrush
                           ? option->palette.color(QPalette::Base)
                           : option->backgroundBrush.color();
  const QColor tint = option->palette.color(QPalette::Highlight);
  constexpr float kTint = 0.3F;
  option->backgroundBrush =
      QColor::fromRgbF(under.redF() + (tint.redF() - under.redF()) * kTint,
                       under.greenF() + (tint.greenF() - under.greenF()) * kTint,
                       under.blueF() + (tint.blueF() - under.blueF()) * kTint);
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // The editor never closes: Enter has nothing left to confirm (the text is
    // in the cell already) and Escape nothing to take back.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
      return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

// -------------------------------------------------------------- TStringGrid

namespace {

// A header of fixed thickness: the caption row is one row high and the name
// column as wide as it was set. Its size hint says just that, instead of
// measuring the text of every section, which the view asks for at each reshape
// and which would cost more than the rest of an Open together.
class FixedSizeHeader : public QHeaderView {
 public:
  using QHeaderView::QHeaderView;
  QSize sizeHint() const override { return {minimumWidth(), minimumHeight()}; }
};

}  // namespace

TStringGrid::TStringGrid(TableDocument* document, QWidget* parent)
    : QTableView(parent), model_(new GridModel(document, this)) {
  setModel(model_);
  setItemDelegate(new CellDelegate(this));
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
  // the editor itself.
  if (model_->EndUpdate())
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
