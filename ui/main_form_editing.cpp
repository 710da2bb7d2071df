// The window's editing commands: undo and redo over the document, and the
// fields back from the file. Kept apart from main_form.cpp, which holds the
// file commands and the tabs.
#include <QAction>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <algorithm>
#include <vector>

#include "document/document_history.h"
#include "document/revert_to_file.h"
#include "ui/editor_commands.h"
#include "ui/main_form.h"
#include "ui/ui_language.h"

namespace {

// The step `name` as the menu shows it: the history keeps its Russian source.
QString ShownStep(const QString& name) {
  return QCoreApplication::translate("Steps", name.toUtf8().constData());
}

}  // namespace

void TMainForm::SetUpEditing() {
  DocumentHistory* history = History();

  mm_Edit = new QMenu(MainMenu);
  SetTranslated(mm_Edit, QT_TRANSLATE_NOOP("Menu", "&Правка"), "title");
  MainMenu->insertMenu(mm_Help->menuAction(), mm_Edit);
  // A view of the document's history: each names the step it undoes or
  // redoes, and is disabled when there is none.
  mm_Undo = new QAction(mm_Edit);
  mm_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  mm_Undo->setEnabled(history->CanUndo());
  connect(mm_Undo, &QAction::triggered, history, &DocumentHistory::Undo);
  connect(history, &DocumentHistory::canUndoChanged, mm_Undo, &QAction::setEnabled);
  connect(history, &DocumentHistory::undoTextChanged, this, &TMainForm::ShowUndoTexts);
  mm_Redo = new QAction(mm_Edit);
  mm_Redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  mm_Redo->setEnabled(history->CanRedo());
  connect(mm_Redo, &QAction::triggered, history, &DocumentHistory::Redo);
  connect(history, &DocumentHistory::canRedoChanged, mm_Redo, &QAction::setEnabled);
  connect(history, &DocumentHistory::redoTextChanged, this, &TMainForm::ShowUndoTexts);
  ShowUndoTexts();
  mm_Revert = new QAction(this);
  SetTranslated(mm_Revert, QT_TRANSLATE_NOOP("Menu", "&Вернуть значения из файла"));
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

  // A visit of a cell, whose keystrokes make one step, ends when the current
  // cell or the tab changes.
  connect(sg_Table->selectionModel(), &QItemSelectionModel::currentChanged, history,
          &DocumentHistory::EndVisit);
  connect(tc_Tabs, &QTabBar::currentChanged, history, &DocumentHistory::EndVisit);
  connect(history, &DocumentHistory::fieldTouched, this, &TMainForm::ShowTouchedField);
  editor_commands_ = new EditorCommands(sg_Table, mm_Undo, mm_Redo);
}

void TMainForm::ShowUndoTexts() {
  const QString undo = History()->UndoText();
  const QString redo = History()->RedoText();
  mm_Undo->setText(undo.isEmpty() ? tr("&Отменить") : tr("&Отменить %1").arg(ShownStep(undo)));
  mm_Redo->setText(redo.isEmpty() ? tr("&Повторить") : tr("&Повторить %1").arg(ShownStep(redo)));
}

void TMainForm::ShowTouchedField(const FieldRef& field) {
  // Selected as a click selects it: the table left is committed, the new one shown.
  if (field.table != ActiveTable())
    tc_Tabs->setCurrentIndex(field.table);
  sg_Table->SetCurrentCell(field.column, field.entry + 1);
  sg_Table->scrollTo(sg_Table->currentIndex());
}

void TMainForm::mm_RevertClick() {
  if (!FileLoaded())
    return;
  std::vector<FieldRef> fields;
  for (const QModelIndex& cell : sg_Table->selectionModel()->selectedIndexes())
    fields.push_back({ActiveTable(), cell.row(), cell.column() + 1});
  if (fields.empty())
    fields.push_back({ActiveTable(), sg_Table->CurrentRow() - 1, sg_Table->CurrentColumn()});
  std::sort(fields.begin(), fields.end());
  RevertToFile(*document_, fields);
}
