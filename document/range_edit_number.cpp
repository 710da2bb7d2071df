#include "range_edit_number.h"

#include <QCoreApplication>

#include "number_parse.h"

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
