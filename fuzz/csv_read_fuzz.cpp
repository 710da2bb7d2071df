// Reads arbitrary bytes as CSV. Whatever comes in, the reader returns without
// a crash or a hang; a result with an error has no records; records are placed
// in order (each starts after the one before, columns count up from 1); and
// the records written back with the separator found read again as the same
// records, with that separator, as UTF-8 after a byte-order mark.

#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/csv_reader.h"
#include "formats/csv_writer.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "csv read: %s\n", what);
  std::abort();
}

void CheckPlaces(const QList<CsvRecord>& records) {
  int previous_line = 0;
  for (const CsvRecord& record : records) {
    if (record.fields.isEmpty())
      Fail("a record with no fields");
    if (record.line <= previous_line)
      Fail("a record does not start after the one before");
    int line = record.line;
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
      if (record.fields[i].column != i + 1)
        Fail("fields are not numbered 1, 2, 3... within their record");
      if (record.fields[i].line < line)
        Fail("a field starts before the field before it");
      line = record.fields[i].line;
    }
    previous_line = line;
  }
}

QList<QStringList> Texts(const QList<CsvRecord>& records) {
  QList<QStringList> rows;
  for (const CsvRecord& record : records)
    rows.append(record.Texts());
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CsvReadResult read = ReadCsv(QByteArrayView(data, static_cast<qsizetype>(size)));
  if (read.error) {
    if (!read.records.isEmpty())
      Fail("records returned along with an error");
    if (read.error->line < 1 || read.error->column < 1)
      Fail("an error placed before the start of the file");
    return 0;
  }
  CheckPlaces(read.records);
  const QList<QStringList> rows = Texts(read.records);
  const CsvReadResult again = ReadCsv(WriteCsv(rows, read.separator));
  if (again.error)
    Fail("what the writer made does not read");
  if (again.encoding != CsvEncoding::Utf8WithBom)
    Fail("what the writer made is not UTF-8 with a byte-order mark");
  if (again.separator != read.separator)
    Fail("what the writer made reads with another separator");
  if (Texts(again.records) != rows)
    Fail("what the writer made reads as other records");
  return 0;
}
