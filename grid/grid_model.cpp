#include "grid/grid_model.h"

#include <QBrush>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <algorithm>

#include "document/caption_language.h"
#include "document/cell_hint.h"
#include "document/comparison_file.h"

GridModel::GridModel(TableDocument* document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
  connect(document_, &TableDocument::cellChanged, this, &GridModel::DocumentCellChanged);
  connect(document_, &TableDocument::tablesReset, this, &GridModel::EverythingChanged);
  connect(document_, &TableDocument::activeTableChanged, this, &GridModel::EverythingChanged);
  connect(&document_->Comparison(), &ComparisonFile::changed, this, &GridModel::EverythingChanged);
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
      if (PastEnd(column, row))
        return QBrush(kPastEndColor);
      if (OutsideSaneRange(column, row))
        return QBrush(kOutsideSaneColor);
      return {};
    case Qt::ForegroundRole:
      return PastEnd(column, row) ? QVariant(QBrush(kPastEndTextColor)) : QVariant();
    case kPastEndRole:
      return PastEnd(column, row);
    case Qt::FontRole: {
      const bool bold = Mark(column, row) == CellMark::Changed;
      const bool compared = DiffersFromComparison(column, row);
      if (!bold && !compared)
        return {};
      // Only these are set: the rest comes from the grid's font.
      QFont font;
      if (bold)
        font.setBold(true);
      if (compared)
        font.setUnderline(true);
      return font;
    }
    case kComparedRole:
      return DiffersFromComparison(column, row);
    case kOutsideSaneRole:
      return OutsideSaneRange(column, row);
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
  if (orientation == Qt::Horizontal && role == Qt::ToolTipRole) {
    const QString hint = CaptionHint(section + 1);
    return hint.isEmpty() ? QVariant() : QVariant(hint);
  }
  if (orientation == Qt::Vertical &&
      (role == Qt::ToolTipRole || role == Qt::BackgroundRole || role == Qt::DecorationRole)) {
    const std::vector<int> broken = BrokenChecks(section + 1);
    // Windows' own style paints a header section from its theme and takes no
    // background from the model; an icon beside the name is drawn by every
    // style, so the mark shows there too. Where the table has checks, the
    // names it does not mark keep the icon's room, so that all of them start
    // in one line.
    if (role == Qt::DecorationRole && (!broken.empty() || HasChecks()))
      return broken.empty() ? NoMarkIcon() : BrokenCheckIcon();
    if (broken.empty() || role == Qt::DecorationRole)
      return {};
    if (role == Qt::BackgroundRole)
      return QBrush(kBrokenCheckColor);
    const bool english = ShowsEnglish();
    QStringList lines{tr("Нарушены проверки:")};
    for (const int check : broken) {
      const NoteCheck& note =
          Notes()->Notes().tables[Table()].checks[static_cast<std::size_t>(check)];
      lines << QStringLiteral("• %1 (%2)")
                   .arg(note.name.In(english),
                        note.level == CheckLevel::Error ? tr("ошибка") : tr("предупреждение"));
    }
    return lines.join(QLatin1Char('\n'));
  }
  if (role != Qt::DisplayRole)
    return {};
  return orientation == Qt::Horizontal ? QString::fromStdString(Text(section + 1, 0))
                                       : QString::fromStdString(Text(0, section + 1));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  if (PastEnd(index.column() + 1, index.row() + 1))
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  return role == Qt::EditRole && TypeInto(index, value.toString());
}

bool GridModel::TypeInto(const QModelIndex& index, const QString& typed) {
  if (!index.isValid())
    return false;
  // A model index is never in the caption row or the name column.
  const int column = index.column() + 1;
  const int row = index.row() + 1;
  if (!InRange(column, row))
    return false;
  const std::string text = typed.toStdString();
  if (Text(column, row) == text)
    return true;
  document_->Type(FieldAt(column, row), text);
  if (Text(column, row) != text)
    return false;  // refused: the cell lies past the end of the file
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
    document_->Type(FieldAt(column, row), text);
  }
}

