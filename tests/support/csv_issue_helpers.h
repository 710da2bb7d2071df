#pragma once

#include <QList>
#include <QStringList>

#include "formats/csv_issue.h"

// The issues as the user reads them, in order: what the CSV tests compare.
inline QStringList Messages(const CsvIssues& issues) {
  QStringList messages;
  for (const CsvIssue& issue : issues)
    messages.append(CsvIssueMessage(issue));
  return messages;
}
