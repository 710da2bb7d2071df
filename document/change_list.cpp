#include "change_list.h"

#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <optional>
#include <string_view>

#include "csv_reader.h"
#include "csv_writer.h"
#include "field_text_input.h"
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

std::optional<std::array<int, kColumnCount>> FindColumns(const CsvRecord& header,
                                                         CsvIssues& errors) {
  std::array<int, kColumnCount> index_of;
  index_of.fill(-1);
  for (int index = 0; index < header.fields.size(); ++index) {
    const CsvField& field = header.fields[index];
    const auto known = std::find(kCaptions.begin(), kCaptions.end(), field.Text());
    if (known == kCaptions.end() || index_of[known - kCaptions.begin()] >= 0)
      errors.append(csv_problem::UnknownListColumn(field));
    else
      index_of[known - kCaptions.begin()] = index;
  }
  for (int column = 0; column < kColumnCount; ++column)
    if (column != kName && index_of[column] < 0)
      errors.append(csv_problem::NoColumnInHeader(header, kCaptions[column]));
  if (!errors.isEmpty())
    return std::nullopt;
  return index_of;
}

std::optional<FieldRef> FieldOfRow(const CsvRecord& record,
                                   const std::array<int, kColumnCount>& index_of,
                                   CsvIssues& errors) {
  const CsvField& table_text = record.fields[index_of[kTable]];
  std::optional<TableIndex> table;
  for (TableIndex t = 0; t < kTableCount; ++t)
    if (table_text.text == TabCaptions[t])
      table = t;
  if (!table) {
    errors.append(csv_problem::UnknownTable(table_text));
    return std::nullopt;
  }
  const CsvField& row_text = record.fields[index_of[kRow]];
  bool ok = false;
  const int row = row_text.Text().toInt(&ok);
  if (!ok || row < 1 || row > EntryCount(*table)) {
    errors.append(csv_problem::RowNumber(row_text, EntryCount(*table)));
    return std::nullopt;
  }
  const CsvField& column_text = record.fields[index_of[kColumn]];
  for (int column = 1; column < ColCounts[*table]; ++column)
    if (column_text.text == HeaderCaptions[*table][column])
      return FieldRef{*table, row - 1, column};
  errors.append(csv_problem::NoSuchColumn(table_text, column_text));
  return std::nullopt;
}

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

namespace {

// Judges the whole list first: the document changes only when all of it is
// good.
void JudgeChangeList(const TableDocument& document, QByteArrayView csv, ChangeListPlan& result) {
  const CsvReadResult read = ReadCsv(csv);
  if (read.error) {
    result.errors.append(csv_problem::BrokenQuoting(*read.error));
    return;
  }
  if (read.records.isEmpty()) {
    result.errors.append(csv_problem::EmptyFile());
    return;
  }
  const auto index_of = FindColumns(read.records.front(), result.errors);
  if (!index_of)
    return;

  const qsizetype width = read.records.front().fields.size();
  std::map<FieldRef, int> line_of_field;
  for (qsizetype r = 1; r < read.records.size(); ++r) {
    const CsvRecord& record = read.records[r];
    if (record.fields.size() != width) {
      result.errors.append(csv_problem::FieldCount(record, width));
      continue;
    }
    const auto field = FieldOfRow(record, *index_of, result.errors);
    if (!field)
      continue;
    const CsvField& new_text = record.fields[(*index_of)[kNew]];
    const CsvField& old_text = record.fields[(*index_of)[kInFile]];
    if (const auto seen = line_of_field.find(*field); seen != line_of_field.end()) {
      result.errors.append(csv_problem::RepeatedField(new_text, seen->second));
      continue;
    }
    line_of_field[*field] = record.line;
    const FieldTextVerdict verdict = JudgeFieldText(document, *field, new_text.text);
    if (verdict.input == FieldTextInput::NotANumber) {
      result.errors.append(csv_problem::NotANumber(new_text));
      continue;
    }
    const QString now = ShownValue(field->table, field->column, document.ValueAfterCommit(*field));
    const bool conflicting = old_text.Text() != now;
    if (conflicting)
      result.conflicts.append(csv_problem::Conflict(old_text, now));
    if (verdict.input == FieldTextInput::Number)
      result.changes.push_back({*field, verdict.value, conflicting});
  }
}

}  // namespace

ChangeListPlan PlanChangeList(const TableDocument& document, QByteArrayView csv) {
  ChangeListPlan plan;
  try {
    JudgeChangeList(document, csv, plan);
  } catch (const std::bad_alloc&) {
    return {{csv_problem::OutOfMemory()}, {}, {}};
  }
  if (!plan.errors.isEmpty())
    plan.changes.clear();
  return plan;
}

ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, OnConflict on_conflict) {
  ChangeListPlan plan = PlanChangeList(document, csv);
  ApplyResult result{std::move(plan.errors), std::move(plan.conflicts), false};
  if (!result.errors.isEmpty() ||
      (!result.conflicts.isEmpty() && on_conflict == OnConflict::Refuse))
    return result;
  for (const PlannedChange& change : plan.changes)
    if (!change.conflicting || on_conflict == OnConflict::Overwrite)
      document.SetFieldValue(change.field, change.value);
  result.applied = true;
  return result;
}
