#include "cli_commands.h"

#include <QDir>
#include <cstdio>

#include "change_list.h"
#include "standard_output.h"
#include "table_csv.h"
#include "table_document.h"
#include "text_file.h"

namespace {

void Complain(const QString& message) {
  std::fprintf(stderr, "trevalune-cli: %s\n", qUtf8Printable(message));
}

QString Shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// Opens an executable; a file of another size only with --any-size.
bool OpenExecutable(TableDocument& document, const QString& path, bool any_size) {
  QString error;
  switch (document.Open(
      path, [any_size] { return any_size; }, error)) {
    case TableDocument::Outcome::Done:
      return true;
    case TableDocument::Outcome::Declined:
      Complain(QStringLiteral("файл «%1» не того размера, что ожидается (%2 байт); чтобы "
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

// Reads a CSV file whole: a regular file, a pipe (as "<(...)" gives) or "-"
// for standard input, no larger than text files may be.
bool ReadText(FileStore& store, const QString& path, QByteArray& bytes) {
  QString message;
  if (ReadTextFile(store, path, TextSources::kFilesAndStreams, bytes, message))
    return true;
  Complain(message);
  return false;
}

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
               : QStringLiteral("файл «%1» изменён другой программой, пока шла работа; ничего "
                                "не записано")
                     .arg(Shown(document.TargetFileName())));
  return false;
}

// Every issue kept, then how many more were found.
void ListIssues(const QString& path, const CsvIssues& issues) {
  for (const CsvIssue& issue : issues)
    Complain(QStringLiteral("%1: %2").arg(Shown(path), CsvIssueMessage(issue)));
  if (issues.Total() > issues.size())
    Complain(
        QStringLiteral("%1: …%2").arg(Shown(path), MoreIssuesText(issues.Total() - issues.size())));
}

int Export(const CliRequest& request) {
  TableDocument document;
  if (!OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  if (request.table)
    return WriteText(document.Files(), request.output,
                     ExportTableCsv(document, *request.table, request.separator))
               ? kExitDone
               : kExitFailed;
  const QDir folder(request.output.isEmpty() ? QDir::currentPath() : request.output);
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const QString path = folder.filePath(TableFileName(table) + QStringLiteral(".csv"));
    if (!WriteText(document.Files(), path, ExportTableCsv(document, table, request.separator)))
      return kExitFailed;
  }
  return kExitDone;
}

int Import(const CliRequest& request) {
  TableDocument document;
  QByteArray csv;
  if (!OpenExecutable(document, request.files[0], request.any_size) ||
      !ReadText(document.Files(), request.files[1], csv))
    return kExitFailed;
  const CsvIssues issues =
      ImportTableCsv(document, *request.table, csv, request.allow_name_mismatch);
  if (!issues.isEmpty()) {
    ListIssues(request.files[1], issues);
    Complain(
        QStringLiteral("таблица не загружена, файл «%1» не записан").arg(Shown(request.output)));
    return kExitFailed;
  }
  return SaveExecutable(document, request.output) ? kExitDone : kExitFailed;
}

int Diff(const CliRequest& request) {
  TableDocument from;
  TableDocument to;
  if (!OpenExecutable(from, request.files[0], request.any_size) ||
      !OpenExecutable(to, request.files[1], request.any_size))
    return kExitFailed;
  const QByteArray list = WriteChangeList(DiffTables(from.Committed(), to.Committed()),
                                          from.Committed(), request.separator);
  return WriteText(from.Files(), request.output, list) ? kExitDone : kExitFailed;
}

int Apply(const CliRequest& request) {
  TableDocument document;
  QByteArray csv;
  if (!OpenExecutable(document, request.files[0], request.any_size) ||
      !ReadText(document.Files(), request.files[1], csv))
    return kExitFailed;
  const ApplyResult result = ApplyChangeList(document, csv, request.force);
  ListIssues(request.files[1], result.errors);
  ListIssues(request.files[1], result.conflicts);
  if (!result.applied) {
    Complain(result.errors.isEmpty()
                 ? QStringLiteral("изменения не применены: файл уже не тот, что в списке; "
                                  "чтобы применить их всё же, добавьте --force")
                 : QStringLiteral("изменения не применены: в списке ошибки"));
    return kExitFailed;
  }
  return SaveExecutable(document, request.output) ? kExitDone : kExitFailed;
}

}  // namespace

int RunCommand(const CliRequest& request) {
  if (request.command == QStringLiteral("export"))
    return Export(request);
  if (request.command == QStringLiteral("import"))
    return Import(request);
  if (request.command == QStringLiteral("diff"))
    return Diff(request);
  return Apply(request);
}
