#include "change_list.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string_view>

#include "csv_reader.h"
#include "csv_writer.h"
#include "field_text_input.h"
#include "number_parse.h"
#include "record_field.h"

namespace {

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

enum Column { kTable, kRow, kName, kColumn, kInFile, kNew, kColumnCount };
const std::array<QString, kColumnCount> kCaptions = {
    QStringLiteral("Таблица"), QStringLiteral("№"),       QStringLiteral("Название"),
    QStringLiteral("Столбец"), QStringLiteral("В файле"), QStringLiteral("Новое")};

QString ShownValue(TableIndex table, int column, std::int32_t value) {
  return Text(FieldText(value, FieldOf(table, column).is_signed));
}

// The text as a value of the field: the grid's parse, or the grid's own
// decimal text of an unsigned value above what the parse takes.
std::optional<std::string> InputText(const FieldRef& field, const QString& text) {
  const std::string utf8 = text.toStdString();
  if (ParseGridNumber(utf8))
    return utf8;
  bool ok = false;
  const quint32 value = text.toUInt(&ok);
  if (ok && !FieldOf(field.table, field.column).is_signed &&
      utf8 == FieldText(static_cast<std::int32_t>(value), false))
    return (QStringLiteral("$") + QString::number(value, 16)).toStdString();
  return std::nullopt;
}

std::optional<std::array<int, kColumnCount>> FindColumns(const CsvRecord& header,
                                                         QList<CsvIssue>& errors) {
  std::array<int, kColumnCount> index_of;
  index_of.fill(-1);
  for (int index = 0; index < header.fields.size(); ++index) {
    const CsvField& field = header.fields[index];
    const auto known = std::find(kCaptions.begin(), kCaptions.end(), field.Text());
    if (known == kCaptions.end() || index_of[known - kCaptions.begin()] >= 0)
      errors.append({field.line, field.column,
                     QStringLiteral("лишний столбец «%1» в списке изменений").arg(field.Text())});
    else
      index_of[known - kCaptions.begin()] = index;
  }
  for (int column = 0; column < kColumnCount; ++column)
    if (column != kName && index_of[column] < 0)
      errors.append(
          {header.line, 1, QStringLiteral("в заголовке нет столбца «%1»").arg(kCaptions[column])});
  if (!errors.isEmpty())
    return std::nullopt;
  return index_of;
}

std::optional<FieldRef> FieldOfRow(const CsvRecord& record,
                                   const std::array<int, kColumnCount>& index_of,
                                   QList<CsvIssue>& errors) {
  const CsvField& table_text = record.fields[index_of[kTable]];
  std::optional<TableIndex> table;
  for (TableIndex t = 0; t < kTableCount; ++t)
    if (table_text.text == TabCaptions[t])
      table = t;
  if (!table) {
    errors.append({table_text.line, table_text.column,
                   QStringLiteral("неизвестная таблица «%1»").arg(table_text.Text())});
    return std::nullopt;
  }
  const CsvField& row_text = record.fields[index_of[kRow]];
  bool ok = false;
  const int row = row_text.Text().toInt(&ok);
  if (!ok || row < 1 || row > EntryCount(*table)) {
    errors.append({row_text.line, row_text.column,
                   QStringLiteral("номер строки «%1» не число от 1 до %2")
                       .arg(row_text.Text())
                       .arg(EntryCount(*table))});
    return std::nullopt;
  }
  const CsvField& column_text = record.fields[index_of[kColumn]];
  for (int column = 1; column < ColCounts[*table]; ++column)
    if (column_text.text == HeaderCaptions[*table][column])
      return FieldRef{*table, row - 1, column};
  errors.append({column_text.line, column_text.column,
                 QStringLiteral("в таблице «%1» нет столбца «%2»")
                     .arg(table_text.Text(), column_text.Text())});
  return std::nullopt;
}

struct PlannedChange {
  FieldRef field;
  std::string text;  // the "Новое" text as SetFieldText takes it
  bool conflicting = false;
};

}  // namespace

