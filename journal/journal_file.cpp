#include "journal/journal_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QUrl>
#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <span>

#include "document/caption_language.h"
#include "formats/csv_reader.h"
#include "formats/csv_writer.h"
#include "formats/patch_formats.h"
#include "formats/table_csv.h"
#include "tables/grid_shape.h"
#include "tables/record_field.h"

namespace {

const QByteArray kMagic = QByteArrayLiteral("Trevalune journal ");
// A typed text is written after this mark, so that an empty typed text differs
// from none.
constexpr char kTypedMark = '>';

// The columns of the list. Each has a key, which names it from version 2 on;
// version 1 named it by the change list's caption, still read as an alias.
// These captions are version 1's, kept as they were whatever the change list
// calls its columns now; nobody reads them but this reader.
// A text of the format that is never shown, so never translated.
#define FORMAT_TEXT(text) text
enum ListColumn { kTable, kEntry, kName, kColumn, kInFile, kNow, kTyped, kListColumns };
struct ListColumnName {
  QLatin1StringView key;
  const char* caption;  // UTF-8
};
constexpr std::array<ListColumnName, kListColumns> kColumnNames = {
    {{QLatin1StringView("table"), FORMAT_TEXT("Таблица")},
     {QLatin1StringView("entry"), FORMAT_TEXT("№")},
     {QLatin1StringView("name"), FORMAT_TEXT("Название")},
     {QLatin1StringView("column"), FORMAT_TEXT("Столбец")},
     {QLatin1StringView("in_file"), FORMAT_TEXT("В файле")},
     {QLatin1StringView("now"), FORMAT_TEXT("Новое")},
     {QLatin1StringView("typed"), FORMAT_TEXT("Набрано")}}};
// Version 2 writes these, by key: the table by its key (as the command line
// names it), the entry by its number (from 1) and the column by its number in
// the grid (from 1). The names are the file's, not the journal's business.
constexpr std::array<ListColumn, 6> kWritten = {kTable, kEntry, kColumn, kInFile, kNow, kTyped};

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Shown(const FieldRef& field, std::int32_t value) {
  return Text(FieldText(value, FieldOf(field.table, field.column).is_signed));
}

std::uint32_t CrcOf(QByteArrayView bytes) {
  return Crc32({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::size_t>(bytes.size())});
}

QString Hex(std::uint32_t value) {
  return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

// The value after `key` and a space on `line`, or nothing.
std::optional<QByteArray> ValueOf(const QByteArray& line, const char* key) {
  const QByteArray prefix = QByteArray(key) + ' ';
  if (!line.startsWith(prefix))
    return std::nullopt;
  return line.mid(prefix.size());
}

std::optional<std::uint32_t> HexValue(const QByteArray& text) {
  bool ok = false;
  const uint value = text.toUInt(&ok, 16);
  if (!ok || text.size() != 8)
    return std::nullopt;
  return value;
}

// Where each column stands in the list whose first row is `header`, its
// columns named by key or by version 1's caption; the name may be left out.
// Nothing when a column is unknown, twice or missing.
std::optional<std::array<qsizetype, kListColumns>> ColumnsOf(const QStringList& header) {
  std::array<qsizetype, kListColumns> at;
  at.fill(-1);
  for (qsizetype i = 0; i < header.size(); ++i) {
    const auto named = std::find_if(kColumnNames.begin(), kColumnNames.end(), [&](const auto& c) {
      return header[i] == c.key || header[i] == QString::fromUtf8(c.caption);
    });
    if (named == kColumnNames.end() || at[named - kColumnNames.begin()] >= 0)
      return std::nullopt;
    at[named - kColumnNames.begin()] = i;
  }
  for (int column = 0; column < kListColumns; ++column)
    if (at[column] < 0 && column != kName)
      return std::nullopt;
  return at;
}

// The field a row names: the table by its key or its tab caption, the entry by
// its number, the column by its number or its caption.
std::optional<FieldRef> FieldOfRow(const QStringList& row,
                                   const std::array<qsizetype, kListColumns>& at) {
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const QString& named = row[at[kTable]];
    if (named != TableFileName(table) && named != Text(TabCaptions[table]))
      continue;
    bool ok = false;
    const int number = row[at[kEntry]].toInt(&ok);
    if (!ok || number < 1 || number > EntryCount(table))
      return std::nullopt;
    const QString& column_named = row[at[kColumn]];
    const int column_number = column_named.toInt(&ok);
    for (int column = 1; column < ColCounts[table]; ++column)
      if ((ok && column_number == column) ||
          (!ok && column_named == Text(HeaderCaptions[table][column])))
        return FieldRef{table, number - 1, column};
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::vector<JournalEntry>> ReadBody(QByteArrayView body, QString& problem) {
  const CsvReadResult read = ReadCsv(body);
  if (read.error || read.records.size() < 2) {
    problem = QCoreApplication::translate("JournalFile", "список изменений в нём не читается");
    return std::nullopt;
  }
  const QStringList header = read.records.front().Texts();
  const auto at = ColumnsOf(header);
  if (!at) {
    problem = QCoreApplication::translate("JournalFile", "в нём не те столбцы");
    return std::nullopt;
  }
  std::vector<JournalEntry> entries;
  for (qsizetype r = 1; r < read.records.size(); ++r) {
    const QStringList row = read.records[r].Texts();
    const std::optional<FieldRef> field =
        row.size() == header.size() ? FieldOfRow(row, *at) : std::nullopt;
    const std::string typed =
        field ? read.records[r].fields[static_cast<std::size_t>((*at)[kTyped])].text
              : std::string();
    if (!field || (!typed.empty() && typed.front() != kTypedMark)) {
      problem = QCoreApplication::translate("JournalFile", "строка %1 списка изменений не читается")
                    .arg(read.records[r].line);
      return std::nullopt;
    }
    JournalEntry entry{*field, row[(*at)[kInFile]], row[(*at)[kNow]], std::nullopt};
    if (!typed.empty())
      entry.typed = typed.substr(1);
    entries.push_back(std::move(entry));
  }
  return entries;
}

QString FieldCount(std::size_t count) {
  const std::size_t tens = count % 100;
  const std::size_t ones = count % 10;
  // Each form is one text with %n, so that English picks its own form by N.
  const int n = static_cast<int>(count);
  if ((tens < 11 || tens > 14) && ones == 1)
    return QCoreApplication::translate("JournalFile", "%n поле", nullptr, n);
  if ((tens < 11 || tens > 14) && ones >= 2 && ones <= 4)
    return QCoreApplication::translate("JournalFile", "%n поля", nullptr, n);
  return QCoreApplication::translate("JournalFile", "%n полей", nullptr, n);
}

}  // namespace

std::vector<JournalEntry> JournalEntries(const TableDocument& document) {
  std::vector<JournalEntry> entries;
  if (!document.IsLoaded())
    return entries;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column) {
        const FieldRef field{table, entry, column};
        const std::int32_t in_file = FieldValue(document.File().tables, table, entry, column);
        const CellState state = document.StateOf(field);
        if (state.committed != in_file || state.typed)
          entries.push_back(
              {field, Shown(field, in_file), Shown(field, state.committed), state.typed});
      }
    }
  }
  return entries;
}

