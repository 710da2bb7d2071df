#include "ui/table_file_commands.h"

#include <QAction>
#include <QDir>
#include <QMenu>

#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/change_lists.h"
#include "formats/table_csv.h"
#include "grid/string_grid.h"
#include "storage/text_file.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"

namespace {

// The boxes show this many mistakes, then how many more there are; the whole
// list that was kept goes into their details area.
constexpr qsizetype kIssuesShown = 10;
// The question about values that do not fit their fields shows this many.
constexpr qsizetype kOutOfRangeShown = 5;

QString ShownIssues(const QString& headline, const CsvIssues& issues) {
  return headline + QLatin1Char('\n') + IssueLines(issues, kIssuesShown);
}

QString IssueDetails(const CsvIssues& issues) {
  return issues.Total() > kIssuesShown ? IssueLines(issues, CsvIssues::kKept) : QString();
}

// The issues of several lists as one, each message after its list's name.
CsvIssues OfEveryList(const std::vector<ChangeListFile>& lists,
                      const std::vector<CsvIssues>& per_list) {
  CsvIssues all;
  for (std::size_t k = 0; k < lists.size(); ++k)
    for (const CsvIssue& issue : per_list[k])
      all.append({0, 0,
                  QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(lists[k].name),
                                               CsvIssueMessage(issue))});
  return all;
}

}  // namespace

TableFileCommands::TableFileCommands(const Window& window, QMenu* menu, QAction* before)
    : QObject(window.widget), window_(window) {
  const auto add = [&](const char* name, const char* caption,
                       void (TableFileCommands::*handler)()) {
    return AddMenuCommand(menu, before, this, name, caption, handler);
  };
  ExportCsv = add("ExportCsv", QT_TRANSLATE_NOOP("Menu", "&Экспорт таблицы в CSV..."),
                  &TableFileCommands::ExportCsvClick);
  ImportCsv = add("ImportCsv", QT_TRANSLATE_NOOP("Menu", "&Импорт таблицы из CSV..."),
                  &TableFileCommands::ImportCsvClick);
  SaveChangeList =
      add("SaveChangeList", QT_TRANSLATE_NOOP("Menu", "Сохранить с&писок изменений..."),
          &TableFileCommands::SaveChangeListClick);
  ApplyChangeList =
      add("ApplyChangeList", QT_TRANSLATE_NOOP("Menu", "При&менить список изменений..."),
          &TableFileCommands::ApplyChangeListClick);
  SaveListsReport =
      add("SaveListsReport",
          QT_TRANSLATE_NOOP("Menu", "Сохранить о&тчёт о применённых списках изменений..."),
          &TableFileCommands::SaveListsReportClick);
  connect(window_.document, &TableDocument::fileChanged, this, &TableFileCommands::UpdateEnabled);
  UpdateEnabled();
}

TableFileCommands::~TableFileCommands() = default;

void TableFileCommands::UpdateEnabled() {
  for (QAction* action : {ExportCsv, ImportCsv, SaveChangeList, ApplyChangeList})
    action->setEnabled(window_.document->IsLoaded());
  SaveListsReport->setEnabled(window_.document->IsLoaded() && !lists_report_.isEmpty());
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
  const TableIndex table = window_.active_table();
  TableImport imported;
  const auto import = [&](OutOfRange handling) {
    ApplyStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "импорт таблицы")),
              [&] { imported = ImportTableCsv(*window_.document, table, csv, handling); });
  };
  import(OutOfRange::Refuse);
  if (imported.OnlyOutOfRange()) {
    const std::optional<OutOfRange> handling =
        AskOutOfRange(imported.out_of_range, imported.out_of_range.Total());
    if (!handling)
      return;
    import(*handling);
  }
  if (!imported.errors.isEmpty())
    window_.dialogs->ShowErrorWithDetails(
        window_.widget,
        ShownIssues(tr("Таблица не импортирована, ничего не изменено:"), imported.errors),
        IssueDetails(imported.errors));
}

