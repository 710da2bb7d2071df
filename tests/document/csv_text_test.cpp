// CSV text: what the writer makes reads back the same, and the reader finds
// the encoding, the separator, and the line and column of fields and errors
// in files written by hand or by a spreadsheet.

#include <QList>
#include <QStringDecoder>
#include <QStringList>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "formats/csv_issue.h"
#include "formats/csv_reader.h"
#include "formats/csv_writer.h"
#include "tables/cp1251.h"

namespace {

QList<QStringList> Texts(const QList<CsvRecord>& records) {
  QList<QStringList> rows;
  for (const CsvRecord& record : records)
    rows.append(record.Texts());
  return rows;
}

// Line ends in a field: CRLF counts once, a lone CR or LF once.
int LineEnds(const QString& text) {
  return static_cast<int>(text.count(QLatin1Char('\r')) + text.count(QLatin1Char('\n')) -
                          text.count(QLatin1String("\r\n")));
}

QString RandomField(std::mt19937& random) {
  static const QStringList pieces = {
      QString(),
      QStringLiteral(","),
      QStringLiteral(";"),
      QStringLiteral("\t"),
      QStringLiteral("\""),
      QStringLiteral("\"\""),
      QStringLiteral("\r"),
      QStringLiteral("\n"),
      QStringLiteral("\uFEFF"),  // a byte-order mark inside the text is text
      QStringLiteral("\r\n"),
      QStringLiteral(" "),
      QStringLiteral("7"),
      QStringLiteral("Жёлтый змей"),
  };
  QString field;
  for (int n = std::uniform_int_distribution(0, 4)(random); n > 0; --n)
    field += pieces[std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random)];
  return field;
}

TEST(CsvText, RandomTablesReadBackAsWrittenWithEachSeparator) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    QList<QStringList> rows;
    const int columns = std::uniform_int_distribution(1, 4)(random);
    for (int r = std::uniform_int_distribution(1, 6)(random); r > 0; --r) {
      QStringList row;
      for (int c = 0; c < columns; ++c)
        row.append(RandomField(random));
      rows.append(row);
    }
    for (CsvSeparator separator :
         {CsvSeparator::Comma, CsvSeparator::Semicolon, CsvSeparator::Tab}) {
      SCOPED_TRACE(testing::Message()
                   << "round " << round << ", separator " << static_cast<int>(separator));
      const CsvReadResult read = ReadCsv(WriteCsv(rows, separator));
      ASSERT_FALSE(read.error);
      EXPECT_EQ(read.encoding, CsvEncoding::Utf8WithBom);
      // A single column has no separator to find, and reads the same with any.
      EXPECT_EQ(read.separator, columns > 1 ? separator : CsvSeparator::Comma);
      ASSERT_EQ(Texts(read.records), rows);
      int line = 1;
      for (const CsvRecord& record : read.records) {
        EXPECT_EQ(record.line, line);
        for (int i = 0; i < record.fields.size(); ++i) {
          EXPECT_EQ(record.fields[i].line, line);
          EXPECT_EQ(record.fields[i].column, i + 1);
          line += LineEnds(record.fields[i].Text());
        }
        ++line;
      }
    }
  }
}

struct ReadCase {
  const char* name;
  QByteArray bytes;
  CsvEncoding encoding;
  CsvSeparator separator;
  QList<QStringList> rows;
  QList<int> record_lines;
  std::optional<CsvError> error;
};

QByteArray Cp1251(const char* utf8) {
  return QByteArray::fromStdString(Utf8ToCp1251(utf8));
}

// "Unicode text" as a spreadsheet saves it: UTF-16 after its byte-order mark.
QByteArray Utf16(const QString& text, bool big_endian) {
  QByteArray bytes;
  for (const QChar c : QChar(QChar::ByteOrderMark) + text) {
    const char high = static_cast<char>(c.unicode() >> 8);
    const char low = static_cast<char>(c.unicode() & 0xFF);
    bytes += big_endian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                        : QByteArray{&low, 1} + QByteArray{&high, 1};
  }
  return bytes;
}

