#include "ui/mod_commands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QRect>

#include "document/comparison_file.h"
#include "document/range_edit.h"
#include "document/table_document.h"
#include "grid/string_grid.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"

ModCommands::ModCommands(const Window& window, QMenu* file_menu, QAction* file_before,
                         QMenu* edit_menu)
    : QObject(window.widget), window_(window) {
  CompareWith = new QAction(file_menu);
  SetTranslated(CompareWith, QT_TRANSLATE_NOOP("Menu", "С&равнить с файлом..."));
  CloseComparison = new QAction(file_menu);
  SetTranslated(CloseComparison, QT_TRANSLATE_NOOP("Menu", "&Закрыть сравнение"));
  file_menu->insertAction(file_before, CompareWith);
  file_menu->insertAction(file_before, CloseComparison);
  TakeFromComparison = new QAction(edit_menu);
  SetTranslated(TakeFromComparison,
                QT_TRANSLATE_NOOP("Menu", "Взять значения из файла для &сравнения"));
  EditRange = new QAction(edit_menu);
  SetTranslated(EditRange, QT_TRANSLATE_NOOP("Menu", "&Изменить выделенные..."));
  EditRange->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  edit_menu->addAction(TakeFromComparison);
  edit_menu->addAction(EditRange);
  NextDifference = new QAction(this);
  SetTranslated(NextDifference,
                QT_TRANSLATE_NOOP("Menu", "&Следующее отличие от файла для сравнения"));
  NextDifference->setShortcut(QKeySequence(Qt::Key_F7));
  PreviousDifference = new QAction(this);
  SetTranslated(PreviousDifference,
                QT_TRANSLATE_NOOP("Menu", "&Предыдущее отличие от файла для сравнения"));
  PreviousDifference->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7));
  for (QAction* action : {NextDifference, PreviousDifference}) {
    action->setShortcutContext(Qt::WindowShortcut);
    window_.widget->addAction(action);
  }

  NameParts({{CompareWith, "CompareWith"},
             {CloseComparison, "CloseComparison"},
             {TakeFromComparison, "TakeFromComparison"},
             {EditRange, "EditRange"},
             {NextDifference, "NextDifference"},
             {PreviousDifference, "PreviousDifference"}});

  connect(CompareWith, &QAction::triggered, this, &ModCommands::CompareWithClick);
  connect(CloseComparison, &QAction::triggered, this, &ModCommands::CloseComparisonClick);
  connect(TakeFromComparison, &QAction::triggered, this, &ModCommands::TakeFromComparisonClick);
  connect(EditRange, &QAction::triggered, this, &ModCommands::EditRangeClick);
  connect(NextDifference, &QAction::triggered, this, [this] { StepToDifference(true); });
  connect(PreviousDifference, &QAction::triggered, this, [this] { StepToDifference(false); });
  connect(window_.document, &TableDocument::fileChanged, this, &ModCommands::UpdateEnabled);
  connect(&window_.document->Comparison(), &ComparisonFile::changed, this,
          &ModCommands::UpdateEnabled);
  UpdateEnabled();
}

void ModCommands::AddSteps(QMenu* menu) const {
  menu->addAction(NextDifference);
  menu->addAction(PreviousDifference);
}

void ModCommands::UpdateEnabled() {
  const bool loaded = window_.document->IsLoaded();
  const bool compared = window_.document->Comparison().IsOpen();
  CompareWith->setEnabled(loaded);
  EditRange->setEnabled(loaded);
  for (QAction* action : {CloseComparison, TakeFromComparison, NextDifference, PreviousDifference})
    action->setEnabled(compared);
}

std::vector<FieldRef> ModCommands::SelectedFields() const {
  const TableIndex table = window_.document->ActiveTable();
  const QRect range = window_.grid->SelectedRange();
  std::vector<FieldRef> fields;
  for (int row = range.top(); row <= range.bottom(); ++row) {
    for (int column = range.left(); column <= range.right(); ++column) {
      const FieldRef field{table, row - 1, column};
      if (IsField(field))
        fields.push_back(field);
    }
  }
  return fields;
}

void ModCommands::CompareWithClick() {
  TableDocument& document = *window_.document;
  if (!document.IsLoaded())
    return;
  const QString chosen = window_.dialogs->AskFileName(
      window_.widget, UserDialogs::FileKind::Comparison, window_.dialog_folder());
  if (chosen.isEmpty())
    return;
  window_.remember_folder(chosen);
  QString error;
  window_.grid->BeginUpdate();
  const TableDocument::Outcome outcome = document.Comparison().Open(
      chosen, [this] { return window_.dialogs->AskSizeWarning(window_.widget); }, error);
  window_.grid->EndUpdate();
  if (outcome == TableDocument::Outcome::Failed)
    window_.dialogs->ShowError(window_.widget, error);
}

void ModCommands::CloseComparisonClick() {
  window_.grid->BeginUpdate();
  window_.document->Comparison().Close();
  window_.grid->EndUpdate();
}

void ModCommands::TakeFromComparisonClick() {
  TableDocument& document = *window_.document;
  if (!document.Comparison().IsOpen())
    return;
  std::vector<FieldValueChange> values;
  // Fields whose records lie past the end of the file: the document refuses them.
  qsizetype past_end = 0;
  for (const FieldRef& field : SelectedFields()) {
    const std::int32_t value = document.Comparison().Value(field);
    if (document.IsPastEnd(field)) {
      past_end += value != document.ValueAfterCommit(field) ? 1 : 0;
      continue;
    }
    values.push_back({field, value});
  }
  window_.grid->BeginUpdate();
  SetFieldValues(document,
                 QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "значения из файла для сравнения")),
                 values);
  window_.grid->EndUpdate();
  if (past_end > 0)
    window_.dialogs->ShowInfo(window_.widget, PastEndCellsText(past_end));
}

void ModCommands::EditRangeClick() {
  TableDocument& document = *window_.document;
  if (!document.IsLoaded())
    return;
  const std::vector<FieldRef> fields = SelectedFields();
  const std::optional<RangeEdit> edit =
      window_.dialogs->AskRangeEdit(window_.widget, [&](const RangeEdit& asked) {
        const RangeEditPlan plan = PlanRangeEdit(document, fields, asked);
        return UserDialogs::RangeEditPreview{RangeEditSummary(plan, asked.wrap),
                                             plan.error.isEmpty()};
      });
  if (!edit)
    return;
  const RangeEditPlan plan = PlanRangeEdit(document, fields, *edit);
  if (!plan.error.isEmpty()) {
    window_.dialogs->ShowError(window_.widget, RangeEditSummary(plan, edit->wrap));
    return;
  }
  window_.grid->BeginUpdate();
  CarryOut(document, plan);
  window_.grid->EndUpdate();
}

void ModCommands::StepToDifference(bool forward) {
  TableDocument& document = *window_.document;
  const FieldRef here{document.ActiveTable(), window_.grid->CurrentRow() - 1,
                      window_.grid->CurrentColumn()};
  if (const std::optional<FieldRef> next = document.Comparison().NextDifference(here, forward))
    window_.show_field(*next);
}
