#include "table_csv.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "csv_reader.h"
#include "csv_writer.h"
#include "field_text_input.h"

namespace {

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

constexpr std::string_view kNumberCaptionUtf8 = "№";
constexpr std::string_view kNameCaptionUtf8 = "Название";

// Where each wanted column is in the file; -1 where it is missing. Field
// indices are 0-based, as in CsvRecord::fields.
struct ColumnPlaces {
  int number = -1;
  int name = -1;
  std::map<int, int> grid_column_of;  // file index -> grid column
};

ColumnPlaces FindColumns(TableIndex table, const CsvRecord& header, QList<CsvIssue>& issues) {
  ColumnPlaces places;
  std::map<std::string, int> first_index;
  for (int index = 0; index < header.fields.size(); ++index) {
    const CsvField& field = header.fields[index];
    if (const auto seen = first_index.find(field.text); seen != first_index.end()) {
      issues.append({field.line, field.column,
                     QStringLiteral("столбец «%1» уже есть в столбце %2")
                         .arg(field.Text())
                         .arg(seen->second + 1)});
      continue;
    }
    first_index[field.text] = index;
    if (field.text == kNumberCaptionUtf8) {
      places.number = index;
      continue;
    }
    if (field.text == kNameCaptionUtf8) {
      places.name = index;
      continue;
    }
    bool known = false;
    for (int column = 1; column < ColCounts[table]; ++column) {
      if (field.text == HeaderCaptions[table][column]) {
        places.grid_column_of[index] = column;
        known = true;
      }
    }
    if (!known)
      issues.append({field.line, field.column,
                     QStringLiteral("неизвестный столбец «%1» в таблице «%2»")
                         .arg(field.Text(), Text(TabCaptions[table]))});
  }
  if (places.number < 0)
    issues.append({header.line, 1, QStringLiteral("в заголовке нет столбца «№»")});
  return places;
}

// Enough for most numbers and their separators, so that an export seldom
// regrows its buffer.
constexpr int kBytesPerFieldGuess = 8;

// The fields of one row of a table's CSV as UTF-8: row 0 is the header, row
// e + 1 is entry e. Export builds its text from them without a detour through
// QString: most are numbers, each already short text.
std::vector<std::string> CsvRowFields(const TableDocument& document, TableIndex table, int row) {
  std::vector<std::string> fields;
  fields.reserve(ColCounts[table] + 1);
  if (row == 0) {
    fields.emplace_back(kNumberCaptionUtf8);
    for (int column = 0; column < ColCounts[table]; ++column)
      fields.emplace_back(HeaderCaptions[table][column]);
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
  std::string text;
};

// The entry a row's "№" names, or nothing with an issue.
std::optional<int> EntryOfRow(TableIndex table, const CsvField& number,
                              std::map<int, int>& line_of_entry, QList<CsvIssue>& issues) {
  bool ok = false;
  const int row = number.Text().toInt(&ok);
  if (!ok || row < 1 || row > EntryCount(table)) {
    issues.append({number.line, number.column,
                   QStringLiteral("номер строки «%1» не число от 1 до %2")
                       .arg(number.Text())
                       .arg(EntryCount(table))});
    return std::nullopt;
  }
  const int entry = row - 1;
  if (const auto seen = line_of_entry.find(entry); seen != line_of_entry.end()) {
    issues.append({number.line, number.column,
                   QStringLiteral("строка таблицы %1 уже была в строке %2 файла")
                       .arg(row)
                       .arg(seen->second)});
    return std::nullopt;
  }
  line_of_entry[entry] = number.line;
  return entry;
}

void ReadRow(const TableDocument& document, TableIndex table, const CsvRecord& record,
             int header_width, const ColumnPlaces& places, bool allow_name_mismatch,
             std::map<int, int>& line_of_entry, std::vector<PendingValue>& pending,
             QList<CsvIssue>& issues) {
  if (record.fields.size() != header_width) {
    issues.append({record.line, static_cast<int>(record.fields.size()),
                   QStringLiteral("в строке %1 полей, а в заголовке %2")
                       .arg(record.fields.size())
                       .arg(header_width)});
    return;
  }
  const auto entry = EntryOfRow(table, record.fields[places.number], line_of_entry, issues);
  if (!entry)
    return;
  if (places.name >= 0 && !allow_name_mismatch) {
    const CsvField& name = record.fields[places.name];
    const std::string expected = EntryNameText(document.Committed(), table, *entry);
    if (name.text != expected)
      issues.append({name.line, name.column,
                     QStringLiteral("название «%1» не совпадает с «%2» в строке %3 таблицы")
                         .arg(name.Text(), Text(expected))
                         .arg(*entry + 1)});
  }
  for (const auto& [index, column] : places.grid_column_of) {
    const CsvField& value = record.fields[index];
    const FieldRef field{table, *entry, column};
    switch (JudgeFieldText(document, field, value.text)) {
      case FieldTextInput::Unchanged:
        break;
      case FieldTextInput::Number:
        pending.push_back({field, value.text});
        break;
      case FieldTextInput::NotANumber:
        issues.append(
            {value.line, value.column, QStringLiteral("«%1» не число").arg(value.Text())});
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

QList<QStringList> TableCsvRows(const TableDocument& document, TableIndex table) {
  QList<QStringList> rows;
  for (int row = 0; row < RowCounts[table]; ++row) {
    QStringList texts;
    for (const std::string& field : CsvRowFields(document, table, row))
      texts.append(QString::fromStdString(field));
    rows.append(texts);
  }
  return rows;
}

QByteArray ExportTableCsv(const TableDocument& document, TableIndex table, CsvSeparator separator) {
  CsvWriter csv(separator, RowCounts[table] * ColCounts[table] * kBytesPerFieldGuess);
  for (int row = 0; row < RowCounts[table]; ++row) {
    for (const std::string& field : CsvRowFields(document, table, row))
      csv.AddField(field);
    csv.EndRow();
  }
  return csv.Take();
}

QList<CsvIssue> ImportTableCsv(TableDocument& document, TableIndex table, QByteArrayView csv,
                               bool allow_name_mismatch) {
  const CsvReadResult read = ReadCsv(csv);
  if (read.error)
    return {IssueOf(*read.error)};
  if (read.records.isEmpty())
    return {{1, 1, QStringLiteral("файл пуст: нет даже строки заголовка")}};

  QList<CsvIssue> issues;
  const CsvRecord& header = read.records.front();
  const ColumnPlaces places = FindColumns(table, header, issues);
  if (!issues.isEmpty())
    return issues;

  std::map<int, int> line_of_entry;
  std::vector<PendingValue> pending;
  for (qsizetype r = 1; r < read.records.size(); ++r)
    ReadRow(document, table, read.records[r], static_cast<int>(header.fields.size()), places,
            allow_name_mismatch, line_of_entry, pending, issues);
  if (!issues.isEmpty())
    return issues;
  for (const PendingValue& value : pending)
    document.SetFieldText(value.field, value.text);
  return {};
}
