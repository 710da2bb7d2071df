#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

#include "document/caption_language.h"
#include "document/table_document.h"
#include "formats/csv_issue.h"
#include "formats/csv_separator.h"

// One table as a CSV file, for a spreadsheet and back.

// The table's name in file names and command-line options: creatures,
// buildings, spells.
QString TableFileName(TableIndex table);
std::optional<TableIndex> TableFromFileName(const QString& name);

// The grid column of `table` (1 and up, past the names) whose caption `text`
// is, Russian or English, as a file or an option gives it; 0 for none.
int ColumnOfCaption(TableIndex table, std::string_view text);

// The header "№", "Название" and the table's captions, then one row per
// entry: its grid row number, its name, and its cells as the grid shows them
// (typed text included). The captions are in `language`; an import takes
// either.
QList<QStringList> TableCsvRows(const TableDocument& document, TableIndex table,
                                CaptionLanguage language = CaptionLanguage::Russian);
QByteArray ExportTableCsv(const TableDocument& document, TableIndex table, CsvSeparator separator,
                          CaptionLanguage language = CaptionLanguage::Russian);

// What an import found.
struct TableImport {
  // The problems that refuse the file (running out of memory is one): when
  // there is any, the document is left as it was. Values that do not fit
  // their fields are among them when they are refused.
  CsvIssues errors;
  // Every value that does not fit its field, refused, limited or wrapped.
  CsvIssues out_of_range;
  // Whether the values that do not fit are all that refuses the file.
  bool OnlyOutOfRange() const {
    return !errors.isEmpty() && errors.Total() == out_of_range.Total();
  }
};

// Reads a table back into the document, all or nothing. Columns are found by
// caption in any order, and may be missing, except "№", which picks the entry;
// "Название", when present, must be the entry's name unless
// `allow_name_mismatch`. Every value goes into its field as JudgeFieldText
// takes it: the text its cell shows now changes nothing, and a number the
// field cannot hold is taken as `out_of_range` says.
TableImport ImportTableCsv(TableDocument& document, TableIndex table, QByteArrayView csv,
                           OutOfRange out_of_range, bool allow_name_mismatch = false);
// The same with such numbers refused; returns the errors.
CsvIssues ImportTableCsv(TableDocument& document, TableIndex table, QByteArrayView csv,
                         bool allow_name_mismatch = false);
