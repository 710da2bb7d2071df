#include "formats/table_csv.h"

#include <QCoreApplication>
#include <array>
#include <map>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/caption_language.h"
#include "document/field_text_input.h"
#include "formats/change_list.h"
#include "formats/csv_reader.h"
#include "formats/csv_writer.h"

namespace {

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr std::string_view kNumberCaptionUtf8 = QT_TRANSLATE_NOOP("Captions", "№");

// Where each wanted column is in the file; -1 where it is missing. Field
// indices are 0-based, as in CsvRecord::fields.
struct ColumnPlaces {
  int number = -1;
  int name = -1;
  std::map<int, int> grid_column_of;  // file index -> grid column
};

ColumnPlaces FindColumns(TableIndex table, const CsvRecord& header, CsvIssues& issues) {
  ColumnPlaces places;
  std::map<std::string, int> first_index;
  for (int index = 0; index < header.fields.size(); ++index) {
    const CsvField& field = header.fields[index];
    if (const auto seen = first_index.find(field.text); seen != first_index.end()) {
      issues.append(csv_problem::RepeatedColumn(field, seen->second + 1));
      continue;
    }
    first_index[field.text] = index;
    // "№", then the name column and the table's own columns, as the header
    // of an export has them.
    std::array<std::string_view, kMaxColCount + 1> known{};
    known[0] = kNumberCaptionUtf8;
    for (int column = 0; column < ColCounts[table]; ++column)
      known[column + 1] = HeaderCaptions[table][column];
    const int found = FindCaption(
        field.text, std::span(known).first(static_cast<std::size_t>(ColCounts[table]) + 1));
    if (found == 0)
      places.number = index;
    else if (found == 1)
      places.name = index;
    else if (found > 1)
      places.grid_column_of[index] = found - 1;
    else
      issues.append(csv_problem::UnknownTableColumn(field, ShownCaption(TabCaptions[table])));
  }
  if (places.number < 0)
    issues.append(csv_problem::NoColumnInHeader(header, ShownCaption(kNumberCaptionUtf8)));
  return places;
}

// Enough for most numbers and their separators, so that an export seldom
// regrows its buffer.
constexpr int kBytesPerFieldGuess = 8;

// The fields of one row of a table's CSV as UTF-8: row 0 is the header, row
// e + 1 is entry e. Export builds its text from them without a detour through
// QString: most are numbers, each already short text.
std::vector<std::string> CsvRowFields(const TableDocument& document, TableIndex table, int row,
                                      CaptionLanguage language) {
  std::vector<std::string> fields;
  fields.reserve(ColCounts[table] + 1);
  if (row == 0) {
    fields.emplace_back(CaptionUtf8(kNumberCaptionUtf8, language));
    for (int column = 0; column < ColCounts[table]; ++column)
      fields.emplace_back(CaptionUtf8(HeaderCaptions[table][column], language));
    return fields;
  }
  const int entry = row - 1;
  fields.push_back(std::to_string(row));
  fields.push_back(EntryNameText(document.Committed(), table, entry));
  for (int column = 1; column < ColCounts[table]; ++column)
    fields.push_back(document.CellText({table, entry, column}));
  return fields;
}

struct PendingValue {
  FieldRef field;
  std::int32_t value;
};

// The entry a row's "№" names, or nothing with an issue.
std::optional<int> EntryOfRow(TableIndex table, const CsvField& number,
                              std::map<int, int>& line_of_entry, CsvIssues& issues) {
  bool ok = false;
  const int row = number.ToInt(&ok);
  if (!ok || row < 1 || row > EntryCount(table)) {
    issues.append(csv_problem::RowNumber(number, EntryCount(table)));
    return std::nullopt;
  }
  const int entry = row - 1;
  if (const auto seen = line_of_entry.find(entry); seen != line_of_entry.end()) {
    issues.append(csv_problem::RepeatedRow(number, row, seen->second));
    return std::nullopt;
  }
  line_of_entry[entry] = number.line;
  return entry;
}

struct ImportRules {
  OutOfRange out_of_range;
  bool allow_name_mismatch;
};

void ReadRow(const TableDocument& document, TableIndex table, const CsvRecord& record,
             int header_width, const ColumnPlaces& places, const ImportRules& rules,
             std::map<int, int>& line_of_entry, std::vector<PendingValue>& pending,
             TableImport& result) {
  CsvIssues& issues = result.errors;
  if (record.fields.size() != header_width) {
    issues.append(csv_problem::FieldCount(record, header_width));
    return;
  }
  const auto entry = EntryOfRow(table, record.fields[places.number], line_of_entry, issues);
  if (!entry)
    return;
  if (places.name >= 0 && !rules.allow_name_mismatch) {
    const CsvField& name = record.fields[places.name];
    const std::string expected = EntryNameText(document.Committed(), table, *entry);
    if (name.text != expected)
      issues.append(csv_problem::OtherName(name, Text(expected), *entry + 1));
  }
  for (const auto& [index, column] : places.grid_column_of) {
    const CsvField& value = record.fields[index];
    const FieldRef field{table, *entry, column};
    const FieldTextVerdict verdict =
        JudgeFieldText(document, field, value.text, rules.out_of_range);
    switch (verdict.input) {
      case FieldTextInput::Unchanged:
        break;
      case FieldTextInput::OutOfRange: {
        const CsvIssue issue =
            csv_problem::OutOfRange(value, ShownCaption(HeaderCaptions[table][column]),
                                    verdict.number, RangeOf(FieldOf(table, column)));
        result.out_of_range.append(issue);
        if (rules.out_of_range == OutOfRange::Refuse)
          issues.append(issue);
        else
          pending.push_back({field, verdict.value});
        break;
      }
      case FieldTextInput::Number:
        pending.push_back({field, verdict.value});
        break;
      case FieldTextInput::NotAnInteger:
        issues.append(csv_problem::NotAnInteger(value));
        break;
      case FieldTextInput::NotANumber:
        issues.append(csv_problem::NotANumber(value));
        break;
      case FieldTextInput::PastEnd:
        issues.append(csv_problem::PastEnd(value, FieldPlace(document.File().tables, field)));
        break;
    }
  }
}

}  // namespace

