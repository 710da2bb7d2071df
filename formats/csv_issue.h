#pragma once

#include <QList>
#include <QString>
#include <initializer_list>
#include <string>

#include "formats/csv_reader.h"
#include "tables/field_input.h"

// Something wrong in a CSV file the user gave us, where they find it: the
// 1-based line and field number, and the reason in Russian. Line 0 stands for
// the file as a whole. A value that its field cannot hold is found by the
// field's caption instead of the number of the file's column.
struct CsvIssue {
  int line = 0;
  int column = 0;
  QString reason;
  QString caption = {};  // the field's, or empty
};

// "строка N, столбец M: reason" (or "строка N, «caption»: reason"), or the
// reason alone for the file as a whole.
QString CsvIssueMessage(const CsvIssue& issue);

// The problems found in one file, in the order found. A file with any is
// refused whole, so only the first kKept are kept, for the user to read; the
// rest are only counted.
class CsvIssues {
 public:
  static constexpr qsizetype kKept = 100;

  CsvIssues() = default;
  CsvIssues(std::initializer_list<CsvIssue> issues);

  void append(CsvIssue issue);
  bool isEmpty() const { return total_ == 0; }
  // The issues kept.
  qsizetype size() const { return kept_.size(); }
  const CsvIssue& operator[](qsizetype index) const { return kept_[index]; }
  QList<CsvIssue>::const_iterator begin() const { return kept_.begin(); }
  QList<CsvIssue>::const_iterator end() const { return kept_.end(); }
  // Every issue found, kept or not.
  qsizetype Total() const { return total_; }

 private:
  QList<CsvIssue> kept_;
  qsizetype total_ = 0;
};

// The messages of the first `count` issues, one a line, then "…и ещё N
// ошибок" for all the others found (kept or not) when there are any.
QString IssueLines(const CsvIssues& issues, qsizetype count);
// "и ещё N ошибок", with the word agreeing with N.
QString MoreIssuesText(qsizetype count);
// What became of `count` values that did not fit their fields, limited or
// wrapped: "ограничено значений, не помещавшихся в поле: N".
QString OutOfRangeDoneText(OutOfRange handling, qsizetype count);

// That the field at `place` ("«Существа» № 3 «Name», «Атака»", as FieldPlace
// gives it) cannot be changed: its record lies past the end of the file.
QString PastEndFieldText(const QString& place);

// The reasons, each worded once for the table import and the change lists.
// Texts from the file are quoted «…», cut short when long.
namespace csv_problem {

CsvIssue BrokenQuoting(const CsvError& error);
CsvIssue OutOfMemory();
CsvIssue EmptyFile();
CsvIssue NoColumnInHeader(const CsvRecord& header, const QString& caption);
CsvIssue RepeatedColumn(const CsvField& caption, int first_column);
CsvIssue UnknownTableColumn(const CsvField& caption, const QString& table);
CsvIssue UnknownListColumn(const CsvField& caption);
CsvIssue FieldCount(const CsvRecord& record, qsizetype header_width);
CsvIssue RowNumber(const CsvField& number, int entry_count);
CsvIssue RepeatedRow(const CsvField& number, int row, int first_line);
CsvIssue OtherName(const CsvField& name, const QString& expected, int row);
CsvIssue NotANumber(const CsvField& value);
CsvIssue NotAnInteger(const CsvField& value);
// `number` in decimal, as ReadFileInput gives it; `caption` is the field's.
CsvIssue OutOfRange(const CsvField& value, const QString& caption, const std::string& number,
                    FieldRange range);
CsvIssue UnknownTable(const CsvField& table);
CsvIssue NoSuchColumn(const CsvField& table, const CsvField& column);
CsvIssue RepeatedField(const CsvField& value, int first_line);
CsvIssue Conflict(const CsvField& in_file, const QString& now);
// A new value for the field at `place` (FieldPlace), whose record lies past
// the end of the file.
CsvIssue PastEnd(const CsvField& value, const QString& place);

}  // namespace csv_problem
