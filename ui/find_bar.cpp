#include "ui/find_bar.h"

#include <QAction>
#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "grid/string_grid.h"
#include "ui/ui_language.h"

namespace {

// The field's colour while no name contains its text.
const QColor kNoMatchColor(255, 196, 196);

QAction* WindowAction(QObject* parent, const QList<QKeySequence>& keys) {
  auto* action = new QAction(parent);
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

}  // namespace

FindBar::FindBar(TStringGrid* grid, QWidget* parent)
    : QWidget(parent), grid_(grid), field_(new QLineEdit(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 2);
  layout->setSpacing(4);
  auto* label = new QLabel(this);
  SetTranslated(label, QT_TRANSLATE_NOOP("Menu", "Найти:"));
  label->setBuddy(field_);
  layout->addWidget(label);
  layout->addWidget(field_, 1);
  SetTranslated(field_, QT_TRANSLATE_NOOP("Menu", "Найти название"), "accessibleName");
  field_->setClearButtonEnabled(true);
  field_->installEventFilter(this);
  connect(field_, &QLineEdit::textChanged, this, &FindBar::TextChanged);

  QAction* open = WindowAction(this, {QKeySequence(Qt::CTRL | Qt::Key_F)});
  QAction* next = WindowAction(this, {QKeySequence(Qt::Key_F3)});
  QAction* previous = WindowAction(this, {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
  connect(open, &QAction::triggered, this, &FindBar::Open);
  connect(next, &QAction::triggered, this, &FindBar::FindNext);
  connect(previous, &QAction::triggered, this, &FindBar::FindPrevious);
  actions_ = {open, next, previous};
  hide();
}

void FindBar::Open() {
  show();
  field_->selectAll();
  field_->setFocus(Qt::ShortcutFocusReason);
}

void FindBar::Close() {
  // The grid passes the keyboard on to its editor; it takes it before the
  // bar hides, so that hiding does not hand it along the Tab chain instead.
  grid_->setFocus(Qt::OtherFocusReason);
  hide();
}

void FindBar::FindNext() {
  if (field_->text().isEmpty())
    Open();
  else
    Find(grid_->CurrentRow(), +1);
}

void FindBar::FindPrevious() {
  if (field_->text().isEmpty())
    Open();
  else
    Find(grid_->CurrentRow(), -1);
}

bool FindBar::eventFilter(QObject* object, QEvent* event) {
  if (object == field_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    Close();
    return true;
  }
  return QWidget::eventFilter(object, event);
}

void FindBar::TextChanged() {
  if (field_->text().isEmpty()) {
    ShowFound(true);
    return;
  }
  // Typing searches from the top: the first matching row, wherever the
  // current cell is. The search starts past the last row so row 1 comes first.
  Find(grid_->RowCount() - 1, +1);
}

void FindBar::Find(int from_row, int step) {
  const int row = MatchingRow(from_row, step);
  ShowFound(row != 0);
  if (row != 0)
    grid_->SetCurrentCell(grid_->CurrentColumn(), row);
}

int FindBar::MatchingRow(int row, int step) const {
  const int rows = grid_->RowCount() - 1;  // the rows below the captions
  if (rows < 1)
    return 0;
  for (int n = 1; n <= rows; ++n) {
    const int candidate = ((row - 1 + step * n) % rows + rows) % rows + 1;
    if (Matches(candidate))
      return candidate;
  }
  return 0;
}

bool FindBar::Matches(int row) const {
  return QString::fromStdString(grid_->CellText(0, row))
      .contains(field_->text(), Qt::CaseInsensitive);
}

void FindBar::ShowFound(bool found) {
  QPalette palette = this->palette();
  if (!found)
    palette.setColor(QPalette::Base, kNoMatchColor);
  field_->setPalette(palette);
}