QByteArray WriteJournal(const JournalContent& content) {
  QList<QStringList> rows;
  rows.reserve(static_cast<qsizetype>(content.entries.size()) + 1);
  QStringList& header = rows.emplace_back();
  for (const ListColumn column : kWritten)
    header << kColumnNames[column].key;
  for (const JournalEntry& entry : content.entries) {
    rows.append({TableFileName(entry.field.table), QString::number(entry.field.entry + 1),
                 QString::number(entry.field.column), entry.in_file, entry.now,
                 entry.typed ? QLatin1Char(kTypedMark) + Text(*entry.typed) : QString()});
  }
  const QByteArray body = WriteCsv(rows);

  QByteArray out = kMagic + QByteArray::number(kJournalVersion) + '\n';
  out += "file " + QUrl::toPercentEncoding(content.file, "/") + '\n';
  out += "size " + QByteArray::number(content.file_size) + '\n';
  out += "crc32 " + Hex(content.file_crc).toLatin1() + '\n';
  out += "written " + content.written.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
  out += "body " + QByteArray::number(body.size()) + ' ' + Hex(CrcOf(body)).toLatin1() + "\n\n";
  out += body;
  return out;
}

std::optional<JournalContent> ReadJournal(QByteArrayView bytes, QString& problem) {
  const auto broken = [&](const QString& what) {
    problem = what;
    return std::nullopt;
  };
  const qsizetype end = QByteArrayView(bytes).indexOf("\n\n");
  if (!bytes.startsWith(kMagic) || end < 0)
    return broken(
        QCoreApplication::translate("JournalFile", "это не журнал или его начало потеряно"));
  const QList<QByteArray> lines = bytes.first(end).toByteArray().split('\n');
  bool version_ok = false;
  const int version = lines.front().mid(kMagic.size()).toInt(&version_ok);
  if (!version_ok || version < 1 || version > kJournalVersion ||
      lines.front() != kMagic + QByteArray::number(version))
    return broken(
        QCoreApplication::translate("JournalFile", "журнал записан другой версией программы"));
  if (lines.size() != 6)
    return broken(QCoreApplication::translate("JournalFile", "заголовок журнала повреждён"));

  JournalContent content;
  const auto file = ValueOf(lines[1], "file");
  const auto size = ValueOf(lines[2], "size");
  const auto crc = ValueOf(lines[3], "crc32");
  const auto written = ValueOf(lines[4], "written");
  const auto body = ValueOf(lines[5], "body");
  bool size_ok = false;
  if (size)
    content.file_size = size->toLongLong(&size_ok);
  const auto file_crc = crc ? HexValue(*crc) : std::nullopt;
  if (written)
    content.written = QDateTime::fromString(QString::fromLatin1(*written), Qt::ISODateWithMs);
  const QList<QByteArray> body_parts = body ? body->split(' ') : QList<QByteArray>();
  if (!file || !size_ok || content.file_size < 0 || !file_crc || !content.written.isValid() ||
      body_parts.size() != 2)
    return broken(QCoreApplication::translate("JournalFile", "заголовок журнала повреждён"));
  content.file = QUrl::fromPercentEncoding(*file);
  content.file_crc = *file_crc;

  bool length_ok = false;
  const qsizetype length = body_parts[0].toLongLong(&length_ok);
  const QByteArrayView list = bytes.sliced(end + 2);
  if (!length_ok || length != list.size())
    return broken(QCoreApplication::translate("JournalFile", "журнал обрезан"));
  if (HexValue(body_parts[1]) != CrcOf(list))
    return broken(QCoreApplication::translate("JournalFile", "журнал повреждён"));
  try {
    auto entries = ReadBody(list, problem);
    if (!entries)
      return std::nullopt;
    content.entries = std::move(*entries);
  } catch (const std::bad_alloc&) {
    return broken(QCoreApplication::translate("JournalFile", "для журнала не хватило памяти"));
  }
  return content;
}