void TableFileCommands::SaveChangeListClick() {
  if (!window_.document->IsLoaded())
    return;
  const QString path = AskSave(QStringLiteral("changes.csv"));
  if (!path.isEmpty())
    Write(path, WriteChangeList(*window_.document));
}

void TableFileCommands::ApplyChangeListClick() {
  if (!window_.document->IsLoaded())
    return;
  const QStringList paths = window_.dialogs->AskFileNames(
      window_.widget, UserDialogs::FileKind::Csv, window_.dialog_folder());
  if (paths.isEmpty())
    return;
  window_.remember_folder(paths.first());
  if (paths.size() > 1) {
    ApplySeveralLists(paths);
    return;
  }
  QByteArray csv;
  if (Read(paths.first(), csv))
    ApplyOneList(csv);
}

void TableFileCommands::ApplyOneList(const QByteArray& csv) {
  ApplyListAsStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение списка изменений")),
                  [&](OnConflict on_conflict, OutOfRange out_of_range) {
                    return ::ApplyChangeList(*window_.document, csv, on_conflict, out_of_range);
                  });
}

std::optional<OutOfRange> TableFileCommands::AskOutOfRange(const CsvIssues& values,
                                                           qsizetype count) {
  const QString text =
      tr("Значений, которые не помещаются в своё поле: %1.\n").arg(count) +
      IssueLines(values, kOutOfRangeShown) +
      tr("\n\nОграничить их диапазоном поля, оставить их младшие биты, как при вводе, "
         "или ничего не менять?");
  const QString details =
      values.Total() > kOutOfRangeShown ? IssueLines(values, CsvIssues::kKept) : QString();
  switch (window_.dialogs->AskOutOfRange(window_.widget, text, details)) {
    case UserDialogs::OutOfRangeAnswer::Limit:
      return OutOfRange::Limit;
    case UserDialogs::OutOfRangeAnswer::Wrap:
      return OutOfRange::Wrap;
    case UserDialogs::OutOfRangeAnswer::Cancel:
      break;
  }
  return std::nullopt;
}

bool TableFileCommands::ApplyListAsStep(
    const QString& name, const std::function<ApplyResult(OnConflict, OutOfRange)>& apply) {
  // The list is checked first with conflicts and values that do not fit
  // refused; such a list changes nothing until the user has chosen.
  ApplyResult result;
  OutOfRange out_of_range = OutOfRange::Refuse;
  ApplyStep(name, [&] { result = apply(OnConflict::Refuse, out_of_range); });
  if (OnlyOutOfRange(result.errors, result.out_of_range)) {
    const std::optional<OutOfRange> chosen =
        AskOutOfRange(result.out_of_range, result.out_of_range.Total());
    if (!chosen)
      return false;
    out_of_range = *chosen;
    ApplyStep(name, [&] { result = apply(OnConflict::Refuse, out_of_range); });
  }
  if (!result.errors.isEmpty()) {
    window_.dialogs->ShowErrorWithDetails(
        window_.widget,
        ShownIssues(tr("Список изменений не применён, ничего не изменено:"), result.errors),
        IssueDetails(result.errors));
    return false;
  }
  if (result.applied || result.conflicts.isEmpty())
    return result.applied;
  const auto answer = window_.dialogs->AskConflicts(
      window_.widget,
      ShownIssues(tr("Эти поля в файле уже не такие, как записано в списке изменений:"),
                  result.conflicts) +
          tr("\n\nПрименить остальные изменения, все изменения или ничего?"),
      IssueDetails(result.conflicts));
  if (answer == UserDialogs::ConflictAnswer::Cancel)
    return false;
  const OnConflict mode =
      answer == UserDialogs::ConflictAnswer::ApplyAll ? OnConflict::Overwrite : OnConflict::Skip;
  ApplyStep(name, [&] { result = apply(mode, out_of_range); });
  return result.applied;
}

