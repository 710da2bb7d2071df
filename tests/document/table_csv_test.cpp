// A table as CSV: an export reads back with no change for every table and
// separator and in Windows-1251, typed text is exported as its cell shows it,
// edited values land in their fields whatever the column order, and a file
// with problems lists them all and changes nothing.

#include <QList>
#include <QStringList>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "formats/change_list.h"
#include "formats/csv_reader.h"
#include "formats/csv_writer.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"
#include "tables/cp1251.h"
#include "tables/field_input.h"
#include "tables/number_parse.h"
#include "tables/record_field.h"
#include "tests/support/csv_issue_helpers.h"

namespace {

constexpr CsvSeparator kSeparators[] = {CsvSeparator::Comma, CsvSeparator::Semicolon,
                                        CsvSeparator::Tab};

void ExpectUnchanged(const TableDocument& document) {
  EXPECT_TRUE(document.Changes().empty());
  EXPECT_EQ(WriteTablesInto(document.Committed(), document.File().image), document.File().image);
}

TEST(TableCsv, ExportImportsBackWithNoChangeForEveryTableAndSeparator) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), MakeSample(seed).image);
    for (TableIndex table = 0; table < kTableCount; ++table) {
      for (CsvSeparator separator : kSeparators) {
        const QByteArray csv = ExportTableCsv(document, table, separator);
        EXPECT_TRUE(ImportTableCsv(document, table, csv).isEmpty()) << seed;
        ExpectUnchanged(document);
      }
      // A spreadsheet in a Russian locale saves Windows-1251 with semicolons.
      const QByteArray utf8 = ExportTableCsv(document, table, CsvSeparator::Semicolon).mid(3);
      const std::string cp1251 = Utf8ToCp1251(utf8.toStdString());
      const QStringList issues =
          Messages(ImportTableCsv(document, table, QByteArray::fromStdString(cp1251)));
      EXPECT_TRUE(issues.isEmpty()) << issues.join('\n').toStdString();
      ExpectUnchanged(document);
    }
  }
}

TEST(TableCsv, ExportShowsTypedTextAsTheGridDoesQuotedWhereNeeded) {
  const std::string typed[] = {"", "a\"b", "x,y;z\tw", "две\r\nстроки", "  7 ", "99999999999"};
  TableDocument document;
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(4).image);
  std::map<FieldRef, std::string> expected;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int n = 0; n < 12; ++n) {
      const FieldRef field{table, (n * 7) % EntryCount(table), 1 + n % (ColCounts[table] - 1)};
      document.Type(field, typed[n % std::size(typed)]);
      expected[field] = typed[n % std::size(typed)];
    }
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (CsvSeparator separator : kSeparators) {
      const CsvReadResult read = ReadCsv(ExportTableCsv(document, table, separator));
      ASSERT_FALSE(read.error);
      EXPECT_EQ(read.separator, separator);
      QList<QStringList> rows;
      for (const CsvRecord& record : read.records)
        rows.append(record.Texts());
      ASSERT_EQ(rows, TableCsvRows(document, table));
      for (const auto& [field, text] : expected) {
        if (field.table == table) {
          EXPECT_EQ(rows[field.entry + 1][field.column + 1].toStdString(), text);
        }
      }
    }
}

