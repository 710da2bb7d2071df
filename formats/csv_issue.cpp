#include "formats/csv_issue.h"

#include <QCoreApplication>
#include <QStringList>

#include "document/caption_language.h"

namespace {

// Long enough for any caption, name or number; a longer text is no help in a
// message and would only widen it.
constexpr qsizetype kQuotedLength = 40;

QString Quoted(const QString& text) {
  if (text.size() <= kQuotedLength)
    return QuotedText(text);
  return QuotedText(text.left(kQuotedLength) + QStringLiteral("…"));
}

QString Quoted(const CsvField& field) {
  return Quoted(field.Text());
}

CsvIssue At(const CsvField& field, const QString& reason) {
  return {field.line, field.column, reason};
}

}  // namespace

QString CsvIssueMessage(const CsvIssue& issue) {
  if (issue.line == 0)
    return issue.reason;
  if (!issue.caption.isEmpty())
    return QCoreApplication::translate("CsvIssue", "строка %1, «%2»: %3")
        .arg(issue.line)
        .arg(issue.caption, issue.reason);
  return QCoreApplication::translate("CsvIssue", "строка %1, столбец %2: %3")
      .arg(issue.line)
      .arg(issue.column)
      .arg(issue.reason);
}

CsvIssues::CsvIssues(std::initializer_list<CsvIssue> issues) {
  for (const CsvIssue& issue : issues)
    append(issue);
}

void CsvIssues::append(CsvIssue issue) {
  if (kept_.size() < kKept)
    kept_.append(std::move(issue));
  ++total_;
}

QString MoreIssuesText(qsizetype count) {
  // Russian plurals: 1, 21, 31... ошибка; 2-4, 22-24... ошибки; the rest, 11-14 too, ошибок.
  const qsizetype tens = count % 100;
  const qsizetype ones = count % 10;
  // Each form is one text with %n, so that English picks its own form by N.
  const int n = static_cast<int>(count);
  if (ones == 1 && tens != 11)
    return QCoreApplication::translate("CsvIssue", "и ещё %n ошибка", nullptr, n);
  if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
    return QCoreApplication::translate("CsvIssue", "и ещё %n ошибки", nullptr, n);
  return QCoreApplication::translate("CsvIssue", "и ещё %n ошибок", nullptr, n);
}

QString OutOfRangeDoneText(OutOfRange handling, qsizetype count) {
  return (handling == OutOfRange::Wrap
              ? QCoreApplication::translate(
                    "CsvIssue", "значений, не помещавшихся в поле, оставлены младшие биты: %1")
              : QCoreApplication::translate("CsvIssue",
                                            "значений, не помещавшихся в поле, ограничено: %1"))
      .arg(count);
}

QString PastEndFieldText(const QString& place) {
  return QCoreApplication::translate("CsvIssue",
                                     "%1: запись за концом файла, её поля нельзя изменить")
      .arg(place);
}

QString IssueLines(const CsvIssues& issues, qsizetype count) {
  QStringList lines;
  for (qsizetype i = 0; i < issues.size() && i < count; ++i)
    lines.append(CsvIssueMessage(issues[i]));
  if (const qsizetype more = issues.Total() - lines.size(); more > 0)
    lines.append(QStringLiteral("…") + MoreIssuesText(more));
  return lines.join(QLatin1Char('\n'));
}