QString TableFileName(TableIndex table) {
  static const QStringList names = {QStringLiteral("creatures"), QStringLiteral("buildings"),
                                    QStringLiteral("spells")};
  return names.value(table);
}

std::optional<TableIndex> TableFromFileName(const QString& name) {
  for (TableIndex table = 0; table < kTableCount; ++table)
    if (TableFileName(table) == name)
      return table;
  return std::nullopt;
}

int ColumnOfCaption(TableIndex table, std::string_view text) {
  // Among the table's own columns, after the name column.
  const int found =
      FindCaption(text, std::span(HeaderCaptions[table]).first(ColCounts[table]).subspan(1));
  return found + 1;
}

QList<QStringList> TableCsvRows(const TableDocument& document, TableIndex table,
                                CaptionLanguage language) {
  QList<QStringList> rows;
  for (int row = 0; row < RowCounts[table]; ++row) {
    QStringList texts;
    for (const std::string& field : CsvRowFields(document, table, row, language))
      texts.append(QString::fromStdString(field));
    rows.append(texts);
  }
  return rows;
}

QByteArray ExportTableCsv(const TableDocument& document, TableIndex table, CsvSeparator separator,
                          CaptionLanguage language) {
  CsvWriter csv(separator, RowCounts[table] * ColCounts[table] * kBytesPerFieldGuess);
  for (int row = 0; row < RowCounts[table]; ++row) {
    for (const std::string& field : CsvRowFields(document, table, row, language))
      csv.AddField(field);
    csv.EndRow();
  }
  return csv.Take();
}

namespace {

// Judges the whole file first: the document changes only when all of it is
// good.
TableImport JudgeTableCsv(const TableDocument& document, TableIndex table, QByteArrayView csv,
                          const ImportRules& rules, std::vector<PendingValue>& pending) {
  const CsvReadResult read = ReadCsv(csv);
  if (read.error)
    return {{csv_problem::BrokenQuoting(*read.error)}, {}};
  if (read.records.isEmpty())
    return {{csv_problem::EmptyFile()}, {}};

  TableImport result;
  const CsvRecord& header = read.records.front();
  const ColumnPlaces places = FindColumns(table, header, result.errors);
  if (!result.errors.isEmpty())
    return result;

  std::map<int, int> line_of_entry;
  for (qsizetype r = 1; r < read.records.size(); ++r)
    ReadRow(document, table, read.records[r], static_cast<int>(header.fields.size()), places, rules,
            line_of_entry, pending, result);
  return result;
}

}  // namespace

TableImport ImportTableCsv(TableDocument& document, TableIndex table, QByteArrayView csv,
                           OutOfRange out_of_range, bool allow_name_mismatch) {
  std::vector<PendingValue> pending;
  TableImport result;
  try {
    result = JudgeTableCsv(document, table, csv, {out_of_range, allow_name_mismatch}, pending);
    if (!result.errors.isEmpty())
      return result;
  } catch (const std::bad_alloc&) {
    return {{csv_problem::OutOfMemory()}, {}};
  }
  try {
    std::vector<FieldValueChange> values;
    values.reserve(pending.size());
    for (const PendingValue& value : pending)
      values.push_back({value.field, value.value});
    if (!values.empty())
      document.Change(QCoreApplication::translate("TableDocument", "импорт таблицы"),
                      [&](DocumentEdit& edit) { edit.SetValues(values); });
  } catch (const std::bad_alloc&) {
    return {{csv_problem::OutOfMemory()}, {}};
  }
  return result;
}

CsvIssues ImportTableCsv(TableDocument& document, TableIndex table, QByteArrayView csv,
                         bool allow_name_mismatch) {
  return ImportTableCsv(document, table, csv, OutOfRange::Refuse, allow_name_mismatch).errors;
}
