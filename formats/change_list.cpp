#include "formats/change_list.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "document/caption_language.h"
#include "document/field_text_input.h"
#include "formats/csv_reader.h"
#include "formats/csv_writer.h"
#include "formats/table_csv.h"
#include "tables/record_field.h"
#include "tables/table_columns.h"

namespace {

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

enum Column { kTable, kRow, kName, kColumn, kInFile, kNew, kColumnCount };
constexpr std::array<std::string_view, kColumnCount> kCaptions = {
    QT_TRANSLATE_NOOP("Captions", "Таблица"),  QT_TRANSLATE_NOOP("Captions", "№"),
    QT_TRANSLATE_NOOP("Captions", "Название"), QT_TRANSLATE_NOOP("Captions", "Столбец"),
    QT_TRANSLATE_NOOP("Captions", "В файле"),  QT_TRANSLATE_NOOP("Captions", "Новое")};
using RowTexts = std::array<std::string_view, kColumnCount>;

// Calls `row` with the fields of each change's row as UTF-8, in the list's
// order; the views last for that call. A name is converted once for a run of
// changes to one entry, as DiffTables and the document list them.
template <typename Row>
void ForEachChangeRow(const std::vector<FieldChange>& changes, const TableSet& names,
                      CaptionLanguage language, Row row) {
  std::string name;
  std::optional<std::pair<TableIndex, int>> named;
  FieldTextBuffer number, in_file, now;
  for (const FieldChange& change : changes) {
    const FieldRef& field = change.field;
    if (named != std::pair{field.table, field.entry}) {
      name = EntryNameText(names, field.table, field.entry);
      named = {field.table, field.entry};
    }
    const bool is_signed = FieldOf(field.table, field.column).is_signed;
    row(RowTexts{
        CaptionUtf8(TabCaptions[field.table], language), FieldTextIn(number, field.entry + 1, true),
        name, CaptionUtf8(HeaderCaptions[field.table][field.column], language),
        FieldTextIn(in_file, change.in_file, is_signed), FieldTextIn(now, change.now, is_signed)});
  }
}

std::optional<std::array<int, kColumnCount>> FindColumns(const CsvRecord& header,
                                                         CsvIssues& errors) {
  std::array<int, kColumnCount> index_of;
  index_of.fill(-1);
  for (int index = 0; index < header.fields.size(); ++index) {
    const CsvField& field = header.fields[index];
    const int known = FindCaption(field.text, kCaptions);
    if (known < 0 || index_of[known] >= 0)
      errors.append(csv_problem::UnknownListColumn(field));
    else
      index_of[known] = index;
  }
  for (int column = 0; column < kColumnCount; ++column)
    if (column != kName && index_of[column] < 0)
      errors.append(csv_problem::NoColumnInHeader(header, ShownCaption(kCaptions[column])));
  if (!errors.isEmpty())
    return std::nullopt;
  return index_of;
}

std::optional<FieldRef> FieldOfRow(const CsvRecord& record,
                                   const std::array<int, kColumnCount>& index_of,
                                   CsvIssues& errors) {
  const CsvField& table_text = record.fields[index_of[kTable]];
  std::optional<TableIndex> table;
  if (const int found = FindCaption(table_text.text, TabCaptions); found >= 0)
    table = static_cast<TableIndex>(found);
  if (!table) {
    errors.append(csv_problem::UnknownTable(table_text));
    return std::nullopt;
  }
  const CsvField& row_text = record.fields[index_of[kRow]];
  bool ok = false;
  const int row = row_text.ToInt(&ok);
  if (!ok || row < 1 || row > EntryCount(*table)) {
    errors.append(csv_problem::RowNumber(row_text, EntryCount(*table)));
    return std::nullopt;
  }
  const CsvField& column_text = record.fields[index_of[kColumn]];
  if (const int column = ColumnOfCaption(*table, column_text.text); column > 0)
    return FieldRef{*table, row - 1, column};
  errors.append(csv_problem::NoSuchColumn(table_text, column_text));
  return std::nullopt;
}

}  // namespace

