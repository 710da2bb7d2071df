#include "document/range_edit.h"

#include <QCoreApplication>
#include <algorithm>

#include "document/formula.h"
#include "tables/field_input.h"

namespace {

// Multiplies by `hundredths` / 10000 (hundredths of a percent), rounded half
// away from zero. A value within 32 bits times a percentage of up to ten
// billion, as the dialog takes them, is past 64 bits, so the percentage is
// taken in whole hundreds and the rest: value * (10000 q + r) / 10000 is
// value * q plus value * r / 10000, and as q and r share the percentage's
// sign, only the second part needs rounding.
std::int64_t Percent(std::int64_t value, std::int64_t hundredths) {
  const std::int64_t whole = value * (hundredths / 10000);
  const std::int64_t rest = value * (hundredths % 10000);
  const std::int64_t rounded = ((rest < 0 ? -rest : rest) + 5000) / 10000;
  return whole + (rest < 0 ? -rounded : rounded);
}

}  // namespace

RangeResult ApplyRangeEdit(const RangeEdit& edit, FieldLayout layout, std::int32_t value) {
  const std::int64_t number = ShownNumber(value, layout);
  std::int64_t result = number;
  switch (edit.operation) {
    case RangeEdit::Operation::Set:
      result = edit.amount;
      break;
    case RangeEdit::Operation::Add:
      result = number + edit.amount;
      break;
    case RangeEdit::Operation::Subtract:
      result = number - edit.amount;
      break;
    case RangeEdit::Operation::Multiply:
      result = Percent(number, edit.amount * 100 + edit.hundredths);
      break;
    case RangeEdit::Operation::Limit:
      result = std::clamp(number, std::min(edit.low, edit.high), std::max(edit.low, edit.high));
      break;
    case RangeEdit::Operation::Formula:  // planned by PlanFormulaEdit, entry by entry
      break;
  }
  return WholeNumberToField(result, layout, edit.wrap);
}

RangeResult WholeNumberToField(std::int64_t number, FieldLayout layout, bool wrap) {
  const FieldRange range = RangeOf(layout);
  const bool fitted = number >= range.low && number <= range.high;
  if (!fitted && !wrap)
    number = std::clamp(number, range.low, range.high);
  // Exact for a number that fitted or was limited, the wrap of typing otherwise.
  return {WrapNumberToField(number, layout), fitted};
}

RangeEditPlan PlanRangeEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                            const RangeEdit& edit) {
  RangeEditPlan plan;
  if (!document.IsLoaded())
    return plan;
  if (edit.operation == RangeEdit::Operation::Formula)
    return PlanFormulaEdit(document, fields, edit.formula, edit.wrap);
  for (const FieldRef& field : fields) {
    if (!IsField(field))
      continue;
    ++plan.cells;
    if (document.HasTypedText(field) && document.Mark(field) == CellMark::NotANumber) {
      ++plan.not_numbers;
      continue;
    }
    const std::int32_t now = document.ValueAfterCommit(field);
    const RangeResult result = ApplyRangeEdit(edit, FieldOf(field.table, field.column), now);
    if (!result.fitted)
      ++plan.out_of_range;
    if (result.value != now)
      PlanChange(document, plan, field, result.value);
  }
  return plan;
}

void PlanChange(const TableDocument& document, RangeEditPlan& plan, const FieldRef& field,
                std::int32_t value) {
  (document.IsPastEnd(field) ? plan.past_end : plan.changes).push_back({field, value});
}

QString PastEndCellsText(qsizetype count) {
  return QCoreApplication::translate(
             "RangeEdit",
             "Ячеек за концом файла: %1; их записей в файле нет, они останутся как есть.")
      .arg(count);
}

QString RangeEditSummary(const RangeEditPlan& plan, bool wrap) {
  QString text = QCoreApplication::translate("RangeEdit", "Изменится ячеек: %1 из %2.")
                     .arg(plan.changes.size())
                     .arg(plan.cells);
  if (plan.out_of_range > 0) {
    text += QCoreApplication::translate("RangeEdit", "\nНе помещаются в своё поле: %1; ")
                .arg(plan.out_of_range);
    text += wrap
                ? QCoreApplication::translate("RangeEdit", "они будут перенесены, как при вводе.")
                : QCoreApplication::translate("RangeEdit", "они будут ограничены диапазоном поля.");
  }
  if (!plan.past_end.empty())
    text += QLatin1Char('\n') + PastEndCellsText(static_cast<qsizetype>(plan.past_end.size()));
  if (plan.not_numbers > 0)
    text += QCoreApplication::translate("RangeEdit", "\nНе числа, оставлены как есть: %1.")
                .arg(plan.not_numbers);
  if (plan.not_number_results > 0)
    text += QCoreApplication::translate("RangeEdit",
                                        "\nРезультат формулы не число, ячейка оставлена как "
                                        "есть: %1.")
                .arg(plan.not_number_results);
  if (!plan.error.isEmpty())
    text = QCoreApplication::translate("RangeEdit", "Ничего не изменится: %1").arg(plan.error);
  return text;
}

void CarryOut(TableDocument& document, const RangeEditPlan& plan) {
  SetFieldValues(document, QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "изменение выделенных")),
                 plan.changes);
}
