#include "formats/csv_reader.h"

#include <csv.h>
#include <QStringDecoder>
#include <algorithm>
#include <cstddef>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "tables/cp1251.h"

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

// Cuts text into lines, each with its line end: LF, CRLF or a lone CR; the
// last may have none. Two searches of the library's find a line's end, each far
// quicker than a test of every byte for both: an LF, then a CR before it. The
// LF found is kept until passed, so that text of lone CRs is not searched to
// its end for every line.
class LineCutter {
 public:
  explicit LineCutter(std::string_view text) : text_(text), lf_(text.find('\n')) {}

  bool Done() const { return at_ == text_.size(); }

  std::string_view Next() {
    if (lf_ < at_)
      lf_ = text_.find('\n', at_);
    const std::size_t before_lf = lf_ == std::string_view::npos ? lf_ : lf_ - at_;
    const std::size_t cr = text_.substr(at_, before_lf).find('\r');
    const std::size_t end = cr == std::string_view::npos ? lf_ : at_ + cr;
    std::size_t next = text_.size();
    if (end != std::string_view::npos) {
      const bool crlf = text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
      next = end + (crlf ? 2 : 1);
    }
    const std::string_view line = text_.substr(at_, next - at_);
    at_ = next;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t lf_;  // the first LF at or after at_, or npos; behind at_ once passed
};

// libcsv in strict mode, fed one line at a time so that every field and every
// error is known by its line and column: libcsv itself reports neither. Within
// a line, a field starts on it unless it is a quoted one begun on an earlier
// line, and an error is at the byte where libcsv stopped.
//
// Each record read goes to `on_record`, which may take it (moving it away) or
// only look at it: then the next record is read into the same one, its fields'
// strings reused, so that a file of uniform records allocates almost nothing
// after its first record.
class LocatingParser {
 public:
  using RecordSink = std::function<void(CsvRecord&)>;

  LocatingParser(CsvSeparator separator, RecordSink on_record) : on_record_(std::move(on_record)) {
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
    LineCutter lines(text);
    while (!lines.Done()) {
      if (first_record_only && records_read_ > 0)
        return;
      const std::string_view line = lines.Next();
      if (!Feed(line))
        return;
      if (IsLineEnd(line.back()))
        ++line_;
    }
    if (first_record_only && records_read_ > 0)
      return;
    if (csv_fini(&parser_, OnField, OnRecordEnd, this) != 0 || out_of_memory_)
      Fail(CsvErrorKind::UnterminatedQuote, field_line_);
  }

  const std::optional<CsvError>& error() const { return error_; }

  // The fields of the last record read, or those read before an error cut
  // the first one short.
  qsizetype LastRecordFieldCount() const {
    return records_read_ > 0 ? fields_per_record_ : fields_in_record_;
  }