namespace csv_problem {

CsvIssue BrokenQuoting(const CsvError& error) {
  QString reason;
  switch (error.kind) {
    case CsvErrorKind::UnterminatedQuote:
      reason = QCoreApplication::translate("CsvIssue",
                                           "кавычка в начале поля не закрыта до конца файла");
      break;
    case CsvErrorKind::QuoteInUnquotedField:
      reason = QCoreApplication::translate("CsvIssue",
                                           "кавычка внутри поля, которое не заключено в кавычки");
      break;
    case CsvErrorKind::TextAfterClosingQuote:
      reason = QCoreApplication::translate(
          "CsvIssue", "после закрывающей кавычки идёт текст, а не разделитель");
      break;
    case CsvErrorKind::OutOfMemory:
      return OutOfMemory();
  }
  return {error.line, error.column, reason};
}

CsvIssue OutOfMemory() {
  return {0, 0,
          QCoreApplication::translate("CsvIssue", "недостаточно памяти, чтобы прочитать файл")};
}

CsvIssue EmptyFile() {
  return {1, 1, QCoreApplication::translate("CsvIssue", "файл пуст: нет даже строки заголовка")};
}

CsvIssue NoColumnInHeader(const CsvRecord& header, const QString& caption) {
  return {
      header.line, 1,
      QCoreApplication::translate("CsvIssue", "в заголовке нет столбца %1").arg(Quoted(caption))};
}

CsvIssue RepeatedColumn(const CsvField& caption, int first_column) {
  return At(caption, QCoreApplication::translate("CsvIssue", "столбец %1 уже есть в столбце %2")
                         .arg(Quoted(caption))
                         .arg(first_column));
}

CsvIssue UnknownTableColumn(const CsvField& caption, const QString& table) {
  return At(caption,
            QCoreApplication::translate("CsvIssue", "неизвестный столбец %1 в таблице «%2»")
                .arg(Quoted(caption), table));
}

CsvIssue UnknownListColumn(const CsvField& caption) {
  return At(caption, QCoreApplication::translate("CsvIssue", "лишний столбец %1 в списке изменений")
                         .arg(Quoted(caption)));
}

CsvIssue FieldCount(const CsvRecord& record, qsizetype header_width) {
  return {record.line, static_cast<int>(record.fields.size()),
          QCoreApplication::translate("CsvIssue", "в строке %1 полей, а в заголовке %2")
              .arg(record.fields.size())
              .arg(header_width)};
}

CsvIssue RowNumber(const CsvField& number, int entry_count) {
  return At(number, QCoreApplication::translate("CsvIssue", "номер строки %1 не число от 1 до %2")
                        .arg(Quoted(number))
                        .arg(entry_count));
}

CsvIssue RepeatedRow(const CsvField& number, int row, int first_line) {
  return At(number,
            QCoreApplication::translate("CsvIssue", "строка таблицы %1 уже была в строке %2 файла")
                .arg(row)
                .arg(first_line));
}

CsvIssue OtherName(const CsvField& name, const QString& expected, int row) {
  return At(name, QCoreApplication::translate("CsvIssue",
                                              "название %1 не совпадает с «%2» в строке %3 таблицы")
                      .arg(Quoted(name), expected)
                      .arg(row));
}

CsvIssue NotANumber(const CsvField& value) {
  return At(value, QCoreApplication::translate("CsvIssue", "%1 не число").arg(Quoted(value)));
}

CsvIssue NotAnInteger(const CsvField& value) {
  return At(value,
            QCoreApplication::translate("CsvIssue", "%1 не целое число: дробная часть не нулевая")
                .arg(Quoted(value)));
}

CsvIssue OutOfRange(const CsvField& value, const QString& caption, const std::string& number,
                    FieldRange range) {
  QString shown = QString::fromStdString(number);
  if (shown.size() > kQuotedLength)
    shown = shown.left(kQuotedLength) + QStringLiteral("…");
  return {value.line, value.column,
          QCoreApplication::translate("CsvIssue", "%1 не помещается в поле (от %2 до %3)")
              .arg(shown)
              .arg(range.low)
              .arg(range.high),
          caption};
}

CsvIssue UnknownTable(const CsvField& table) {
  return At(table,
            QCoreApplication::translate("CsvIssue", "неизвестная таблица %1").arg(Quoted(table)));
}

CsvIssue NoSuchColumn(const CsvField& table, const CsvField& column) {
  return At(column, QCoreApplication::translate("CsvIssue", "в таблице %1 нет столбца %2")
                        .arg(Quoted(table), Quoted(column)));
}

CsvIssue RepeatedField(const CsvField& value, int first_line) {
  return {
      value.line, 1,
      QCoreApplication::translate("CsvIssue", "это поле уже менялось в строке %1").arg(first_line)};
}

CsvIssue Conflict(const CsvField& in_file, const QString& now) {
  return At(in_file, QCoreApplication::translate("CsvIssue", "в файле должно быть %1, а там «%2»")
                         .arg(Quoted(in_file), now));
}

CsvIssue PastEnd(const CsvField& value, const QString& place) {
  return At(value, PastEndFieldText(place));
}

}  // namespace csv_problem
