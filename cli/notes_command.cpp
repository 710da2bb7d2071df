#include "cli/notes_command.h"

#include <QCoreApplication>
#include <QStringList>
#include <memory>

#include "cli/standard_output.h"
#include "document/caption_language.h"
#include "document/cell_hint.h"
#include "document/field_notes.h"
#include "document/notes_checks.h"
#include "document/table_document.h"
#include "formats/csv_writer.h"
#include "storage/file_store.h"
#include "tables/grid_shape.h"

namespace {

// The captions of the list's columns and the words of its levels, in the
// language of --lang whatever the language of the answers, as the change
// lists' captions are.
const char* const kHeader[] = {
    QT_TRANSLATE_NOOP("Captions", "Таблица"), QT_TRANSLATE_NOOP("Captions", "№"),
    QT_TRANSLATE_NOOP("Captions", "Название"), QT_TRANSLATE_NOOP("Captions", "Проверка"),
    QT_TRANSLATE_NOOP("Captions", "Уровень")};
const char* const kError = QT_TRANSLATE_NOOP("Captions", "ошибка");
const char* const kWarning = QT_TRANSLATE_NOOP("Captions", "предупреждение");
const char* const kOutside = QT_TRANSLATE_NOOP("Captions", "%1 вне %2");

// The notes of --notes, or the shipped ones; null with a message when the
// file is refused.
std::unique_ptr<NotesChecker> LoadNotes(FileStore& store, const CliRequest& request) {
  if (request.notes.isEmpty())
    return std::make_unique<NotesChecker>(ShippedFieldNotes());
  NotesError error;
  auto notes = ReadFieldNotes(store, request.notes, error);
  if (!notes) {
    Complain(QStringLiteral("%1: %2").arg(Shown(request.notes), NotesErrorText(error)));
    return nullptr;
  }
  return std::make_unique<NotesChecker>(std::move(*notes));
}

}  // namespace

int RunCheck(const CliRequest& request) {
  TableDocument document;
  const auto checker = LoadNotes(document.Files(), request);
  if (!checker || !OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  const CaptionLanguage language = request.captions;
  const bool english = language == CaptionLanguage::English;
  const std::vector<NoteFinding> findings = checker->Findings(document, request.table);

  CsvWriter writer(request.separator);
  for (const char* caption : kHeader)
    writer.AddField(CaptionUtf8(caption, language));
  writer.EndRow();
  bool error_broken = false;
  for (const NoteFinding& finding : findings) {
    const TableNotes& notes = checker->Notes().tables[finding.table];
    QString what;
    if (finding.check >= 0) {
      what = notes.checks[finding.check].name.In(english);
    } else {
      what = CaptionText(kOutside, language)
                 .arg(CaptionText(HeaderCaptions[finding.table][finding.column], language),
                      SaneRangeText(notes.fields[finding.column]));
    }
    error_broken = error_broken || finding.level == CheckLevel::Error;
    writer.AddField(CaptionUtf8(TabCaptions[finding.table], language));
    writer.AddField(std::to_string(finding.entry + 1));
    writer.AddField(EntryNameText(document.Committed(), finding.table, finding.entry));
    writer.AddField(what.toStdString());
    writer.AddField(CaptionUtf8(finding.level == CheckLevel::Error ? kError : kWarning, language));
    writer.EndRow();
  }
  if (!WriteText(document.Files(), {}, writer.Take()))
    return kExitFailed;
  return error_broken ? kExitChecksBroken : kExitChecksPass;
}

int RunNotes(const CliRequest& request) {
  QtFileStore store;
  const auto checker = LoadNotes(store, request);
  if (!checker)
    return kExitFailed;
  const bool english = request.captions == CaptionLanguage::English;
  const TableIndex table = *request.table;
  const TableNotes& notes = checker->Notes().tables[table];
  QString text;
  for (int column = 1; column < ColCounts[table]; ++column) {
    const FieldNote& note = notes.fields[column];
    text += FieldKindHint(CaptionUtf8(HeaderCaptions[table][column], request.captions),
                          FieldOf(table, column)) +
            u'\n';
    if (!note.description.IsEmpty())
      text += QStringLiteral("  ") + note.description.In(english) + u'\n';
    if (const QString range = SaneRangeText(note); !range.isEmpty())
      text += QStringLiteral("  ") +
              QCoreApplication::translate("NotesCommand", "разумные значения: %1").arg(range) +
              u'\n';
    for (const auto& [bit, name] : note.bits)
      text += QStringLiteral("  ") +
              QCoreApplication::translate("NotesCommand", "бит %1 (0x%2): %3")
                  .arg(bit)
                  .arg(QString::number(1u << bit, 16).toUpper())
                  .arg(name.In(english)) +
              u'\n';
    for (const auto& [value, name] : note.values)
      text += QStringLiteral("  %1 = %2\n").arg(value).arg(name.In(english));
  }
  if (!notes.checks.empty()) {
    text += QCoreApplication::translate("NotesCommand", "Проверки:") + u'\n';
    for (const NoteCheck& check : notes.checks)
      text += QStringLiteral("  [%1] %2: %3\n")
                  .arg(QCoreApplication::translate(
                           "Captions", check.level == CheckLevel::Error ? kError : kWarning),
                       check.name.In(english), check.condition);
  }
  QString message;
  if (WriteStandardOutput(text.toUtf8(), message))
    return kExitDone;
  Complain(message);
  return kExitFailed;
}
