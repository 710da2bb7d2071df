#include "csv_writer.h"

#include <QStringView>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool NeedsQuotes(QStringView field) {
  for (QChar c : field) {
    switch (c.unicode()) {
      case '"':
      case '\r':
      case '\n':
      case ',':
      case ';':
      case '\t':
        return true;
      default:
        break;
    }
  }
  return false;
}

void AppendField(QByteArray& out, const QString& field, bool alone_in_row) {
  if (field.isEmpty() && alone_in_row) {
    out += "\"\"";
    return;
  }
  if (!NeedsQuotes(field)) {
    out += field.toUtf8();
    return;
  }
  out += '"';
  out += QString(field).replace(QLatin1Char('"'), QLatin1String("\"\"")).toUtf8();
  out += '"';
}

}  // namespace

QByteArray WriteCsv(const QList<QStringList>& rows, CsvSeparator separator) {
  QByteArray out(kByteOrderMark);
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i) {
      if (i > 0)
        out += static_cast<char>(separator);
      AppendField(out, row[i], row.size() == 1);
    }
    out += "\r\n";
  }
  return out;
}
