#include "document/range_edit_number.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include "tables/number_parse.h"

RangeEditNumber ReadRangeEditNumber(const QString& text) {
  const WholeNumber number = ParseWholeNumber(text.trimmed().toStdString());
  if (number.kind == WholeNumber::Kind::kNumber && number.value >= -kRangeEditLargest &&
      number.value <= kRangeEditLargest)
    return {number.value, {}};
  if (number.kind == WholeNumber::Kind::kNotANumber)
    return {std::nullopt, QCoreApplication::translate("RangeEditNumber", "Введите целое число.")};
  return {std::nullopt, QCoreApplication::translate("RangeEditNumber",
                                                    "Число вне допустимого диапазона: от %1 до %2.")
                            .arg(-kRangeEditLargest)
                            .arg(kRangeEditLargest)};
}

RangeEditPercent ReadRangeEditPercent(const QString& text) {
  static const QRegularExpression decimal(QStringLiteral("^([+-]?)(\\d{1,11})[.,](\\d{1,2})$"));
  const QRegularExpressionMatch match = decimal.match(text.trimmed());
  if (!match.hasMatch()) {
    const RangeEditNumber whole = ReadRangeEditNumber(text);
    if (!whole.value &&
        ParseWholeNumber(text.trimmed().toStdString()).kind == WholeNumber::Kind::kNotANumber)
      return {std::nullopt, 0,
              QCoreApplication::translate("RangeEditNumber",
                                          "Введите число, можно с двумя знаками после запятой.")};
    return {whole.value, 0, whole.problem};
  }
  const bool negative = match.captured(1) == QLatin1String("-");
  const std::int64_t whole = match.captured(2).toLongLong();
  std::int64_t hundredths = match.captured(3).toLongLong();
  if (match.captured(3).size() == 1)
    hundredths *= 10;
  if (whole > kRangeEditLargest || (whole == kRangeEditLargest && hundredths > 0))
    return {std::nullopt, 0,
            QCoreApplication::translate("RangeEditNumber",
                                        "Число вне допустимого диапазона: от %1 до %2.")
                .arg(-kRangeEditLargest)
                .arg(kRangeEditLargest)};
  return {negative ? -whole : whole, negative ? -hundredths : hundredths, {}};
}