const QList<ReadCase>& ReadCases() {
  using enum CsvEncoding;
  using enum CsvErrorKind;
  constexpr CsvSeparator kComma = CsvSeparator::Comma;
  constexpr CsvSeparator kSemicolon = CsvSeparator::Semicolon;
  static const QList<ReadCase> cases = {
      {"spreadsheet in Windows-1251 with semicolons",
       Cp1251("Имя;Сила;Цена\r\nЁжик;5;1,5\r\n\"Тень; ночная\";;\r\n"),
       Windows1251,
       kSemicolon,
       {{"Имя", "Сила", "Цена"}, {"Ёжик", "5", "1,5"}, {"Тень; ночная", "", ""}},
       {1, 2, 3},
       {}},
      {"UTF-16 little-endian with tabs, as a spreadsheet saves Unicode text",
       Utf16(QStringLiteral("№\tНазвание\r\n67\t\"Ёж, \"\"тень\"\"\"\r\n"), false),
       Utf16WithBom,
       CsvSeparator::Tab,
       {{"№", "Название"}, {"67", "Ёж, \"тень\""}},
       {1, 2},
       {}},
      {"UTF-16 big-endian; an odd last byte is U+FFFD",
       Utf16(QStringLiteral("a;б\nв;г"), true) + '\x04',
       Utf16WithBom,
       kSemicolon,
       {{"a", "б"}, {"в", "г\uFFFD"}},
       {1, 2},
       {}},
      {"byte-order mark dropped, tabs, spaces kept",
       "\xEF\xBB\xBF"
       "Имя\tСила\r\n Ёж \t\r\n",
       Utf8WithBom,
       CsvSeparator::Tab,
       {{"Имя", "Сила"}, {" Ёж ", ""}},
       {1, 2},
       {}},
      {"UTF-8 without a mark, LF, blank lines at the end",
       "Имя,Сила\nЁж,5\n\n\r\n\n",
       Utf8,
       kComma,
       {{"Имя", "Сила"}, {"Ёж", "5"}},
       {1, 2},
       {}},
      {"UTF-8 cut inside a character is not UTF-8",
       "a,\xD0",
       Windows1251,
       kComma,
       {{"a", "Р"}},
       {1},
       {}},
      {"after a byte-order mark, broken sequences are U+FFFD and a field's own mark is text",
       "\xEF\xBB\xBF"
       "a,\xD0\r\n\xEF\xBB\xBF"
       "b,c\xFF",
       Utf8WithBom,
       kComma,
       {{"a", "\uFFFD"}, {QStringLiteral("\uFEFFb"), "c\uFFFD"}},
       {1, 2},
       {}},
      {"an overlong UTF-8 form is not UTF-8", "\xC0\xAF", Windows1251, kComma, {{"АЇ"}}, {1}, {}},
      {"LF, CRLF and lone CR mixed, no line end at the end",
       "a;b\nc;d\r\ne;f\rg",
       Utf8,
       kSemicolon,
       {{"a", "b"}, {"c", "d"}, {"e", "f"}, {"g"}},
       {1, 2, 3, 4},
       {}},
      {"separators inside quotes in the header do not count",
       "\"a,b,c\";d;\"\"\"e\"\"\"\r\n",
       Utf8,
       kSemicolon,
       {{"a,b,c", "d", "\"e\""}},
       {1},
       {}},
      {"no separator in the header: comma", "one\r\n", Utf8, kComma, {{"one"}}, {1}, {}},
      {"nothing at all", "", Utf8, kComma, {}, {}, {}},
      {"a quoted field spanning lines keeps later lines right",
       "a,\"x\r\ny\ny\"\r\n\r\nb,c\r\n",
       Utf8,
       kComma,
       {{"a", "x\r\ny\ny"}, {"b", "c"}},
       {1, 5},
       {}},
      {"unterminated quote: the line where its field starts",
       "a,b\r\nc,\"d\r\ne\r\n",
       Utf8,
       kComma,
       {},
       {},
       CsvError{UnterminatedQuote, 2, 2}},
      {"quote inside an unquoted field, after a field spanning lines",
       "\"a\nb\",c\nd,e\"f\n",
       Utf8,
       kComma,
       {},
       {},
       CsvError{QuoteInUnquotedField, 3, 2}},
      {"text after a closing quote",
       "x;y\r\n\"ab\"c;d\r\n",
       Utf8,
       kSemicolon,
       {},
       {},
       CsvError{TextAfterClosingQuote, 2, 1}},
      {"a space after a closing quote is text too",
       "a,\"b\" ,c\r\n",
       Utf8,
       kComma,
       {},
       {},
       CsvError{TextAfterClosingQuote, 1, 2}},
  };
  return cases;
}