 private:
  // Feeds one line, its line end included.
  bool Feed(std::string_view line) {
    // Line ends between records are skipped by libcsv: they start nothing.
    if (at_record_start_ && !IsLineEnd(line.front())) {
      at_record_start_ = false;
      current_.line = field_line_ = line_;
      current_.fields.reserve(fields_per_record_);
      fields_in_record_ = 0;
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
      error_ = CsvError{kind, line, static_cast<int>(fields_in_record_) + 1};
  }

  // The callbacks run inside libcsv, which is C: no exception may leave them.
  // Once memory has run out they do nothing, and the parse stops after the
  // line being fed.
  static void OnField(void* bytes, std::size_t size, void* data) {
    auto& self = *static_cast<LocatingParser*>(data);
    if (self.out_of_memory_)
      return;
    try {
      const std::string_view text(static_cast<const char*>(bytes), size);
      const int column = static_cast<int>(self.fields_in_record_) + 1;
      QList<CsvField>& fields = self.current_.fields;
      if (self.fields_in_record_ < fields.size())
        fields[self.fields_in_record_].Reuse(text, self.field_line_, column);
      else
        fields.append({std::string(text), self.field_line_, column});
      ++self.fields_in_record_;
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
      self.current_.fields.resize(self.fields_in_record_);
      self.fields_per_record_ = self.fields_in_record_;
      ++self.records_read_;
      self.on_record_(self.current_);
    } catch (const std::bad_alloc&) {
      self.out_of_memory_ = true;
    }
    self.at_record_start_ = true;
  }

  csv_parser parser_{};
  RecordSink on_record_;
  CsvRecord current_;
  qsizetype records_read_ = 0;
  qsizetype fields_in_record_ = 0;  // of current_, whose list may hold more from a longer record
  bool at_record_start_ = true;
  qsizetype fields_per_record_ = 0;
  int line_ = 1;        // of the byte being fed
  int field_line_ = 1;  // where the field being read starts
  bool out_of_memory_ = false;
  std::optional<CsvError> error_;
};

// The bytes as UTF-8 text: a view of them when they are UTF-8 already, else
// of `converted`, which holds them converted.
std::string_view ToUtf8(QByteArrayView bytes, CsvEncoding& encoding, std::string& converted) {
  const auto view_of = [](QByteArrayView utf8) {
    return std::string_view(utf8.data(), static_cast<std::size_t>(utf8.size()));
  };
  // "Unicode text" of a spreadsheet: UTF-16 after its mark, which the decoder
  // drops; a lone surrogate or an odd last byte becomes U+FFFD.
  if (const auto utf16 = QStringConverter::encodingForData(bytes);
      utf16 == QStringConverter::Utf16LE || utf16 == QStringConverter::Utf16BE) {
    encoding = CsvEncoding::Utf16WithBom;
    QStringDecoder decoder(*utf16, QStringConverter::Flag::Stateless);
    return converted = QString(decoder(bytes)).toStdString();
  }
  constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
  if (bytes.startsWith(kByteOrderMark)) {
    encoding = CsvEncoding::Utf8WithBom;
    bytes = bytes.sliced(kByteOrderMark.size());
    if (bytes.isValidUtf8())
      return view_of(bytes);
    // Broken sequences become U+FFFD, so that every field is valid UTF-8.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    return converted = QString(utf8(bytes)).toStdString();
  }
  // A sequence cut short at the end is no UTF-8 either.
  if (bytes.isValidUtf8()) {
    encoding = CsvEncoding::Utf8;
    return view_of(bytes);
  }
  encoding = CsvEncoding::Windows1251;
  return converted = Cp1251ToUtf8(view_of(bytes));
}

CsvSeparator DetectSeparator(std::string_view text) {
  CsvSeparator best = CsvSeparator::Comma;
  qsizetype best_fields = 1;
  for (CsvSeparator candidate : {CsvSeparator::Comma, CsvSeparator::Semicolon, CsvSeparator::Tab}) {
    LocatingParser header(candidate, [](CsvRecord&) {});
    header.Parse(text, true);
    // A count cut short by memory would pick the wrong separator.
    if (header.error() && header.error()->kind == CsvErrorKind::OutOfMemory)
      throw std::bad_alloc();
    if (header.LastRecordFieldCount() > best_fields) {
      best = candidate;
      best_fields = header.LastRecordFieldCount();
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

int CsvField::ToInt(bool* ok) const {
  // Plain digits, the usual case, are read here; anything else (a sign,
  // spaces, more digits than an int surely holds) as QString reads it.
  constexpr std::size_t kSurelyFits = 9;
  if (text.empty() || text.size() > kSurelyFits ||
      !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
    return Text().toInt(ok);
  int value = 0;
  for (char digit : text)
    value = value * 10 + (digit - '0');
  if (ok)
    *ok = true;
  return value;
}

void CsvField::Reuse(std::string_view new_text, int new_line, int new_column) {
  text.assign(new_text);
  line = new_line;
  column = new_column;
}

namespace {

CsvReadResult ReadInto(QByteArrayView bytes, LocatingParser::RecordSink on_record) {
  CsvReadResult result;
  try {
    std::string converted;
    const std::string_view text = ToUtf8(bytes, result.encoding, converted);
    result.separator = DetectSeparator(text);
    LocatingParser parser(result.separator, std::move(on_record));
    parser.Parse(text, false);
    result.error = parser.error();
  } catch (const std::bad_alloc&) {
    result.error = CsvError{CsvErrorKind::OutOfMemory, 0, 0};
  }
  return result;
}

}  // namespace

CsvReadResult ReadCsvRecords(QByteArrayView bytes, const CsvRecordVisitor& visit) {
  return ReadInto(bytes, [&visit](const CsvRecord& record) { visit(record); });
}

CsvReadResult ReadCsv(QByteArrayView bytes) {
  QList<CsvRecord> records;
  CsvReadResult result =
      ReadInto(bytes, [&records](CsvRecord& record) { records.append(std::move(record)); });
  if (!result.error)
    result.records = std::move(records);
  return result;
}