TEST(TableCsv, EditedValuesLandInTheirFieldsWhateverTheOrderOfRowsAndColumns) {
  std::mt19937 random(77);
  for (TableIndex table = 0; table < kTableCount; ++table) {
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), MakeSample(5 + table).image);
    QList<QStringList> rows = TableCsvRows(document, table);
    std::map<FieldRef, std::int32_t> expected;
    for (int n = 0; n < 40; ++n) {
      const int entry = std::uniform_int_distribution(0, EntryCount(table) - 1)(random);
      const int column = std::uniform_int_distribution(1, ColCounts[table] - 1)(random);
      const std::int32_t typed = std::uniform_int_distribution(-70000, 70000)(random);
      const FieldLayout layout = FieldOf(table, column);
      rows[entry + 1][column + 1] = QString::number(typed);
      expected[{table, entry, column}] = WrapToField(typed, layout.width, layout.is_signed);
    }
    // Columns reversed (the name dropped), rows reversed.
    QList<QStringList> shuffled;
    for (const QStringList& row : rows) {
      QStringList reversed(row.rbegin(), row.rend());
      reversed.removeAt(reversed.size() - 2);
      shuffled.prepend(reversed);
    }
    shuffled.prepend(shuffled.takeLast());
    // Asked to, a value its field cannot hold keeps its low bits, as typed.
    ASSERT_TRUE(
        ImportTableCsv(document, table, WriteCsv(shuffled), OutOfRange::Wrap).errors.isEmpty());
    for (const FieldChange& change : document.Changes())
      EXPECT_TRUE(expected.count(change.field));
    for (const auto& [field, value] : expected)
      EXPECT_EQ(document.ValueAfterCommit(field), value) << field.entry << ' ' << field.column;
  }
}

// A value as a spreadsheet may write it: digits grouped in threes by one of
// the spaces it uses, and a fractional part of zeros.
std::string AsSpreadsheetWrites(std::int64_t value, int style) {
  static const char* const kSpaces[] = {" ", "\u00A0", "\u202F"};
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string text = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (style % 4 != 3 && i > 0 && (digits.size() - i) % 3 == 0)
      text += kSpaces[style % 4];
    text += digits[i];
  }
  return text + (style / 4 == 1 ? ",000" : style / 4 == 2 ? ".0" : "");
}

