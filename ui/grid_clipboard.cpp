#include "ui/grid_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include "document/range_edit.h"
#include "document/table_document.h"
#include "grid/string_grid.h"
#include "ui/user_dialogs.h"

namespace {

bool EndsWithLineBreak(const QString& text) {
  return text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'));
}

// One break of any of the three kinds: CRLF, LF, or CR alone.
QString WithoutLastLineBreak(QString text) {
  if (text.endsWith(QLatin1Char('\n')))
    text.chop(1);
  if (text.endsWith(QLatin1Char('\r')))
    text.chop(1);
  return text;
}

}  // namespace

QList<QStringList> ClipboardCells(const QString& text) {
  static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\r|\n"));
  QList<QStringList> rows;
  for (const QString& line : WithoutLastLineBreak(text).split(kLineBreak))
    rows.append(line.split(QLatin1Char('\t')));
  return rows;
}

bool HoldsSeveralCells(const QString& text) {
  const QString cells = WithoutLastLineBreak(text);
  return cells.contains(QLatin1Char('\t')) || cells.contains(QLatin1Char('\n')) ||
         cells.contains(QLatin1Char('\r'));
}

QString RangeText(const TStringGrid& grid, const QRect& range) {
  QString text;
  for (int row = range.top(); row <= range.bottom(); ++row) {
    QStringList cells;
    for (int column = range.left(); column <= range.right(); ++column)
      cells.append(QString::fromStdString(grid.CellText(column, row)));
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  return text;
}

GridClipboard::GridClipboard(TStringGrid* grid, TableDocument* document, UserDialogs* dialogs,
                             QWidget* window)
    : QObject(window), grid_(grid), document_(document), dialogs_(dialogs), window_(window) {
  connect(grid_, &TStringGrid::editorOpened, this, &GridClipboard::Watch);
  if (QLineEdit* editor = grid_->CellEditor())
    Watch(editor);
}

void GridClipboard::Watch(QLineEdit* editor) {
  editor->installEventFilter(this);
}

void GridClipboard::Copy() {
  QGuiApplication::clipboard()->setText(RangeText(*grid_, grid_->SelectedRange()));
}

int GridClipboard::Paste(const QString& text) {
  const QList<QStringList> rows = ClipboardCells(text);
  const int left = grid_->CurrentColumn();
  const int top = grid_->CurrentRow();
  if (left < 1 || top < 1)
    return 0;
  int left_out = 0;
  // Cells the text would change whose records lie past the end of the file.
  int past_end = 0;
  QPoint far_corner(left, top);
  document_->Change(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "вставку")), [&](DocumentEdit&) {
    // One repaint for the whole block, and the editor takes its cell's new text.
    grid_->BeginUpdate();
    for (int r = 0; r < rows.size(); ++r) {
      for (int c = 0; c < rows[r].size(); ++c) {
        const int column = left + c;
        const int row = top + r;
        if (column >= grid_->ColCount() || row >= grid_->RowCount()) {
          ++left_out;
          continue;
        }
        const std::string cell = rows[r][c].toStdString();
        if (document_->IsPastEnd({document_->ActiveTable(), row - 1, column}) &&
            grid_->CellText(column, row) != cell)
          ++past_end;  // refused by the document: the cell stays as it is
        grid_->SetCellText(column, row, cell);
        far_corner = {std::max(far_corner.x(), column), std::max(far_corner.y(), row)};
      }
    }
    grid_->EndUpdate();
  });
  grid_->ExtendRange(far_corner.x(), far_corner.y());
  QStringList notes;
  if (left_out > 0)
    notes.append(tr("За краем таблицы не поместилось ячеек: %1. Они не вставлены.").arg(left_out));
  if (past_end > 0)
    notes.append(PastEndCellsText(past_end));
  if (!notes.isEmpty())
    dialogs_->ShowInfo(window_, notes.join(QLatin1Char('\n')));
  return left_out;
}

bool GridClipboard::TakesCopy() const {
  return grid_->SelectedRange().size() != QSize(1, 1);
}

bool GridClipboard::TakesPaste() const {
  // One value with a spreadsheet's line break after it is one cell too; the
  // editor's own paste would put the break into the text.
  const QString text = QGuiApplication::clipboard()->text();
  return HoldsSeveralCells(text) || EndsWithLineBreak(text);
}

bool GridClipboard::eventFilter(QObject* object, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
    return QObject::eventFilter(object, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool copy = key->matches(QKeySequence::Copy) && TakesCopy();
  const bool paste = key->matches(QKeySequence::Paste) && TakesPaste();
  if (!copy && !paste)
    return QObject::eventFilter(object, event);
  // Claimed before any shortcut of the window can take the keys.
  event->accept();
  if (event->type() == QEvent::KeyPress) {
    const QString text = QGuiApplication::clipboard()->text();
    if (copy)
      Copy();
    else if (HoldsSeveralCells(text))
      Paste(text);
    else if (auto* editor = qobject_cast<QLineEdit*>(object); editor && !editor->isReadOnly())
      editor->insert(ClipboardCells(text).front().front());  // typed, as the editor's paste
  }
  return true;
}
