#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <string>
#include <string_view>

#include "formats/csv_separator.h"

// Writes CSV for spreadsheets into one buffer, field by field, from UTF-8
// text: UTF-8 after a byte-order mark, so that spreadsheets show Cyrillic
// without asking for the encoding; fields separated by `separator`; every row,
// the last too, ends in CRLF.
//
// A field is put in quotes, its own quotes doubled, when it holds a quote, CR,
// LF or any of the three separators, not only the one in use: then no
// separator but the real one occurs outside quotes in the header row, and
// ReadCsv finds it. A row whose only field is empty is written as "" so that
// it is not taken for a blank line; a row with no fields is a blank line,
// which ReadCsv skips.
class CsvWriter {
 public:
  // `expected_size` is room reserved up front: a guess, it only spares regrowing.
  explicit CsvWriter(CsvSeparator separator, qsizetype expected_size = 0);

  void AddField(std::string_view utf8);
  void EndRow();
  // The text written so far; the writer is left empty.
  QByteArray Take();

 private:
  // Built as a standard string, whose appends are cheap next to QByteArray's,
  // and copied once at the end.
  std::string out_;
  CsvSeparator separator_;
  int fields_in_row_ = 0;
  bool last_field_empty_ = false;
};

// `rows` written with a CsvWriter.
QByteArray WriteCsv(const QList<QStringList>& rows, CsvSeparator separator = CsvSeparator::Comma);