// As one list, except that each list's mistakes are listed under its name,
// and that lists setting one field differently are settled (or not) first.
void TableFileCommands::ApplySeveralLists(const QStringList& paths) {
  std::vector<ChangeListFile> lists;
  for (const QString& path : paths) {
    lists.push_back({path, {}});
    if (!Read(path, lists.back().csv))
      return;
  }
  // Judged first with every conflict refused: nothing changes until the user
  // has chosen.
  ListsChoices choices;
  ListsResult result;
  ApplyStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение списков изменений")),
            [&] { result = ApplyChangeLists(*window_.document, lists, choices); });
  if (result.OnlyOutOfRange()) {
    const CsvIssues values = OfEveryList(lists, result.out_of_range);
    const std::optional<OutOfRange> chosen = AskOutOfRange(values, result.OutOfRangeCount());
    if (!chosen)
      return;
    choices.out_of_range = *chosen;
    ApplyStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение списков изменений")),
              [&] { result = ApplyChangeLists(*window_.document, lists, choices); });
  }
  if (result.HasErrors()) {
    const CsvIssues all = OfEveryList(lists, result.errors);
    window_.dialogs->ShowErrorWithDetails(
        window_.widget, ShownIssues(tr("Списки изменений не применены, ничего не изменено:"), all),
        IssueDetails(all));
    return;
  }
  if (!result.applied && !result.conflicts.empty()) {
    const QStringList lines = ListsConflictLines(result, lists, window_.document->File().tables);
    const QString shown = lines.mid(0, kIssuesShown).join(QLatin1Char('\n')) +
                          (lines.size() > kIssuesShown
                               ? QLatin1Char('\n') + MoreIssuesText(lines.size() - kIssuesShown)
                               : QString());
    const auto answer = window_.dialogs->AskListsConflicts(
        window_.widget,
        tr("Списки задают этим полям разные значения:\n") + shown +
            tr("\n\nВзять значения из более позднего списка, из более раннего или "
               "ничего не применять?"),
        lines.size() > kIssuesShown ? lines.join(QLatin1Char('\n')) : QString());
    if (answer == UserDialogs::ListsAnswer::Cancel)
      return;
    choices.prefer = answer == UserDialogs::ListsAnswer::PreferLater ? ListPreference::kLater
                                                                     : ListPreference::kEarlier;
    ApplyStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение списков изменений")),
              [&] { result = ApplyChangeLists(*window_.document, lists, choices); });
  }
  if (!result.applied && result.HasFileConflicts()) {
    const CsvIssues all = OfEveryList(lists, result.file_conflicts);
    const auto answer = window_.dialogs->AskConflicts(
        window_.widget,
        ShownIssues(tr("Эти поля в файле уже не такие, как записано в списках изменений:"), all) +
            tr("\n\nПрименить остальные изменения, все изменения или ничего?"),
        IssueDetails(all));
    if (answer == UserDialogs::ConflictAnswer::Cancel)
      return;
    choices.on_file_conflict =
        answer == UserDialogs::ConflictAnswer::ApplyAll ? OnConflict::Overwrite : OnConflict::Skip;
    ApplyStep(QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "применение списков изменений")),
              [&] { result = ApplyChangeLists(*window_.document, lists, choices); });
  }
  if (!result.applied)
    return;
  lists_report_ = WriteListsReport(result, lists, window_.document->File().tables);
  UpdateEnabled();
}

void TableFileCommands::SaveListsReportClick() {
  if (!window_.document->IsLoaded() || lists_report_.isEmpty())
    return;
  const QString path = AskSave(QStringLiteral("lists-report.csv"));
  if (!path.isEmpty())
    Write(path, lists_report_);
}

void TableFileCommands::ApplyStep(const QString& name, const std::function<void()>& change) {
  window_.document->Change(name, [&](DocumentEdit&) {
    window_.grid->BeginUpdate();
    change();
    window_.grid->EndUpdate();
  });
}

QString TableFileCommands::AskSave(const QString& proposed_name) {
  const QString path = window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::SaveCsv,
                                                    window_.dialog_folder(), proposed_name);
  if (!path.isEmpty())
    window_.remember_folder(path);
  return path;
}

QString TableFileCommands::AskOpen() {
  const QString path = window_.dialogs->AskFileName(window_.widget, UserDialogs::FileKind::Csv,
                                                    window_.dialog_folder());
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
