#pragma once

#include <QList>
#include <QString>

#include "csv_reader.h"

// Something wrong in a CSV file the user gave us, where they find it: the
// 1-based line and field number, and the reason in Russian.
struct CsvIssue {
  int line = 0;
  int column = 0;
  QString reason;
};

// "строка N, столбец M: reason", as CsvErrorMessage words broken quoting.
QString CsvIssueMessage(const CsvIssue& issue);

// Broken quoting as an issue, with the reader's own reason.
CsvIssue IssueOf(const CsvError& error);