std::vector<FieldChange> DiffTables(const TableSet& from, const TableSet& to) {
  std::vector<FieldChange> changes;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column) {
        const std::int32_t before = FieldValue(from, table, entry, column);
        const std::int32_t after = FieldValue(to, table, entry, column);
        if (before != after)
          changes.push_back({{table, entry, column}, before, after});
      }
  return changes;
}

QList<QStringList> ChangeListRows(const std::vector<FieldChange>& changes, const TableSet& names) {
  QList<QStringList> rows{{kCaptions.begin(), kCaptions.end()}};
  for (const FieldChange& change : changes) {
    const FieldRef& field = change.field;
    rows.append({Text(TabCaptions[field.table]), QString::number(field.entry + 1),
                 Text(EntryNameText(names, field.table, field.entry)),
                 Text(HeaderCaptions[field.table][field.column]),
                 ShownValue(field.table, field.column, change.in_file),
                 ShownValue(field.table, field.column, change.now)});
  }
  return rows;
}

QByteArray WriteChangeList(const std::vector<FieldChange>& changes, const TableSet& names,
                           CsvSeparator separator) {
  return WriteCsv(ChangeListRows(changes, names), separator);
}

QByteArray WriteChangeList(const TableDocument& document, CsvSeparator separator) {
  return WriteChangeList(document.Changes(), document.Saved(), separator);
}

ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, bool force) {
  return ApplyChangeList(document, csv, force ? OnConflict::Overwrite : OnConflict::Refuse);
}

ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, OnConflict on_conflict) {
  ApplyResult result;
  const CsvReadResult read = ReadCsv(csv);
  if (read.error) {
    result.errors.append(IssueOf(*read.error));
    return result;
  }
  if (read.records.isEmpty()) {
    result.errors.append({1, 1, QStringLiteral("файл пуст: нет даже строки заголовка")});
    return result;
  }
  const auto index_of = FindColumns(read.records.front(), result.errors);
  if (!index_of)
    return result;

  const qsizetype width = read.records.front().fields.size();
  std::map<FieldRef, int> line_of_field;
  std::vector<PlannedChange> planned;
  for (qsizetype r = 1; r < read.records.size(); ++r) {
    const CsvRecord& record = read.records[r];
    if (record.fields.size() != width) {
      result.errors.append({record.line, static_cast<int>(record.fields.size()),
                            QStringLiteral("в строке %1 полей, а в заголовке %2")
                                .arg(record.fields.size())
                                .arg(width)});
      continue;
    }
    const auto field = FieldOfRow(record, *index_of, result.errors);
    if (!field)
      continue;
    const CsvField& new_text = record.fields[(*index_of)[kNew]];
    const CsvField& old_text = record.fields[(*index_of)[kInFile]];
    if (const auto seen = line_of_field.find(*field); seen != line_of_field.end()) {
      result.errors.append({new_text.line, 1,
                            QStringLiteral("это поле уже менялось в строке %1").arg(seen->second)});
      continue;
    }
    line_of_field[*field] = record.line;
    const bool unchanged =
        JudgeFieldText(document, *field, new_text.text) == FieldTextInput::Unchanged;
    const auto input = InputText(*field, new_text.Text());
    if (!unchanged && !input) {
      result.errors.append(
          {new_text.line, new_text.column, QStringLiteral("«%1» не число").arg(new_text.Text())});
      continue;
    }
    const QString now = ShownValue(field->table, field->column, document.ValueAfterCommit(*field));
    const bool conflicting = old_text.Text() != now;
    if (conflicting)
      result.conflicts.append(
          {old_text.line, old_text.column,
           QStringLiteral("в файле должно быть «%1», а там «%2»").arg(old_text.Text(), now)});
    if (!unchanged)
      planned.push_back({*field, *input, conflicting});
  }
  if (!result.errors.isEmpty() ||
      (!result.conflicts.isEmpty() && on_conflict == OnConflict::Refuse))
    return result;
  for (const PlannedChange& change : planned)
    if (!change.conflicting || on_conflict == OnConflict::Overwrite)
      document.SetFieldText(change.field, change.text);
  result.applied = true;
  return result;
}
