#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/csv_separator.h"

// How the bytes of a CSV file were taken as text.
enum class CsvEncoding {
  Utf8WithBom,   // UTF-8 after a byte-order mark, as WriteCsv makes it
  Utf16WithBom,  // UTF-16, little- or big-endian, after its byte-order mark
  Utf8,          // valid UTF-8 with no byte-order mark
  Windows1251,   // anything else: what a spreadsheet in a Russian locale saves
};

// One field, where the user finds it in the file: the 1-based line on which it
// starts and its 1-based number within its record (the "столбец" of a message).
// The text is valid UTF-8, kept as bytes: most fields are numbers compared with
// a cell's text, which is UTF-8 too.
struct CsvField {
  std::string text;
  int line = 0;
  int column = 0;

  // The text for a message or a caption, a byte-order mark at its start kept.
  QString Text() const;
  // The text as a decimal number, as Text().toInt(ok) takes it.
  int ToInt(bool* ok) const;
  // Takes another field's place, keeping the string's room.
  void Reuse(std::string_view new_text, int new_line, int new_column);
};

// One record: its fields, never none, and the line on which it starts. A
// quoted field may hold line ends, so a record may span several lines.
struct CsvRecord {
  int line = 0;
  QList<CsvField> fields;

  QStringList Texts() const;
};

enum class CsvErrorKind {
  UnterminatedQuote,      // a quoted field runs to the end of the file
  QuoteInUnquotedField,   // a quote inside a field that does not start with one
  TextAfterClosingQuote,  // anything but a separator or a line end after a closing quote
  OutOfMemory,            // no fault of the file: it could not be held in memory
};

// Broken quoting. `line` is where the offending quote or text is, or for an
// unterminated quote the line on which the field starts; `column` is the
// field's number within its record. Both are 0 when memory ran out.
struct CsvError {
  CsvErrorKind kind = CsvErrorKind::UnterminatedQuote;
  int line = 0;
  int column = 0;
};

struct CsvReadResult {
  CsvEncoding encoding = CsvEncoding::Utf8;
  CsvSeparator separator = CsvSeparator::Comma;
  QList<CsvRecord> records;  // none when `error` is set (a file is read whole or not at all),
                             // nor from ReadCsvRecords
  std::optional<CsvError> error;
};

// Reads a CSV file saved by this program or by a spreadsheet.
//
// The encoding: UTF-8 or UTF-16 (either byte order) when the bytes start with
// its byte-order mark (which is dropped), UTF-8 when they are valid UTF-8,
// Windows-1251 otherwise. The separator is the
// one of ',', ';' and tab that separates the most fields of the first record
// (the header); a comma when none does. Records end at LF, CRLF or a lone CR
// outside quotes; blank lines are no records. Fields are taken as they are,
// spaces included; a field in quotes ends at its closing quote, with doubled
// quotes inside it read as one. Reading stops at the first broken quoting.
// Never throws: running out of memory is an OutOfMemory error.
CsvReadResult ReadCsv(QByteArrayView bytes);

// Reads as ReadCsv does, but hands each record to `visit` as it is read and
// keeps none, for a reader that looks at each record once: the record lasts
// only for the call. Records before broken quoting have been visited by the
// time `error` says so. `visit` may throw std::bad_alloc and nothing else;
// that ends the read with an OutOfMemory error.
using CsvRecordVisitor = std::function<void(const CsvRecord&)>;
CsvReadResult ReadCsvRecords(QByteArrayView bytes, const CsvRecordVisitor& visit);
