#include "formats/csv_writer.h"

#include <algorithm>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// All of them ASCII, so they are found in UTF-8 text byte by byte: no byte of
// a multi-byte character is below 0x80.
bool NeedsQuotes(char c) {
  switch (c) {
    case '"':
    case '\r':
    case '\n':
    case ',':
    case ';':
    case '\t':
      return true;
    default:
      return false;
  }
}

void AppendQuoted(std::string& out, std::string_view field) {
  out += '"';
  for (std::size_t quote = field.find('"'); quote != std::string_view::npos;
       quote = field.find('"')) {
    out.append(field.substr(0, quote + 1));
    out += '"';
    field.remove_prefix(quote + 1);
  }
  out.append(field);
  out += '"';
}

}  // namespace

CsvWriter::CsvWriter(CsvSeparator separator, qsizetype expected_size) : separator_(separator) {
  out_.reserve(kByteOrderMark.size() +
               static_cast<std::size_t>(std::max<qsizetype>(expected_size, 0)));
  out_.append(kByteOrderMark);
}

void CsvWriter::AddField(std::string_view utf8) {
  if (fields_in_row_ > 0)
    out_ += static_cast<char>(separator_);
  if (std::ranges::none_of(utf8, NeedsQuotes))
    out_.append(utf8);
  else
    AppendQuoted(out_, utf8);
  ++fields_in_row_;
  last_field_empty_ = utf8.empty();
}

QByteArray CsvWriter::Take() {
  QByteArray text(out_.data(), static_cast<qsizetype>(out_.size()));
  out_.clear();
  return text;
}

void CsvWriter::EndRow() {
  if (fields_in_row_ == 1 && last_field_empty_)
    out_ += "\"\"";
  out_ += "\r\n";
  fields_in_row_ = 0;
}

QByteArray WriteCsv(const QList<QStringList>& rows, CsvSeparator separator) {
  CsvWriter writer(separator);
  for (const QStringList& row : rows) {
    for (const QString& field : row) {
      const QByteArray utf8 = field.toUtf8();
      writer.AddField({utf8.constData(), static_cast<std::size_t>(utf8.size())});
    }
    writer.EndRow();
  }
  return writer.Take();
}
