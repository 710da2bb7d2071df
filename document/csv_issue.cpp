#include "csv_issue.h"

QString CsvIssueMessage(const CsvIssue& issue) {
  return QStringLiteral("строка %1, столбец %2: %3")
      .arg(issue.line)
      .arg(issue.column)
      .arg(issue.reason);
}

CsvIssue IssueOf(const CsvError& error) {
  // The reader words the place the same way; its reason is what follows it.
  const QString message = CsvErrorMessage(error);
  const qsizetype reason_at = message.indexOf(QStringLiteral(": "));
  return {error.line, error.column, message.mid(reason_at + 2)};
}