QString GridModel::Hint(int column, int row) const {
  if (!InRange(column, row) || column == 0 || row == 0)
    return {};
  QString hint = CellHint(*document_, FieldAt(column, row));
  if (hint.isEmpty() || !notes_ || column >= ColCounts[Table()])
    return hint;
  const FieldNote& note = Notes()->Notes().Field(Table(), column);
  const FieldLayout layout = FieldOf(Table(), column);
  const std::int64_t value = ShownNumber(document_->ValueAfterCommit(FieldAt(column, row)), layout);
  const bool english = ShowsEnglish();
  if (OutsideSaneRange(column, row))
    hint += u'\n' + tr("вне разумных значений %1").arg(SaneRangeText(note));
  if (const auto named = note.values.find(value); named != note.values.end())
    hint += u'\n' + tr("%1 — %2").arg(value).arg(named->second.In(english));
  QStringList bits;
  for (const auto& [bit, name] : note.bits)
    if ((static_cast<std::uint64_t>(value) >> bit) & 1u)
      bits << name.In(english);
  if (!bits.isEmpty())
    hint += u'\n' + tr("биты: %1").arg(bits.join(QStringLiteral(", ")));
  return hint;
}

QString GridModel::CaptionHint(int column) const {
  if (!InRange(column, 0) || column == 0 || column >= ColCounts[Table()])
    return {};
  const FieldLayout layout = FieldOf(Table(), column);
  QStringList lines;
  const bool english = ShowsEnglish();
  const NotesChecker* notes = Notes();
  const FieldNote* note = notes ? &notes->Notes().Field(Table(), column) : nullptr;
  if (note && !note->description.IsEmpty())
    lines << note->description.In(english);
  lines << FieldKindHint(HeaderCaptions[Table()][column], layout);
  if (note) {
    if (const QString sane = SaneRangeText(*note); !sane.isEmpty())
      lines << tr("разумные значения: %1").arg(sane);
    if (!note->bits.empty())
      lines << tr("именованных битов: %1").arg(note->bits.size());
    if (!note->values.empty())
      lines << tr("именованных значений: %1").arg(note->values.size());
  }
  return lines.join(QLatin1Char('\n'));
}

bool GridModel::OutsideSaneRange(int column, int row) const {
  if (!notes_ || !document_->IsLoaded() || !InRange(column, row) || column == 0 || row == 0 ||
      row > EntryCount(Table()) || column >= ColCounts[Table()])
    return false;
  return Notes()->OutsideSaneRange(Table(), column,
                                   document_->ValueAfterCommit(FieldAt(column, row)));
}

QIcon GridModel::BrokenCheckIcon() {
  static const QIcon icon = [] {
    QPixmap square(10, 10);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    // Deeper than the background the name has where the style paints one,
    // so that the square shows on it as well.
    painter.setPen(QColor(170, 90, 10));
    painter.setBrush(QColor(240, 140, 30));
    painter.drawRect(0, 0, 9, 9);
    return QIcon(square);
  }();
  return icon;
}

QIcon GridModel::NoMarkIcon() {
  static const QIcon icon = [] {
    QPixmap blank(10, 10);
    blank.fill(Qt::transparent);
    return QIcon(blank);
  }();
  return icon;
}

bool GridModel::HasChecks() const {
  return notes_ && document_->IsLoaded() && Notes() &&
         !Notes()->Notes().tables[Table()].checks.empty();
}

std::vector<int> GridModel::BrokenChecks(int row) const {
  if (!notes_ || !document_->IsLoaded() || row < 1 || row > EntryCount(Table()))
    return {};
  return Notes()->BrokenChecks(FieldsAfterCommit(*document_, Table()), Table(), row - 1);
}

void GridModel::SetNotes(std::function<const NotesChecker*()> notes) {
  notes_ = std::move(notes);
  NotesChanged();
}

void GridModel::NotesChanged() {
  EverythingChanged();
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

bool GridModel::PastEnd(int column, int row) const {
  if (!InRange(column, row) || column == 0 || row == 0 || row > EntryCount(Table()) ||
      column >= ColCounts[Table()])
    return false;
  return document_->IsPastEnd(FieldAt(column, row));
}

bool GridModel::DiffersFromComparison(int column, int row) const {
  if (!document_->Comparison().IsOpen() || !InRange(column, row) || column == 0 || row == 0)
    return false;
  return document_->Comparison().Differs(FieldAt(column, row));
}

void GridModel::DocumentCellChanged(const FieldRef& field) {
  if (!document_->IsLoaded() || field.table == Table()) {
    CellChanged(field.column, field.entry + 1);
    // The entry's checks read the whole row: its name's mark may change.
    if (notes_ && field.column > 0)
      CellChanged(0, field.entry + 1);
  }
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