std::vector<FieldChange> DiffTables(const TableSet& from, const TableSet& to) {
  std::vector<FieldChange> changes;
  // Each table is picked once, and its fields are read in a loop of their own.
  for (TableIndex table = 0; table < kTableCount; ++table) {
    VisitTable(from, table, [&](const auto& before_table) {
      using Table = std::remove_cvref_t<decltype(before_table)>;
      const Table& after_table = TableOf<Table>(to);
      for (int entry = 0; entry < static_cast<int>(Table::Count); ++entry)
        for (int column = 1; column <= static_cast<int>(Table::Columns.size()); ++column) {
          const auto index = static_cast<std::uint8_t>(entry);
          const std::int32_t before = ColumnValue(before_table, index, column);
          const std::int32_t after = ColumnValue(after_table, index, column);
          if (before != after)
            changes.push_back({{table, entry, column}, before, after});
        }
    });
  }
  return changes;
}

namespace {

// The header row in `language`.
RowTexts HeaderRow(CaptionLanguage language) {
  RowTexts header;
  for (int column = 0; column < kColumnCount; ++column)
    header[column] = CaptionUtf8(kCaptions[column], language);
  return header;
}

QStringList RowOfTexts(const RowTexts& fields) {
  QStringList row;
  row.reserve(kColumnCount);
  for (std::string_view field : fields)
    row.append(Text(field));
  return row;
}

// Enough for a row of most lists, so that a list seldom regrows its buffer.
constexpr qsizetype kBytesPerRowGuess = 64;

}  // namespace

QList<QStringList> ChangeListRows(const std::vector<FieldChange>& changes, const TableSet& names,
                                  CaptionLanguage language) {
  QList<QStringList> rows{RowOfTexts(HeaderRow(language))};
  rows.reserve(static_cast<qsizetype>(changes.size()) + 1);
  ForEachChangeRow(changes, names, language,
                   [&](const RowTexts& fields) { rows.append(RowOfTexts(fields)); });
  return rows;
}

QByteArray WriteChangeList(const std::vector<FieldChange>& changes, const TableSet& names,
                           CsvSeparator separator, CaptionLanguage language) {
  CsvWriter writer(separator, (static_cast<qsizetype>(changes.size()) + 1) * kBytesPerRowGuess);
  const auto write_row = [&writer](const RowTexts& fields) {
    for (std::string_view field : fields)
      writer.AddField(field);
    writer.EndRow();
  };
  write_row(HeaderRow(language));
  ForEachChangeRow(changes, names, language, write_row);
  return writer.Take();
}

QByteArray WriteChangeList(const TableDocument& document, CsvSeparator separator,
                           CaptionLanguage language) {
  return WriteChangeList(document.Changes(), document.File().tables, separator, language);
}

ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, bool force) {
  return ApplyChangeList(document, csv, force ? OnConflict::Overwrite : OnConflict::Refuse);
}

namespace {

// Where a field's row is seen first: its line, or 0 while unseen.
class FieldLines {
 public:
  int& operator[](const FieldRef& field) {
    return lines_[(field.table * kMaxRowCount + field.entry) * kMaxColCount + field.column];
  }