JournalContent MergeJournals(std::vector<JournalContent> journals) {
  std::stable_sort(
      journals.begin(), journals.end(),
      [](const JournalContent& a, const JournalContent& b) { return a.written < b.written; });
  std::map<FieldRef, JournalEntry> fields;
  for (JournalContent& journal : journals)
    for (JournalEntry& entry : journal.entries)
      fields.insert_or_assign(entry.field, std::move(entry));
  JournalContent merged = std::move(journals.back());
  merged.entries.clear();
  for (auto& [field, entry] : fields)
    merged.entries.push_back(std::move(entry));
  return merged;
}

namespace {

// RecoverJournal, inside its step.
ApplyResult RecoverInto(TableDocument& document, DocumentEdit& edit, const JournalContent& content,
                        OnConflict on_conflict) {
  // The values go through the change list's own check; the typed texts follow
  // their fields: a field left as the file holds it keeps its cell as it is.
  std::vector<FieldChange> changes;
  std::vector<bool> conflicting;
  for (const JournalEntry& entry : content.entries) {
    changes.push_back({entry.field, 0, 0});
    conflicting.push_back(entry.in_file !=
                          Shown(entry.field, document.ValueAfterCommit(entry.field)));
  }
  const TableSet& names = document.File().tables;
  QList<QStringList> rows = ChangeListRows(changes, names);
  for (std::size_t i = 0; i < content.entries.size(); ++i) {
    rows[static_cast<qsizetype>(i) + 1][4] = content.entries[i].in_file;
    rows[static_cast<qsizetype>(i) + 1][5] = content.entries[i].now;
  }
  // Its values are the fields' own as they were committed, which always fit;
  // a journal is never refused for one that does not.
  ApplyResult result = ApplyChangeList(document, WriteCsv(rows), on_conflict, OutOfRange::Wrap);
  // The list's conflicts name lines of a text the user never saw: each is told
  // by its field instead, as the conflicts between lists are.
  if (std::count(conflicting.begin(), conflicting.end(), true) == result.conflicts.Total()) {
    CsvIssues by_field;
    qsizetype k = 0;
    for (std::size_t i = 0; i < content.entries.size(); ++i) {
      if (!conflicting[i])
        continue;
      const QString reason = k < result.conflicts.size() ? result.conflicts[k].reason : QString();
      ++k;
      by_field.append(
          {0, 0, FieldPlace(names, content.entries[i].field) + QStringLiteral(": ") + reason});
    }
    result.conflicts = std::move(by_field);
  }
  if (!result.applied)
    return result;
  for (std::size_t i = 0; i < content.entries.size(); ++i) {
    const JournalEntry& entry = content.entries[i];
    if (entry.typed && (!conflicting[i] || on_conflict == OnConflict::Overwrite))
      edit.Type(entry.field, *entry.typed);
  }
  return result;
}

}  // namespace

ApplyResult RecoverJournal(TableDocument& document, const JournalContent& content,
                           OnConflict on_conflict) {
  ApplyResult result;
  document.Change(
      QCoreApplication::translate("TableDocument", "восстановление"),
      [&](DocumentEdit& edit) { result = RecoverInto(document, edit, content, on_conflict); });
  return result;
}

QString RecoveryQuestion(const JournalContent& content, bool file_changed) {
  // In the language's own way, its month named in it; neither the date nor
  // the count is broken across lines.
  QString when =
      ShownLocale().toString(content.written.toLocalTime(),
                             QCoreApplication::translate("JournalFile", "dd.MM.yyyy HH:mm:ss"));
  when.replace(QLatin1Char(' '), QChar::Nbsp);
  QString count = FieldCount(content.entries.size());
  count.replace(QLatin1Char(' '), QChar::Nbsp);
  QString question = QCoreApplication::translate(
                         "JournalFile", "Найдены несохранённые изменения файла «%1» (%2, %3).")
                         .arg(QDir::toNativeSeparators(content.file), count, when);
  if (file_changed)
    question += QCoreApplication::translate(
        "JournalFile",
        " Файл изменён после того, как они были записаны: поля, которые в нём уже не такие, "
        "как были, будут показаны перед восстановлением.");
  return question + QCoreApplication::translate("JournalFile", " Восстановить их?");
}
