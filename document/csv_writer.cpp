#include "csv_writer.h"

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

void Append(QByteArray& out, std::string_view text) {
  out.append(text.data(), static_cast<qsizetype>(text.size()));
}

void AppendQuoted(QByteArray& out, std::string_view field) {
  out += '"';
  for (std::size_t quote = field.find('"'); quote != std::string_view::npos;
       quote = field.find('"')) {
    Append(out, field.substr(0, quote + 1));
    out += '"';
    field.remove_prefix(quote + 1);
  }
  Append(out, field);
  out += '"';
}

}  // namespace

CsvWriter::CsvWriter(CsvSeparator separator, qsizetype expected_size) : separator_(separator) {
  out_.reserve(static_cast<qsizetype>(kByteOrderMark.size()) + expected_size);
  Append(out_, kByteOrderMark);
}

void CsvWriter::AddField(std::string_view utf8) {
  if (fields_in_row_ > 0)
    out_ += static_cast<char>(separator_);
  if (std::ranges::none_of(utf8, NeedsQuotes))
    Append(out_, utf8);
  else
    AppendQuoted(out_, utf8);
  ++fields_in_row_;
  last_field_empty_ = utf8.empty();
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