 private:
  std::vector<int> lines_ = std::vector<int>(kTableCount * kMaxRowCount * kMaxColCount, 0);
};

// Judges one row of the list against the document.
void JudgeRow(const TableDocument& document, const CsvRecord& record,
              const std::array<int, kColumnCount>& index_of, OutOfRange out_of_range,
              FieldLines& line_of_field, ChangeListPlan& result) {
  const auto field = FieldOfRow(record, index_of, result.errors);
  if (!field)
    return;
  const CsvField& new_text = record.fields[index_of[kNew]];
  const CsvField& old_text = record.fields[index_of[kInFile]];
  int& seen = line_of_field[*field];
  if (seen > 0) {
    result.errors.append(csv_problem::RepeatedField(new_text, seen));
    return;
  }
  seen = record.line;
  const FieldTextVerdict verdict = JudgeFieldText(document, *field, new_text.text, out_of_range);
  switch (verdict.input) {
    case FieldTextInput::NotANumber:
      result.errors.append(csv_problem::NotANumber(new_text));
      return;
    case FieldTextInput::NotAnInteger:
      result.errors.append(csv_problem::NotAnInteger(new_text));
      return;
    case FieldTextInput::PastEnd:
      result.errors.append(
          csv_problem::PastEnd(new_text, FieldPlace(document.File().tables, *field)));
      return;
    case FieldTextInput::OutOfRange: {
      const CsvIssue issue = csv_problem::OutOfRange(
          new_text, ShownCaption(HeaderCaptions[field->table][field->column]), verdict.number,
          RangeOf(FieldOf(field->table, field->column)));
      result.out_of_range.append(issue);
      if (out_of_range == OutOfRange::Refuse) {
        result.errors.append(issue);
        return;
      }
      break;
    }
    case FieldTextInput::Unchanged:
    case FieldTextInput::Number:
      break;
  }
  // The text is valid UTF-8, so it is the shown value exactly when its bytes are.
  FieldTextBuffer buffer;
  const std::string_view now = FieldTextIn(buffer, document.ValueAfterCommit(*field),
                                           FieldOf(field->table, field->column).is_signed);
  const bool conflicting = old_text.text != now;
  if (conflicting)
    result.conflicts.append(csv_problem::Conflict(old_text, Text(now)));
  if (verdict.input != FieldTextInput::Unchanged)
    result.changes.push_back({*field, verdict.value, conflicting});
}

// Judges the whole list first: the document changes only when all of it is
// good. Each row is judged as it is read.
void JudgeChangeList(const TableDocument& document, QByteArrayView csv, OutOfRange out_of_range,
                     ChangeListPlan& result) {
  std::optional<std::array<int, kColumnCount>> index_of;
  qsizetype width = 0;
  bool header_read = false;
  FieldLines line_of_field;
  const CsvReadResult read = ReadCsvRecords(csv, [&](const CsvRecord& record) {
    if (!header_read) {
      header_read = true;
      width = record.fields.size();
      index_of = FindColumns(record, result.errors);
    } else if (!index_of) {
      // Without its columns no row means anything.
    } else if (record.fields.size() != width) {
      result.errors.append(csv_problem::FieldCount(record, width));
    } else {
      JudgeRow(document, record, *index_of, out_of_range, line_of_field, result);
    }
  });
  if (read.error) {
    result = {};
    result.errors.append(csv_problem::BrokenQuoting(*read.error));
    return;
  }
  if (!header_read)
    result.errors.append(csv_problem::EmptyFile());
}

}  // namespace

QString FieldPlace(const TableSet& names, const FieldRef& field) {
  return QCoreApplication::translate("ChangeList", "%1 № %2 %3, %4")
      .arg(QuotedText(ShownCaption(TabCaptions[field.table])))
      .arg(field.entry + 1)
      .arg(QuotedText(QString::fromStdString(EntryNameText(names, field.table, field.entry))),
           QuotedText(ShownCaption(HeaderCaptions[field.table][field.column])));
}

ChangeListPlan PlanChangeList(const TableDocument& document, QByteArrayView csv,
                              OutOfRange out_of_range) {
  ChangeListPlan plan;
  try {
    JudgeChangeList(document, csv, out_of_range, plan);
  } catch (const std::bad_alloc&) {
    return {{csv_problem::OutOfMemory()}, {}, {}, {}};
  }
  if (!plan.errors.isEmpty())
    plan.changes.clear();
  return plan;
}

ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, OnConflict on_conflict,
                            OutOfRange out_of_range) {
  ChangeListPlan plan = PlanChangeList(document, csv, out_of_range);
  ApplyResult result{std::move(plan.errors), std::move(plan.conflicts), false,
                     std::move(plan.out_of_range)};
  if (!result.errors.isEmpty() ||
      (!result.conflicts.isEmpty() && on_conflict == OnConflict::Refuse))
    return result;
  try {
    std::vector<FieldValueChange> values;
    for (const PlannedChange& change : plan.changes)
      if (!change.conflicting || on_conflict == OnConflict::Overwrite)
        values.push_back({change.field, change.value});
    if (!values.empty())
      document.Change(QCoreApplication::translate("TableDocument", "применение списка изменений"),
                      [&](DocumentEdit& edit) { edit.SetValues(values); });
  } catch (const std::bad_alloc&) {
    return {{csv_problem::OutOfMemory()}, {}, false, {}};
  }
  result.applied = true;
  return result;
}
