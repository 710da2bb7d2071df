#include "table_file_commands.h"

#include <QAction>
#include <QMenu>

#include "change_list.h"
#include "string_grid.h"
#include "table_csv.h"
#include "table_document.h"
#include "text_file.h"
#include "user_dialogs.h"

namespace {

// The boxes show this many mistakes, then how many more there are; the whole
// list that was kept goes into their details area.
constexpr qsizetype kIssuesShown = 10;

QString ShownIssues(const QString& headline, const CsvIssues& issues) {
  return headline + QLatin1Char('\n') + IssueLines(issues, kIssuesShown);
}

QString IssueDetails(const CsvIssues& issues) {
  return issues.Total() > kIssuesShown ? IssueLines(issues, CsvIssues::kKept) : QString();
}

}  // namespace

TableFileCommands::TableFileCommands(const Window& window, QMenu* menu, QAction* before)
    : QObject(window.widget), window_(window) {
  const auto add = [&](const QString& caption, void (TableFileCommands::*handler)()) {
    auto* action = new QAction(caption, menu);
    menu->insertAction(before, action);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  ExportCsv = add(QStringLiteral("Экспорт таблицы в CSV..."), &TableFileCommands::ExportCsvClick);
  ImportCsv = add(QStringLiteral("Импорт таблицы из CSV..."), &TableFileCommands::ImportCsvClick);
  SaveChangeList =
      add(QStringLiteral("Сохранить список изменений..."), &TableFileCommands::SaveChangeListClick);
  ApplyChangeList = add(QStringLiteral("Применить список изменений..."),
                        &TableFileCommands::ApplyChangeListClick);
  connect(window_.document, &TableDocument::fileChanged, this, &TableFileCommands::UpdateEnabled);
  UpdateEnabled();
}

TableFileCommands::~TableFileCommands() = default;

void TableFileCommands::UpdateEnabled() {
  for (QAction* action : {ExportCsv, ImportCsv, SaveChangeList, ApplyChangeList})
    action->setEnabled(window_.document->IsLoaded());
}

void TableFileCommands::ExportCsvClick() {
  if (!window_.document->IsLoaded())
    return;
  const TableIndex table = window_.active_table();
  const QString path = AskSave(TableFileName(table) + QStringLiteral(".csv"));
  if (!path.isEmpty())
    Write(path, ::ExportTableCsv(*window_.document, table, CsvSeparator::Comma));
}

void TableFileCommands::ImportCsvClick() {
  QByteArray csv;
  const QString path = window_.document->IsLoaded() ? AskOpen() : QString();
  if (path.isEmpty() || !Read(path, csv))
    return;
  CsvIssues issues;
  ApplyStep(QStringLiteral("импорт таблицы"),
            [&] { issues = ImportTableCsv(*window_.document, window_.active_table(), csv); });
  if (!issues.isEmpty())
    window_.dialogs->ShowErrorWithDetails(
        window_.widget,
        ShownIssues(QStringLiteral("Таблица не импортирована, ничего не изменено:"), issues),
        IssueDetails(issues));
}

void TableFileCommands::SaveChangeListClick() {
  if (!window_.document->IsLoaded())
    return;
  const QString path = AskSave(QStringLiteral("changes.csv"));
  if (!path.isEmpty())
    Write(path, WriteChangeList(*window_.document));
}

void TableFileCommands::ApplyChangeListClick() {
  QByteArray csv;
  const QString path = window_.document->IsLoaded() ? AskOpen() : QString();
  if (path.isEmpty() || !Read(path, csv))
    return;
  ApplyListAsStep(QStringLiteral("применение списка изменений"), [&](OnConflict on_conflict) {
    return ::ApplyChangeList(*window_.document, csv, on_conflict);
  });
}

bool TableFileCommands::ApplyListAsStep(const QString& name,
                                        const std::function<ApplyResult(OnConflict)>& apply) {
  // The list is checked first with conflicts refused; a list with conflicts
  // changes nothing until the user has chosen.
  ApplyResult result;
  ApplyStep(name, [&] { result = apply(OnConflict::Refuse); });
  if (!result.errors.isEmpty()) {
    window_.dialogs->ShowErrorWithDetails(
        window_.widget,
        ShownIssues(QStringLiteral("Список изменений не применён, ничего не изменено:"),
                    result.errors),
        IssueDetails(result.errors));
    return false;
  }
  if (result.applied || result.conflicts.isEmpty())
    return result.applied;
  const auto answer = window_.dialogs->AskConflicts(
      window_.widget,
      ShownIssues(QStringLiteral("Эти поля в файле уже не такие, как записано в списке изменений:"),
                  result.conflicts) +
          QStringLiteral("\n\nПрименить остальные изменения, все изменения или ничего?"),
      IssueDetails(result.conflicts));
  if (answer == UserDialogs::ConflictAnswer::Cancel)
    return false;
  const OnConflict mode =
      answer == UserDialogs::ConflictAnswer::ApplyAll ? OnConflict::Overwrite : OnConflict::Skip;
  ApplyStep(name, [&] { result = apply(mode); });
  return result.applied;
}

void TableFileCommands::ApplyStep(const QString& name, const std::function<void()>& change) {
  window_.history->Apply(name, [&] {
    window_.grid->BeginUpdate();
    change();
    window_.grid->EndUpdate();
  });
}

QString TableFileCommands::AskSave(const QString& proposed_name) {
  const QString path =
      window_.dialogs->AskCsvSaveFileName(window_.widget, window_.dialog_folder(), proposed_name);
  if (!path.isEmpty())
    window_.remember_folder(path);
  return path;
}

QString TableFileCommands::AskOpen() {
  const QString path = window_.dialogs->AskCsvOpenFileName(window_.widget, window_.dialog_folder());
  if (!path.isEmpty())
    window_.remember_folder(path);
  return path;
}

bool TableFileCommands::Write(const QString& path, const QByteArray& bytes) {
  QString message;
  if (WriteTextFile(window_.document->Files(), path, bytes, message)) {
    if (!message.isEmpty())  // written, but perhaps not for good
      window_.dialogs->ShowInfo(window_.widget, message);
    return true;
  }
  window_.dialogs->ShowError(window_.widget, message);
  return false;
}

bool TableFileCommands::Read(const QString& path, QByteArray& bytes) {
  QString message;
  if (ReadTextFile(window_.document->Files(), path, TextSources::kFiles, bytes, message))
    return true;
  window_.dialogs->ShowError(window_.widget, message);
  return false;
}
