#include "csv_reader.h"

#include <csv.h>
#include <QStringDecoder>
#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "cp1251.h"

namespace {

// libcsv trims spaces and tabs around unquoted fields by default. Spreadsheets
// keep them, and with tab as the separator trimming would eat empty fields, so
// nothing counts as a space here.
int NothingIsSpace(unsigned char) {
  return 0;
}

bool IsLineEnd(char byte) {
  return byte == '\n' || byte == '\r';
}

// QString::fromUtf8 drops a byte-order mark at the start, which in a field is
// part of the text; the file's own mark has gone by the time fields are read.
QString FieldText(const void* bytes, std::size_t size) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
  return utf8(QByteArrayView(static_cast<const char*>(bytes), static_cast<qsizetype>(size)));
}

// libcsv in strict mode, fed one byte at a time so that every field and every
// error is known by its line and column: libcsv itself reports neither. The
// files are a few kilobytes, so the extra calls cost nothing that matters.
class LocatingParser {
 public:
  explicit LocatingParser(CsvSeparator separator) {
    csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_space_func(&parser_, NothingIsSpace);
    csv_set_delim(&parser_, static_cast<unsigned char>(separator));
  }
  ~LocatingParser() { csv_free(&parser_); }
  LocatingParser(const LocatingParser&) = delete;
  LocatingParser& operator=(const LocatingParser&) = delete;

  // Parses UTF-8 `text` up to its end, up to the first broken quoting, or,
  // when `first_record_only`, up to the end of the first record.
  void Parse(std::string_view text, bool first_record_only) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (first_record_only && !records_.isEmpty())
        return;
      const char byte = text[i];
      if (!Feed(byte))
        return;
      // CRLF is one line end, counted at its LF; a lone CR is one too.
      if (byte == '\n' || (byte == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
        ++line_;
    }
    if (first_record_only && !records_.isEmpty())
      return;
    if (csv_fini(&parser_, OnField, OnRecordEnd, this) != 0)
      Fail(CsvErrorKind::UnterminatedQuote, field_line_);
  }

  const std::optional<CsvError>& error() const { return error_; }
  QList<CsvRecord> TakeRecords() { return std::move(records_); }

  // The fields of the first record, or those read before an error cut it short.
  qsizetype FirstRecordFieldCount() const {
    return records_.isEmpty() ? current_.fields.size() : records_.front().fields.size();
  }

 private:
  bool Feed(char byte) {
    // Line ends between records are skipped by libcsv: they start nothing.
    if (at_record_start_ && !IsLineEnd(byte)) {
      at_record_start_ = false;
      current_.line = field_line_ = line_;
    }
    if (csv_parse(&parser_, &byte, 1, OnField, OnRecordEnd, this) == 1)
      return true;
    // Inside a quoted field a quote is never wrong (it closes the field or is
    // doubled), so a quote that breaks the rules is one in an unquoted field.
    Fail(byte == '"' ? CsvErrorKind::QuoteInUnquotedField : CsvErrorKind::TextAfterClosingQuote,
         line_);
    return false;
  }

  void Fail(CsvErrorKind kind, int line) {
    // Out of memory is no fault of the file.
    if (csv_error(&parser_) == CSV_ENOMEM || csv_error(&parser_) == CSV_ETOOBIG)
      throw std::bad_alloc();
    error_ = CsvError{kind, line, static_cast<int>(current_.fields.size()) + 1};
  }

  static void OnField(void* bytes, std::size_t size, void* data) {
    auto& self = *static_cast<LocatingParser*>(data);
    const int column = static_cast<int>(self.current_.fields.size()) + 1;
    self.current_.fields.append({FieldText(bytes, size), self.field_line_, column});
    // The next field starts right after the separator, on the same line.
    self.field_line_ = self.line_;
  }

  static void OnRecordEnd(int, void* data) {
    auto& self = *static_cast<LocatingParser*>(data);
    self.records_.append(std::exchange(self.current_, CsvRecord{}));
    self.at_record_start_ = true;
  }

  csv_parser parser_{};
  QList<CsvRecord> records_;
  CsvRecord current_;
  bool at_record_start_ = true;
  int line_ = 1;        // of the byte being fed
  int field_line_ = 1;  // where the field being read starts
  std::optional<CsvError> error_;
};

std::string ToUtf8(QByteArrayView bytes, CsvEncoding& encoding) {
  constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
  if (bytes.startsWith(kByteOrderMark)) {
    encoding = CsvEncoding::Utf8WithBom;
    bytes = bytes.sliced(kByteOrderMark.size());
    return std::string(bytes.data(), static_cast<std::size_t>(bytes.size()));
  }
  // Stateless, so that a sequence cut short at the end is an error too.
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString decoded = utf8(bytes);
  if (!utf8.hasError()) {
    encoding = CsvEncoding::Utf8;
    return std::string(bytes.data(), static_cast<std::size_t>(bytes.size()));
  }
  encoding = CsvEncoding::Windows1251;
  return Cp1251ToUtf8(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())));
}

CsvSeparator DetectSeparator(std::string_view text) {
  CsvSeparator best = CsvSeparator::Comma;
  qsizetype best_fields = 1;
  for (CsvSeparator candidate : {CsvSeparator::Comma, CsvSeparator::Semicolon, CsvSeparator::Tab}) {
    LocatingParser header(candidate);
    header.Parse(text, true);
    if (header.FirstRecordFieldCount() > best_fields) {
      best = candidate;
      best_fields = header.FirstRecordFieldCount();
    }
  }
  return best;
}

}  // namespace

QStringList CsvRecord::Texts() const {
  QStringList texts;
  texts.reserve(fields.size());
  for (const CsvField& field : fields)
    texts.append(field.text);
  return texts;
}

CsvReadResult ReadCsv(QByteArrayView bytes) {
  CsvReadResult result;
  const std::string text = ToUtf8(bytes, result.encoding);
  result.separator = DetectSeparator(text);
  LocatingParser parser(result.separator);
  parser.Parse(text, false);
  result.error = parser.error();
  if (!result.error)
    result.records = parser.TakeRecords();
  return result;
}

QString CsvErrorMessage(const CsvError& error) {
  QString what;
  switch (error.kind) {
    case CsvErrorKind::UnterminatedQuote:
      what = QStringLiteral("кавычка в начале поля не закрыта до конца файла");
      break;
    case CsvErrorKind::QuoteInUnquotedField:
      what = QStringLiteral("кавычка внутри поля, которое не заключено в кавычки");
      break;
    case CsvErrorKind::TextAfterClosingQuote:
      what = QStringLiteral("после закрывающей кавычки идёт текст, а не разделитель");
      break;
  }
  return QStringLiteral("строка %1, столбец %2: %3").arg(error.line).arg(error.column).arg(what);
}
