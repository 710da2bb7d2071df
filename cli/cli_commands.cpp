#include "cli/cli_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <utility>

#include "cli/formula_command.h"
#include "cli/notes_command.h"
#include "cli/standard_output.h"
#include "document/command_line_language.h"
#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/change_lists.h"
#include "formats/patch_file.h"
#include "formats/patch_texts.h"
#include "formats/table_csv.h"
#include "storage/file_identity.h"
#include "storage/text_file.h"

void Complain(const QString& message) {
  WriteStandardError(QStringLiteral("trevalune-cli: %1\n").arg(CommandLineMessage(message)));
}

QString Shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

QString QuotedList(const QStringList& texts) {
  QStringList quoted;
  for (const QString& text : texts)
    quoted.append(QuotedText(text));
  return quoted.join(QStringLiteral(", "));
}

// Opens an executable; a file of another size only with --any-size.
bool OpenExecutable(TableDocument& document, const QString& path, bool any_size) {
  QString error;
  switch (document.Open(
      path, [any_size] { return any_size; }, error)) {
    case TableDocument::Outcome::Done:
      return true;
    case TableDocument::Outcome::Declined:
      Complain(
          QCoreApplication::translate("Cli",
                                      "файл «%1» не того размера, что ожидается (%2 байт); чтобы "
                                      "открыть его всё же, добавьте --any-size")
              .arg(Shown(path))
              .arg(ExpectedFileSize));
      return false;
    case TableDocument::Outcome::Failed:
      break;
  }
  Complain(error);
  return false;
}

namespace {

// Reads a CSV file whole: a regular file, a pipe (as "<(...)" gives) or "-"
// for standard input, no larger than text files may be.
bool ReadText(FileStore& store, const QString& path, QByteArray& bytes) {
  QString message;
  if (ReadTextFile(store, path, TextSources::kFilesAndStreams, bytes, message))
    return true;
  Complain(message);
  return false;
}

}  // namespace

// Writes a CSV file whole or not at all through the store's safe write, or to
// stdout when `path` is empty. A warning about a file that was written is
// told, and the work goes on.
bool WriteText(FileStore& store, const QString& path, const QByteArray& bytes) {
  QString message;
  const bool written = path.isEmpty() ? WriteStandardOutput(bytes, message)
                                      : WriteTextFile(store, path, bytes, message);
  if (!message.isEmpty())
    Complain(message);
  return written;
}

bool SaveExecutable(TableDocument& document, const QString& path) {
  QString error;
  // The file was read moments ago; if another program changed it since,
  // nothing is written rather than a guess made.
  const auto outcome = document.SaveAs(
      path, [](const QString&) { return false; }, error);
  if (outcome == TableDocument::Outcome::Done) {
    if (!error.isEmpty())
      Complain(error);  // written, but its folder is not synced
    return true;
  }
  Complain(outcome == TableDocument::Outcome::Failed
               ? error
               : QCoreApplication::translate(
                     "Cli",
                     "файл «%1» изменён другой программой, пока шла работа; ничего "
                     "не записано")
                     .arg(Shown(document.File().path)));
  return false;
}