// Whatever value a field can hold, written as the export writes it or as a
// spreadsheet shows it, comes back through an import and through a change
// list: unsigned fields up to their maximum, signed ones down to their
// minimum. A value beyond the field is out of range, limited or wrapped as
// asked, and a fraction that is not zero is no integer. Typing keeps the
// grid's parse: an unsigned value above the signed range is no number there.
TEST(TableCsv, EveryValueAFieldHoldsImportsAsTheExportWritesIt) {
  std::mt19937 random(2026);
  const auto random_value = [&random](FieldLayout layout) {
    const FieldRange range = RangeOf(layout);
    // The ends of the range, then anywhere in it.
    switch (std::uniform_int_distribution(0, 3)(random)) {
      case 0:
        return range.low;
      case 1:
        return range.high;
      default:
        return std::uniform_int_distribution(range.low, range.high)(random);
    }
  };
  for (const bool is_signed : {true, false})
    for (const std::uint8_t width : {1, 2, 4}) {
      const FieldLayout layout{0, width, is_signed};
      const FieldRange range = RangeOf(layout);
      // Spaces that group no threes, and fractions with no digits.
      for (const char* text : {"12 3", "1 2345", "5 ", "1,2,0", "5.", ",5", "- 5", "1e3"})
        EXPECT_EQ(ReadFileInput(text, layout, OutOfRange::Wrap).verdict, FileVerdict::NotANumber)
            << text;
      for (int n = 0; n < 200; ++n) {
        const auto value = static_cast<std::int32_t>(random_value(layout));
        const std::string text = FieldText(value, is_signed);
        const FileInput file = ReadFileInput(text, layout, OutOfRange::Refuse);
        EXPECT_EQ(file.verdict, FileVerdict::Fits) << text;
        EXPECT_EQ(file.value, value) << text;
        const std::int64_t number =
            is_signed ? std::int64_t{value} : std::int64_t{static_cast<std::uint32_t>(value)};
        const std::string shown = AsSpreadsheetWrites(number, n % 12);
        EXPECT_EQ(ReadFileInput(shown, layout, OutOfRange::Refuse).value, value) << shown;
        if (n % 12 >= 4) {
          EXPECT_EQ(ReadFileInput(shown + "5", layout, OutOfRange::Refuse).verdict,
                    FileVerdict::NotAnInteger)
              << shown;
        }
        const FieldInput typed = ReadFieldInput(text, layout, 7, TextSource::Typed);
        EXPECT_EQ(typed.verdict,
                  ParseGridNumber(text) ? InputVerdict::Number : InputVerdict::NotANumber)
            << text;
        EXPECT_EQ(typed.value, ParseGridNumber(text) ? value : 7) << text;

        // Past either end, by a little or by far (doubled, as a spreadsheet
        // column is), in any of the forms above.
        const std::int64_t past = n % 3 == 0   ? range.high + 1 + n
                                  : n % 3 == 1 ? range.low - 1 - n
                                               : 2 * number;
        if (past >= range.low && past <= range.high)
          continue;
        const std::string over = AsSpreadsheetWrites(past, n % 12);
        const FileInput refused = ReadFileInput(over, layout, OutOfRange::Refuse);
        EXPECT_EQ(refused.verdict, FileVerdict::OutOfRange) << over;
        EXPECT_EQ(refused.number, std::to_string(past)) << over;
        EXPECT_EQ(ReadFileInput(over, layout, OutOfRange::Limit).value,
                  WrapToField(static_cast<std::int32_t>(past < 0 ? range.low : range.high), width,
                              is_signed))
            << over;
        EXPECT_EQ(ReadFileInput(over, layout, OutOfRange::Wrap).value,
                  WrapToField(static_cast<std::int32_t>(static_cast<std::uint64_t>(past)), width,
                              is_signed))
            << over;
      }
    }

  const Bytes image = MakeSample(11).image;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), image);
    TableDocument listed;
    listed.OpenImage(QStringLiteral("sample.exe"), image);
    QList<QStringList> rows = TableCsvRows(document, table);
    std::vector<FieldChange> changes;
    for (int entry = 0; entry < EntryCount(table); entry += 3)
      for (int column = 1; column < ColCounts[table]; ++column) {
        const FieldLayout layout = FieldOf(table, column);
        const auto value = static_cast<std::int32_t>(random_value(layout));
        rows[entry + 1][column + 1] = QString::fromStdString(FieldText(value, layout.is_signed));
        changes.push_back({{table, entry, column},
                           FieldValue(document.Committed(), table, entry, column),
                           value});
      }
    const QStringList issues = Messages(ImportTableCsv(document, table, WriteCsv(rows)));
    ASSERT_TRUE(issues.isEmpty()) << issues.join('\n').toStdString();
    const ApplyResult applied =
        ApplyChangeList(listed, WriteChangeList(changes, listed.Committed()));
    ASSERT_TRUE(applied.applied) << Messages(applied.errors).join('\n').toStdString();
    for (const FieldChange& change : changes) {
      EXPECT_EQ(document.ValueAfterCommit(change.field), change.now);
      EXPECT_EQ(listed.ValueAfterCommit(change.field), change.now);
    }
  }
}