TEST(CsvText, ReadsHandWrittenFiles) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    const CsvReadResult read = ReadCsv(c.bytes);
    EXPECT_EQ(read.encoding, c.encoding);
    EXPECT_EQ(read.separator, c.separator);
    EXPECT_EQ(Texts(read.records), c.rows);
    QList<int> record_lines;
    for (const CsvRecord& record : read.records)
      record_lines.append(record.line);
    EXPECT_EQ(record_lines, c.record_lines);
    ASSERT_EQ(read.error.has_value(), c.error.has_value());
    if (c.error) {
      EXPECT_EQ(read.error->kind, c.error->kind);
      EXPECT_EQ(read.error->line, c.error->line);
      EXPECT_EQ(read.error->column, c.error->column);
    }
  }
}

// Text is taken for UTF-8 exactly when Qt's strict decoder finds no fault in
// it: bytes drawn mostly from the edges of the multi-byte ranges (overlong
// forms, surrogates, past U+10FFFF, sequences cut short), among ASCII runs
// long and short.
TEST(CsvText, TextIsUtf8ExactlyWhenQtDecodesItWithoutFault) {
  const std::string edges =
      "\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5\xFF";
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 24, 'a');
    const unsigned one_in = 1 + round % 6;  // how seldom a byte is not ASCII
    for (char& byte : bytes)
      if (random() % one_in == 0)
        byte = edges[random() % edges.size()];
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(strict(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))));
    const CsvEncoding expected = strict.hasError() ? CsvEncoding::Windows1251 : CsvEncoding::Utf8;
    ASSERT_EQ(ReadCsv(QByteArray::fromStdString(bytes)).encoding, expected)
        << QByteArray::fromStdString(bytes).toHex(' ').toStdString();
  }
}

}  // namespace

namespace {

// A file with many mistakes: the first kKept are kept, every one is counted,
// and the last line says how many more there are, the word agreeing with the
// number.
TEST(CsvText, ManyIssuesAreCountedAndTheRestNamedInRussian) {
  const std::pair<qsizetype, const char*> words[] = {
      {1, "1 ошибка"},     {2, "2 ошибки"},      {4, "4 ошибки"},     {5, "5 ошибок"},
      {11, "11 ошибок"},   {12, "12 ошибок"},    {14, "14 ошибок"},   {21, "21 ошибка"},
      {22, "22 ошибки"},   {25, "25 ошибок"},    {111, "111 ошибок"}, {112, "112 ошибок"},
      {101, "101 ошибка"}, {1004, "1004 ошибки"}};
  for (const auto& [count, text] : words)
    EXPECT_EQ(MoreIssuesText(count), QStringLiteral("и ещё ") + QString::fromUtf8(text));

  CsvIssues issues;
  for (int line = 1; line <= 250; ++line)
    issues.append({line, 1, QStringLiteral("плохо")});
  EXPECT_EQ(issues.size(), CsvIssues::kKept);
  EXPECT_EQ(issues.Total(), 250);
  EXPECT_EQ(issues[CsvIssues::kKept - 1].line, CsvIssues::kKept);
  const QStringList lines = IssueLines(issues, 3).split(QLatin1Char('\n'));
  EXPECT_EQ(lines, (QStringList{QStringLiteral("строка 1, столбец 1: плохо"),
                                QStringLiteral("строка 2, столбец 1: плохо"),
                                QStringLiteral("строка 3, столбец 1: плохо"),
                                QStringLiteral("…и ещё 247 ошибок")}));
  EXPECT_FALSE(IssueLines(CsvIssues{{2, 1, QStringLiteral("плохо")}}, 3).contains(u'…'));
}

}  // namespace