namespace {

// Every issue kept, then how many more were found.
void ListIssues(const QString& path, const CsvIssues& issues) {
  for (const CsvIssue& issue : issues)
    Complain(QStringLiteral("%1: %2").arg(Shown(path), CsvIssueMessage(issue)));
  if (issues.Total() > issues.size())
    Complain(
        QStringLiteral("%1: …%2").arg(Shown(path), MoreIssuesText(issues.Total() - issues.size())));
}

// After the mistakes of a file refused only for values that do not fit.
void SuggestOutOfRange() {
  Complain(QCoreApplication::translate(
      "Cli",
      "чтобы ограничить такие значения диапазоном поля или оставить их "
      "младшие биты, добавьте --out-of-range limit или --out-of-range wrap"));
}

// How many values were limited or wrapped, when asked to.
void TellOutOfRange(OutOfRange handling, qsizetype count) {
  if (handling != OutOfRange::Refuse)
    Complain(OutOfRangeDoneText(handling, count));
}

// The files an export of every table writes, in the order of the tables.
QStringList ExportPaths(const CliRequest& request) {
  const QDir folder(request.output.isEmpty() ? QDir::currentPath() : request.output);
  QStringList paths;
  for (TableIndex table = 0; table < kTableCount; ++table)
    paths.append(folder.filePath(TableFileName(table) + QStringLiteral(".csv")));
  return paths;
}

// A command's results never go over a file it reads (a list, a patch, the
// executable a list or a patch is made from), whatever path names that file:
// only the executable the command changes may be named by `-o`, to change it
// in place. A change list written instead of the executable goes over no
// input, and a report, written last, over no file of the command.
bool WritesOverAnInput(const CliRequest& request) {
  const auto over = [&](const QString& output, qsizetype first_input) -> const QString* {
    for (qsizetype k = first_input; k < request.files.size(); ++k) {
      const QString& input = request.files[k];
      if (input != QStringLiteral("-") && SameFile(output, input))
        return &input;
    }
    return nullptr;
  };
  QStringList outputs;
  if (request.command == QStringLiteral("export") && !request.table)
    outputs = ExportPaths(request);
  else if (!request.output.isEmpty())
    outputs = {request.output};
  const bool changes_executable = FindCliCommand(request.command)->changes_executable;
  for (const QString& output : std::as_const(outputs)) {
    if (const QString* input = over(output, changes_executable ? 1 : 0)) {
      Complain(
          QCoreApplication::translate("Cli",
                                      "результат «%1» записался бы поверх входного файла «%2»: "
                                      "укажите в -o другой путь")
              .arg(Shown(output), Shown(*input)));
      return true;
    }
  }
  if (!request.changes.isEmpty() && request.changes != QStringLiteral("-")) {
    if (const QString* input = over(request.changes, 0)) {
      Complain(QCoreApplication::translate(
                   "Cli",
                   "список изменений «%1» записался бы поверх входного файла «%2»: укажите в "
                   "--changes другой путь")
                   .arg(Shown(request.changes), Shown(*input)));
      return true;
    }
  }
  // The report is written last: naming the executable or a list, it would
  // put itself over the copy just written or over a list the user keeps.
  if (!request.report.isEmpty()) {
    for (const QString& other : request.files + QStringList{request.output}) {
      if (other != QStringLiteral("-") && SameFile(request.report, other)) {
        Complain(
            QCoreApplication::translate("Cli",
                                        "отчёт «%1» записался бы поверх файла «%2»: укажите для "
                                        "отчёта другой файл")
                .arg(Shown(request.report), Shown(other)));
        return true;
      }
    }
  }
  return false;
}

int Export(const CliRequest& request) {
  TableDocument document;
  if (!OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  if (request.table)
    return WriteText(document.Files(), request.output,
                     ExportTableCsv(document, *request.table, request.separator, request.captions))
               ? kExitDone
               : kExitFailed;
  // Three files cannot be put in place at once: when one fails, the message
  // names those already written.
  const QStringList paths = ExportPaths(request);
  QStringList written;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const QString& path = paths[table];
    if (!WriteText(document.Files(), path,
                   ExportTableCsv(document, table, request.separator, request.captions))) {
      if (!written.isEmpty())
        Complain(
            QCoreApplication::translate("Cli", "записаны только %1, остальные таблицы не записаны")
                .arg(QuotedList(written)));
      return kExitFailed;
    }
    written.append(Shown(path));
  }
  return kExitDone;
}

int Import(const CliRequest& request) {
  TableDocument document;
  QByteArray csv;
  if (!OpenExecutable(document, request.files[0], request.any_size) ||
      !ReadText(document.Files(), request.files[1], csv))
    return kExitFailed;
  const TableImport imported = ImportTableCsv(document, *request.table, csv, request.out_of_range,
                                              request.allow_name_mismatch);
  if (!imported.errors.isEmpty()) {
    ListIssues(request.files[1], imported.errors);
    if (imported.OnlyOutOfRange())
      SuggestOutOfRange();
    Complain(QCoreApplication::translate("Cli", "таблица не загружена, файл «%1» не записан")
                 .arg(Shown(request.output)));
    return kExitFailed;
  }
  if (!SaveExecutable(document, request.output))
    return kExitFailed;
  TellOutOfRange(request.out_of_range, imported.out_of_range.Total());
  return kExitDone;
}

int Diff(const CliRequest& request) {
  TableDocument from;
  TableDocument to;
  if (!OpenExecutable(from, request.files[0], request.any_size) ||
      !OpenExecutable(to, request.files[1], request.any_size))
    return kExitFailed;
  const QByteArray list = WriteChangeList(DiffTables(from.Committed(), to.Committed()),
                                          from.Committed(), request.separator, request.captions);
  return WriteText(from.Files(), request.output, list) ? kExitDone : kExitFailed;
}

// The reading of a list comes first for every list, so that a list that
// cannot be read writes nothing.
int Apply(const CliRequest& request) {
  TableDocument document;
  if (!OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  std::vector<ChangeListFile> lists;
  for (qsizetype k = 1; k < request.files.size(); ++k) {
    lists.push_back({request.files[k], {}});
    if (!ReadText(document.Files(), request.files[k], lists.back().csv))
      return kExitFailed;
  }
  const ListsChoices choices{request.prefer,
                             request.force ? OnConflict::Overwrite : OnConflict::Refuse,
                             request.out_of_range};
  const ListsResult result = ApplyChangeLists(document, lists, choices);
  for (std::size_t k = 0; k < lists.size(); ++k) {
    ListIssues(lists[k].name, result.errors[k]);
    ListIssues(lists[k].name, result.file_conflicts[k]);
  }
  const QStringList conflicts = ListsConflictLines(result, lists, document.File().tables);
  for (qsizetype k = 0; k < conflicts.size(); ++k) {
    if (!request.prefer) {
      Complain(QCoreApplication::translate("Cli", "конфликт: %1").arg(conflicts[k]));
      continue;
    }
    const ListsConflict& conflict = result.conflicts[static_cast<std::size_t>(k)];
    const std::size_t winner =
        *request.prefer == ListPreference::kLater ? conflict.later : conflict.earlier;
    Complain(QCoreApplication::translate("Cli", "конфликт решён в пользу «%1»: %2")
                 .arg(Shown(lists[winner].name), conflicts[k]));
  }
  if (!result.applied) {
    if (result.HasErrors()) {
      if (result.OnlyOutOfRange())
        SuggestOutOfRange();
      Complain(lists.size() > 1
                   ? QCoreApplication::translate("Cli", "изменения не применены: в списках ошибки")
                   : QCoreApplication::translate("Cli", "изменения не применены: в списке ошибки"));
    } else if (!conflicts.isEmpty() && !request.prefer)
      Complain(
          QCoreApplication::translate("Cli",
                                      "изменения не применены: списки задают одним полям разные "
                                      "значения (конфликтов: %1); чтобы решить их, добавьте "
                                      "--prefer later или --prefer earlier")
              .arg(conflicts.size()));
    else
      Complain(
          QCoreApplication::translate("Cli",
                                      "изменения не применены: файл уже не тот, что в %1; чтобы "
                                      "применить их всё же, добавьте --force")
              .arg(lists.size() > 1 ? QCoreApplication::translate("Cli", "списках")
                                    : QCoreApplication::translate("Cli", "списке")));
    return kExitFailed;
  }
  if (!SaveExecutable(document, request.output))
    return kExitFailed;
  TellOutOfRange(request.out_of_range, result.OutOfRangeCount());
  // A report that cannot follow the executable takes nothing back: the
  // message says the copy is written, and the exit status that the report,
  // which was asked for too, is not.
  if (!request.report.isEmpty() &&
      !WriteText(document.Files(), request.report,
                 WriteListsReport(result, lists, document.File().tables, request.separator,
                                  request.captions))) {
    Complain(QCoreApplication::translate("Cli",
                                         "изменения применены и файл «%1» записан, не записан "
                                         "только отчёт «%2»")
                 .arg(Shown(request.output), Shown(request.report)));
    return kExitFailed;
  }
  return kExitDone;
}

bool WriteBinary(FileStore& store, const QString& path, const Bytes& bytes) {
  QString message;
  const bool written = WritePatchFile(store, path, bytes, message);
  if (!message.isEmpty())
    Complain(message);
  return written;
}

// A result cut short of the table records could not be opened again: no
// option lets that through.
bool CutsRecords(const OutsideChanges& outside) {
  return outside.size_after < std::min(outside.size_before, RecordsEnd());
}

// Both executables are read as diff reads them: a file of another size only
// with --any-size.
int Patch(const CliRequest& request) {
  TableDocument from;
  TableDocument to;
  if (!OpenExecutable(from, request.files[0], request.any_size) ||
      !OpenExecutable(to, request.files[1], request.any_size))
    return kExitFailed;
  const Bytes& original = from.File().image;
  const Bytes& modded = to.File().image;
  const PatchOutcome patch = MakePatch(request.format, original, modded);
  if (!patch.ok()) {
    Complain(QCoreApplication::translate("Cli", "патч не записан: %1")
                 .arg(PatchRefusalText(patch.refusal)));
    return kExitFailed;
  }
  const OutsideChanges outside = ChangesOutsideRecords(original, modded);
  if (CutsRecords(outside))
    Complain(QCoreApplication::translate("Cli", "внимание: %1; apply-patch его не применит")
                 .arg(CutTooShortText(outside)));
  else if (outside.Any())
    Complain(QCoreApplication::translate("Cli",
                                         "внимание: %1; apply-patch применит его только с "
                                         "--allow-other-bytes")
                 .arg(OutsideChangesText(outside)));
  return WriteBinary(from.Files(), request.output, patch.bytes) ? kExitDone : kExitFailed;
}

int ApplyPatchFile(const CliRequest& request) {
  TableDocument document;
  if (!OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  FileStore& store = document.Files();
  const Bytes& file = document.File().image;
  Bytes patch;
  QString message;
  if (!ReadPatchFile(store, request.files[1], TextSources::kFilesAndStreams, patch, message)) {
    Complain(message);
    return kExitFailed;
  }
  const PatchOutcome patched = ::ApplyPatch(patch, file);
  if (!patched.ok()) {
    Complain(QCoreApplication::translate("Cli", "патч «%1» не применён: %2")
                 .arg(Shown(request.files[1]), PatchRefusalText(patched.refusal)));
    return kExitFailed;
  }
  const OutsideChanges outside = ChangesOutsideRecords(file, patched);
  if (CutsRecords(outside)) {
    Complain(QCoreApplication::translate("Cli", "патч «%1» не применён: %2")
                 .arg(Shown(request.files[1]), CutTooShortText(outside)));
    return kExitFailed;
  }
  if (outside.Any() && !request.allow_other_bytes) {
    Complain(QCoreApplication::translate(
                 "Cli",
                 "патч «%1» не применён: %2; чтобы применить его всё же, добавьте "
                 "--allow-other-bytes")
                 .arg(Shown(request.files[1]), OutsideChangesText(outside)));
    return kExitFailed;
  }
  return WriteBinary(store, request.output, patched.bytes) ? kExitDone : kExitFailed;
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {.name = "export",
       .files = 1,
       .most_files = 1,
       .options = {"table", "separator"},
       .usage = QT_TRANSLATE_NOOP("Cli", "export ФАЙЛ.exe [--table Т] [--separator Р] [-o ВЫХОД]"),
       .help =
           QT_TRANSLATE_NOOP("Cli",
                             "таблицы в CSV: без --table три файла creatures.csv, buildings.csv,\n"
                             "spells.csv (в папке -o или в текущей), с --table одна таблица\n"
                             "в стандартный вывод или в файл -o"),
       .run = Export},
      {.name = "import",
       .files = 2,
       .most_files = 2,
       .options = {"table", "allow-name-mismatch", "out-of-range"},
       .needs_table = true,
       .needs_output = true,
       .changes_executable = true,
       .usage = QT_TRANSLATE_NOOP(
           "Cli",
           "import ФАЙЛ.exe ТАБЛИЦА.csv --table Т -o ВЫХОД.exe [--allow-name-mismatch]\n"
           "[--out-of-range limit|wrap]"),
       .help = QT_TRANSLATE_NOOP("Cli",
                                 "загрузить таблицу из CSV и записать исполняемый файл; значение,\n"
                                 "которое не помещается в своё поле, без --out-of-range — ошибка"),
       .run = Import},
      {.name = "diff",
       .files = 2,
       .most_files = 2,
       .options = {"separator"},
       .usage = QT_TRANSLATE_NOOP("Cli", "diff A.exe B.exe [-o ИЗМЕНЕНИЯ.csv]"),
       .help = QT_TRANSLATE_NOOP("Cli", "список полей, которыми B отличается от A"),
       .run = Diff},
      {.name = "apply",
       .files = 2,
       .most_files = 1000,
       .options = {"force", "prefer", "report", "separator", "out-of-range"},
       .needs_output = true,
       .changes_executable = true,
       .usage = QT_TRANSLATE_NOOP(
           "Cli",
           "apply ФАЙЛ.exe ИЗМЕНЕНИЯ.csv... -o ВЫХОД.exe [--force]\n"
           "[--prefer later|earlier] [--report ОТЧЁТ.csv] [--out-of-range limit|wrap]"),
       .help = QT_TRANSLATE_NOOP(
           "Cli",
           "применить списки изменений по порядку и записать исполняемый файл;\n"
           "если два списка задают полю разные значения, ничего не записывается,\n"
           "пока --prefer не скажет, какой список главнее"),
       .run = Apply},
      {.name = "patch",
       .files = 2,
       .most_files = 2,
       .options = {"format"},
       .needs_output = true,
       .usage = QT_TRANSLATE_NOOP(
           "Cli", "patch ИСХОДНЫЙ.exe ИЗМЕНЁННЫЙ.exe -o МОД.bps [--format bps|ips]"),
       .help = QT_TRANSLATE_NOOP("Cli", "патч BPS (или IPS), превращающий первый файл во второй"),
       .run = Patch},
      {.name = "apply-patch",
       .files = 2,
       .most_files = 2,
       .options = {"allow-other-bytes"},
       .needs_output = true,
       .changes_executable = true,
       .usage = QT_TRANSLATE_NOOP(
           "Cli", "apply-patch ФАЙЛ.exe МОД.bps -o ВЫХОД.exe [--allow-other-bytes]"),
       .help = QT_TRANSLATE_NOOP("Cli", "применить патч BPS или IPS и записать результат"),
       .run = ApplyPatchFile},
      {.name = "formula",
       .files = 1,
       .most_files = 1,
       .options = {"table", "column", "expr", "where", "wrap", "changes", "separator"},
       .needs_table = true,
       .changes_executable = true,
       .usage = QT_TRANSLATE_NOOP(
           "Cli",
           "formula ФАЙЛ.exe --table Т --column СТОЛБЕЦ --expr ФОРМУЛА [--where УСЛОВИЕ]\n"
           "[--wrap] (-o ВЫХОД.exe | --changes ИЗМЕНЕНИЯ.csv)"),
       .help = QT_TRANSLATE_NOOP(
           "Cli",
           "задать столбцу каждой записи, для которой УСЛОВИЕ истинно, значение\n"
           "ФОРМУЛЫ (value — значение поля, поля записи — по названиям столбцов,\n"
           "пробел как _, без точек: Здоровье / 2 + Мин_урон; + - * / ^,\n"
           "сравнения, && || и ?:, min, max, abs, round, floor, ceil, sqrt);\n"
           "с --changes записать список изменений вместо исполняемого файла"),
       .run = RunFormula},
      {.name = "check",
       .files = 1,
       .most_files = 1,
       .options = {"table", "notes", "separator"},
       .usage = QT_TRANSLATE_NOOP("Cli", "check ФАЙЛ.exe [--notes ЗАМЕТКИ.json] [--table Т]"),
       .help = QT_TRANSLATE_NOOP(
           "Cli",
           "нарушенные проверки и значения вне разумных пределов из заметок о полях,\n"
           "в CSV; код выхода 1, если нарушена проверка уровня «ошибка»"),
       .run = RunCheck},
      {.name = "notes",
       .files = 0,
       .most_files = 0,
       .options = {"table", "notes"},
       .needs_table = true,
       .usage = QT_TRANSLATE_NOOP("Cli", "notes --table Т [--notes ЗАМЕТКИ.json]"),
       .help = QT_TRANSLATE_NOOP("Cli", "заметки о полях таблицы в виде текста"),
       .run = RunNotes},
  };
  return commands;
}

const CliCommand* FindCliCommand(const QString& name) {
  for (const CliCommand& command : CliCommands())
    if (name == QLatin1StringView(command.name))
      return &command;
  return nullptr;
}

int RunCommand(const CliRequest& request) {
  if (WritesOverAnInput(request))
    return kExitFailed;
  return FindCliCommand(request.command)->run(request);
}