TEST(TableCsv, EveryProblemIsListedWithItsPlaceAndNothingChanges) {
  TableDocument document;
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(9).image);
  const QString name = QString::fromStdString(EntryNameText(document.Committed(), kSpells, 1));
  const QString name4 = QString::fromStdString(EntryNameText(document.Committed(), kSpells, 3));
  const QString name5 = QString::fromStdString(EntryNameText(document.Committed(), kSpells, 4));
  const QString csv = QStringLiteral("№,Название,Мана,Цвет\r\n")  // line 1: unknown column 4
                      + QStringLiteral("1,x,5,0\r\n");            // header error stops here
  const CsvIssues header = ImportTableCsv(document, kSpells, csv.toUtf8());
  ASSERT_EQ(Messages(header),
            QStringList{QStringLiteral(
                "строка 1, столбец 4: неизвестный столбец «Цвет» в таблице «Заклинания»")});

  const QString rows = QStringLiteral("Название;№;Мана;Уровень\r\n") +  //
                       QStringLiteral("Чужое;1;12;3\r\n") +             // 2: name
                       name + QStringLiteral(";2;дюжина;4\r\n") +       // 3: not a number
                       QStringLiteral(";66;1;1\r\n") +                  // 4: out of range
                       QStringLiteral(";x;1;1\r\n") +                   // 5: not a number
                       name + QStringLiteral(";2;1;1\r\n") +            // 6: duplicate
                       QStringLiteral(";3;1\r\n") +                     // 7: short
                       name4 + QStringLiteral(";4;256;-1\r\n") +        // 8: past both ends
                       name5 + QStringLiteral(";5;7,5;3 727\r\n");      // 9: fraction, past
  const CsvIssues issues = ImportTableCsv(document, kSpells, rows.toUtf8());
  const QStringList messages = Messages(issues);
  ASSERT_EQ(messages.size(), 10) << messages.join('\n').toStdString();
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("строка 2, столбец 1: название «Чужое»")));
  EXPECT_EQ(messages[1], QStringLiteral("строка 3, столбец 3: «дюжина» не число"));
  EXPECT_EQ(messages[2],
            QStringLiteral("строка 4, столбец 2: номер строки «66» не число от 1 до 65"));
  EXPECT_TRUE(messages[3].startsWith(QStringLiteral("строка 5, столбец 2:")));
  EXPECT_EQ(messages[4],
            QStringLiteral("строка 6, столбец 2: строка таблицы 2 уже была в строке 3 файла"));
  EXPECT_TRUE(messages[5].startsWith(QStringLiteral("строка 7, столбец 3:")));
  EXPECT_EQ(messages.mid(6),
            QStringList({"строка 8, «Мана»: 256 не помещается в поле (от 0 до 255)",
                         "строка 8, «Уровень»: -1 не помещается в поле (от 0 до 255)",
                         "строка 9, столбец 3: «7,5» не целое число: дробная часть не нулевая",
                         "строка 9, «Уровень»: 3727 не помещается в поле (от 0 до 255)"}));
  ExpectUnchanged(document);

  // Values past their fields alone: limited or wrapped when asked, and counted.
  const QString past = QStringLiteral("№;Название;Мана;Уровень;Альфа\r\n") + QStringLiteral("4;") +
                       name4 + QStringLiteral(";256;-1;-40 000,00\r\n");
  const struct {
    OutOfRange handling;
    std::int32_t mana, level, alpha;
  } handlings[] = {{OutOfRange::Limit, 255, 0, -32768}, {OutOfRange::Wrap, 0, 255, 25536}};
  for (const auto& h : handlings) {
    TableDocument imported;
    imported.OpenImage(QStringLiteral("sample.exe"), MakeSample(9).image);
    const TableImport result = ImportTableCsv(imported, kSpells, past.toUtf8(), h.handling);
    EXPECT_TRUE(result.errors.isEmpty()) << Messages(result.errors).join('\n').toStdString();
    EXPECT_EQ(result.out_of_range.Total(), 3);
    EXPECT_EQ(imported.ValueAfterCommit({kSpells, 3, 2}), h.mana);
    EXPECT_EQ(imported.ValueAfterCommit({kSpells, 3, 1}), h.level);
    EXPECT_EQ(imported.ValueAfterCommit({kSpells, 3, 3}), h.alpha);
  }

  const CsvIssues quoting = ImportTableCsv(document, kSpells, "№,Мана\r\n1,\"5\r\n");
  ASSERT_EQ(quoting.size(), 1);
  EXPECT_EQ(quoting[0].line, 2);
  EXPECT_TRUE(ImportTableCsv(document, kSpells, "Мана\r\n5\r\n")[0].reason.contains("№"));
  ExpectUnchanged(document);

  // With the mismatch allowed, the name is no obstacle.
  EXPECT_TRUE(ImportTableCsv(document, kSpells,
                             QStringLiteral("№,Название,Мана\r\n1,Чужое,12\r\n").toUtf8(), true)
                  .isEmpty());
  EXPECT_EQ(document.ValueAfterCommit({kSpells, 0, 2}), 12);
}

}  // namespace
