#include "document/cell_hint.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdint>

#include "document/caption_language.h"
#include "document/comparison_file.h"
#include "tables/grid_shape.h"

namespace {

// Numbers in ranges are written as the grid shows values and as the user
// types them, with the ASCII hyphen for minus.
QString RangeNumber(std::int64_t value) {
  return QString::number(value);
}

QString WidthText(std::uint8_t width) {
  switch (width) {
    case 1:
      return QCoreApplication::translate("CellHint", "1 байт");
    case 2:
      return QCoreApplication::translate("CellHint", "2 байта");
    default:
      return QCoreApplication::translate("CellHint", "%1 байта").arg(width);
  }
}

}  // namespace

QString FieldKindHint(std::string_view caption, FieldLayout layout) {
  const int bits = 8 * layout.width;
  const std::int64_t low = layout.is_signed ? -(std::int64_t{1} << (bits - 1)) : 0;
  const std::int64_t high =
      layout.is_signed ? (std::int64_t{1} << (bits - 1)) - 1 : (std::int64_t{1} << bits) - 1;
  const QString kind = layout.is_signed
                           ? QCoreApplication::translate("CellHint", "целое со знаком")
                           : QCoreApplication::translate("CellHint", "целое без знака");
  return QCoreApplication::translate("CellHint", "%1: %2, %3, от %4 до %5")
      .arg(ShownCaption(caption), kind, WidthText(layout.width), RangeNumber(low),
           RangeNumber(high));
}

QString CellHint(const TableDocument& document, const FieldRef& field) {
  if (!document.IsLoaded() || !IsField(field))
    return {};
  const FieldLayout layout = FieldOf(field.table, field.column);
  QStringList lines{FieldKindHint(HeaderCaptions[field.table][field.column], layout)};
  if (document.IsPastEnd(field))
    lines.append(QCoreApplication::translate(
        "CellHint", "запись за концом файла: файл короче, это поле нельзя изменить"));
  if (document.HasTypedText(field)) {
    const QString text = QString::fromStdString(document.CellText(field));
    const QString stored =
        QString::fromStdString(FieldText(document.ValueAfterCommit(field), layout.is_signed));
    // The mark decides what is "not a number", so the hint never disagrees
    // with the cell's colour: the field's own digits are kept as they are.
    if (document.Mark(field) == CellMark::NotANumber)
      lines.append(QCoreApplication::translate("CellHint", "не число: останется %1").arg(stored));
    else if (stored != text)
      lines.append(
          QCoreApplication::translate("CellHint", "%1 → будет сохранено %2").arg(text, stored));
  }
  if (document.Comparison().Differs(field))
    lines.append(QCoreApplication::translate("CellHint", "в файле для сравнения: %1")
                     .arg(QString::fromStdString(
                         FieldText(document.Comparison().Value(field), layout.is_signed))));
  return lines.join(QLatin1Char('\n'));
}
