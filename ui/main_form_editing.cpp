// The window's editing commands: undo and redo over the document, and the
// fields back from the file. Kept apart from main_form.cpp, which holds the
// file commands and the tabs.
#include <QAction>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QUndoStack>
#include <algorithm>
#include <vector>

#include "edit_history.h"
#include "editor_commands.h"
#include "main_form.h"
#include "revert_to_file.h"

void TMainForm::SetUpEditing() {
  history_ = new EditHistory(document_, this);
  QUndoStack* stack = history_->Stack();

  mm_Edit = new QMenu(QStringLiteral("&Правка"), MainMenu);
  MainMenu->insertMenu(mm_Help->menuAction(), mm_Edit);
  // Each names the step it undoes or redoes, and is disabled when there is none.
  mm_Undo = stack->createUndoAction(mm_Edit, QStringLiteral("Отменить"));
  mm_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  mm_Redo = stack->createRedoAction(mm_Edit, QStringLiteral("Повторить"));
  mm_Redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  mm_Revert = new QAction(QStringLiteral("Вернуть значения из файла"), this);
  mm_Edit->addAction(mm_Undo);
  mm_Edit->addAction(mm_Redo);
  mm_Edit->addSeparator();
  mm_Edit->addAction(mm_Revert);
  connect(mm_Revert, &QAction::triggered, this, &TMainForm::mm_RevertClick);
  mm_Revert->setEnabled(false);  // until a file is open
  connect(document_, &TableDocument::fileChanged, mm_Revert,
          [this] { mm_Revert->setEnabled(document_->IsLoaded()); });

  pm_Grid = new QMenu(this);
  pm_Grid->addAction(mm_Revert);
  sg_Table->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(sg_Table, &QWidget::customContextMenuRequested, this, [this](const QPoint& where) {
    pm_Grid->popup(sg_Table->viewport()->mapToGlobal(where));
  });

  // Keystrokes go through the history; a visit of a cell ends when the
  // current cell or the tab changes.
  sg_Table->Model()->SetTypingSink(
      [history = history_](const FieldRef& field, const std::string& text) {
        history->Type(field, text);
      });
  connect(sg_Table->selectionModel(), &QItemSelectionModel::currentChanged, history_,
          &EditHistory::EndVisit);
  connect(tc_Tabs, &QTabBar::currentChanged, history_, &EditHistory::EndVisit);
  connect(history_, &EditHistory::fieldTouched, this, &TMainForm::ShowTouchedField);
  new EditorCommands(sg_Table, mm_Undo, mm_Redo);
}

void TMainForm::ShowTouchedField(const FieldRef& field) {
  // Selected as a click selects it: the table left is committed, the new one shown.
  if (field.table != active_)
    tc_Tabs->setCurrentIndex(field.table);
  sg_Table->SetCurrentCell(field.column, field.entry + 1);
  sg_Table->scrollTo(sg_Table->currentIndex());
}

void TMainForm::mm_RevertClick() {
  if (!FileLoaded())
    return;
  std::vector<FieldRef> fields;
  for (const QModelIndex& cell : sg_Table->selectionModel()->selectedIndexes())
    fields.push_back({active_, cell.row(), cell.column() + 1});
  if (fields.empty())
    fields.push_back({active_, sg_Table->CurrentRow() - 1, sg_Table->CurrentColumn()});
  std::sort(fields.begin(), fields.end());
  RevertToFile(*history_, *document_, fields);
}
