#include "csv_reader.h"

#include <csv.h>
#include <QStringDecoder>
#include <algorithm>
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

// The length of the line that starts `text`, its line end included: LF, CRLF
// or a lone CR; all of `text` when it has no line end.
std::size_t LineLength(std::string_view text) {
  const auto end = std::find_if(text.begin(), text.end(), IsLineEnd);
  if (end == text.end())
    return text.size();
  const bool crlf = *end == '\r' && end + 1 != text.end() && end[1] == '\n';
  return static_cast<std::size_t>(end - text.begin()) + (crlf ? 2 : 1);
}

// libcsv in strict mode, fed one line at a time so that every field and every
// error is known by its line and column: libcsv itself reports neither. Within
// a line, a field starts on it unless it is a quoted one begun on an earlier
// line, and an error is at the byte where libcsv stopped.
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
    while (!text.empty()) {
      if (first_record_only && !records_.isEmpty())
        return;
      const std::string_view line = text.substr(0, LineLength(text));
      if (!Feed(line))
        return;
      text.remove_prefix(line.size());
      if (IsLineEnd(line.back()))
        ++line_;
    }
    if (first_record_only && !records_.isEmpty())
      return;
    if (csv_fini(&parser_, OnField, OnRecordEnd, this) != 0 || out_of_memory_)
      Fail(CsvErrorKind::UnterminatedQuote, field_line_);
  }

  const std::optional<CsvError>& error() const { return error_; }
  QList<CsvRecord> TakeRecords() { return std::move(records_); }

  // The fields of the first record, or those read before an error cut it short.
  qsizetype FirstRecordFieldCount() const {
    return records_.isEmpty() ? current_.fields.size() : records_.front().fields.size();
  }

 private:
  // Feeds one line, its line end included.
  bool Feed(std::string_view line) {
    // Line ends between records are skipped by libcsv: they start nothing.
    if (at_record_start_ && !IsLineEnd(line.front())) {
      at_record_start_ = false;
      current_.line = field_line_ = line_;
      current_.fields.reserve(fields_per_record_);
    }
    const std::size_t parsed =
        csv_parse(&parser_, line.data(), line.size(), OnField, OnRecordEnd, this);
    if (out_of_memory_) {
      Fail(CsvErrorKind::OutOfMemory, line_);
      return false;
    }
    if (parsed == line.size())
      return true;
    // Inside a quoted field a quote is never wrong (it closes the field or is
    // doubled), so a quote that breaks the rules is one in an unquoted field.
    Fail(line[parsed] == '"' ? CsvErrorKind::QuoteInUnquotedField
                             : CsvErrorKind::TextAfterClosingQuote,
         line_);
    return false;
  }

  void Fail(CsvErrorKind kind, int line) {
    // Out of memory is no fault of the file.
    if (out_of_memory_ || csv_error(&parser_) == CSV_ENOMEM || csv_error(&parser_) == CSV_ETOOBIG)
      error_ = CsvError{CsvErrorKind::OutOfMemory, 0, 0};
    else
      error_ = CsvError{kind, line, static_cast<int>(current_.fields.size()) + 1};
  }

  // The callbacks run inside libcsv, which is C: no exception may leave them.
  // Once memory has run out they do nothing, and the parse stops after the
  // line being fed.
  static void OnField(void* bytes, std::size_t size, void* data) {
    auto& self = *static_cast<LocatingParser*>(data);
    if (self.out_of_memory_)
      return;
    try {
      const int column = static_cast<int>(self.current_.fields.size()) + 1;
      self.current_.fields.append(
          {std::string(static_cast<const char*>(bytes), size), self.field_line_, column});
    } catch (const std::bad_alloc&) {
      self.out_of_memory_ = true;
    }
    // The next field starts right after the separator, on the same line.
    self.field_line_ = self.line_;
  }

  static void OnRecordEnd(int, void* data) {
    auto& self = *static_cast<LocatingParser*>(data);
    if (self.out_of_memory_)
      return;
    try {
      // Records of a file mostly have as many fields as the one before.
      self.fields_per_record_ = self.current_.fields.size();
      self.records_.append(std::exchange(self.current_, CsvRecord{}));
    } catch (const std::bad_alloc&) {
      self.out_of_memory_ = true;
    }
    self.at_record_start_ = true;
  }

  csv_parser parser_{};
  QList<CsvRecord> records_;
  CsvRecord current_;
  bool at_record_start_ = true;
  qsizetype fields_per_record_ = 0;
  int line_ = 1;        // of the byte being fed
  int field_line_ = 1;  // where the field being read starts
  bool out_of_memory_ = false;
  std::optional<CsvError> error_;
};

std::string ToUtf8(QByteArrayView bytes, CsvEncoding& encoding) {
  // "Unicode text" of a spreadsheet: UTF-16 after its mark, which the decoder
  // drops; a lone surrogate or an odd last byte becomes U+FFFD.
  if (const auto utf16 = QStringConverter::encodingForData(bytes);
      utf16 == QStringConverter::Utf16LE || utf16 == QStringConverter::Utf16BE) {
    encoding = CsvEncoding::Utf16WithBom;
    QStringDecoder decoder(*utf16, QStringConverter::Flag::Stateless);
    return QString(decoder(bytes)).toStdString();
  }
  constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
  if (bytes.startsWith(kByteOrderMark)) {
    encoding = CsvEncoding::Utf8WithBom;
    bytes = bytes.sliced(kByteOrderMark.size());
    if (bytes.isValidUtf8())
      return std::string(bytes.data(), static_cast<std::size_t>(bytes.size()));
    // Broken sequences become U+FFFD, so that every field is valid UTF-8.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    return QString(utf8(bytes)).toStdString();
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
    // A count cut short by memory would pick the wrong separator.
    if (header.error() && header.error()->kind == CsvErrorKind::OutOfMemory)
      throw std::bad_alloc();
    if (header.FirstRecordFieldCount() > best_fields) {
      best = candidate;
      best_fields = header.FirstRecordFieldCount();
    }
  }
  return best;
}

}  // namespace

// QString::fromUtf8 drops a byte-order mark at the start, which in a field is
// part of the text; the file's own mark has gone by the time fields are read.
QString CsvField::Text() const {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (!text.starts_with(kByteOrderMark))
    return QString::fromStdString(text);
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
  return utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

QStringList CsvRecord::Texts() const {
  QStringList texts;
  texts.reserve(fields.size());
  for (const CsvField& field : fields)
    texts.append(field.Text());
  return texts;
}

CsvReadResult ReadCsv(QByteArrayView bytes) {
  CsvReadResult result;
  try {
    const std::string text = ToUtf8(bytes, result.encoding);
    result.separator = DetectSeparator(text);
    LocatingParser parser(result.separator);
    parser.Parse(text, false);
    result.error = parser.error();
    if (!result.error)
      result.records = parser.TakeRecords();
  } catch (const std::bad_alloc&) {
    result.records.clear();
    result.error = CsvError{CsvErrorKind::OutOfMemory, 0, 0};
  }
  return result;
}
