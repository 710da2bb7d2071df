#include "grid/cell_delegate.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "grid/grid_model.h"

CellDelegate::CellDelegate(GridModel* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  const QPointer<GridModel> model = model_;
  const QPersistentModelIndex cell(index);
  connect(editor, &QLineEdit::textEdited, editor, [editor, model, cell](const QString& text) {
    // The editor is always open and never commits, so each keystroke goes
    // into the document at once: the recovery journal keeps text typed but
    // not yet left, and Save As (and whatever else reads the cell) must see
    // exactly what the user sees. Text the document refuses (a cell past the
    // end of the file, whose editor is read-only, can still get some from
    // code) leaves the editor showing the cell as it is.
    if (model && cell.isValid() && !model->TypeInto(cell, text))
      editor->setText(cell.data(Qt::EditRole).toString());
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
  const bool past_end = index.data(GridModel::kPastEndRole).toBool();
  if (mark == CellMark::NotANumber) {
    palette.setColor(QPalette::Base, kNotANumberColor);
  } else if (past_end) {
    palette.setColor(QPalette::Base, kPastEndColor);
    palette.setColor(QPalette::Text, kPastEndTextColor);
  }
  if (line->palette() != palette)
    line->setPalette(palette);
  // A cell past the end of the file takes no keystroke; the keys that move
  // and select still work in it.
  if (line->isReadOnly() != past_end)
    line->setReadOnly(past_end);
  const bool compared = index.data(GridModel::kComparedRole).toBool();
  if (line->font().bold() != (mark == CellMark::Changed) || line->font().underline() != compared) {
    QFont font = line->font();
    font.setBold(mark == CellMark::Changed);
    font.setUnderline(compared);
    line->setFont(font);
  }
  // The editor covers its cell, so it tells what the cell would.
  line->setToolTip(index.data(Qt::ToolTipRole).toString());
  line->setAccessibleDescription(index.data(Qt::AccessibleDescriptionRole).toString());
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  if (!index.data(GridModel::kComparedRole).toBool())
    return;
  const QRect cell = option.rect;
  const int side = std::max(5, cell.height() * 2 / 5);
  const QPolygon corner({cell.topRight() + QPoint(1, 0), cell.topRight() + QPoint(1 - side, 0),
                         cell.topRight() + QPoint(1, side)});
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(Qt::NoPen);
  painter->setBrush(kComparedColor);
  painter->drawPolygon(corner);
  painter->restore();
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
