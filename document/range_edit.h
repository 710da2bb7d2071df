#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "document/table_document.h"

// One operation applied to every cell of a range at once.
struct RangeEdit {
  enum class Operation {
    Set,       // the value becomes `amount`
    Add,       // `amount` is added
    Subtract,  // `amount` is subtracted
    Multiply,  // multiplied by `amount` and `hundredths` percent, rounded half
               // away from zero
    Limit,     // kept within [low, high]
    Formula,   // the result of `formula` (formula.h), rounded as Multiply is
  };
  Operation operation = Operation::Set;
  std::int64_t amount = 0;
  std::int64_t low = 0;
  std::int64_t high = 0;
  // A result the field cannot hold keeps its low bits, as typing it would;
  // otherwise it is limited to the field's range.
  bool wrap = false;
  // Formula: the formula's text.
  QString formula = {};
  // Multiply: the hundredths of a percent past `amount`, of the same sign
  // (12.5 % is 12 and 50).
  std::int64_t hundredths = 0;
};

// What an operation would do to a range, worked out before anything changes.
struct RangeEditPlan {
  int cells = 0;         // fields in the range
  int not_numbers = 0;   // cells whose text is not a number: left alone
  int out_of_range = 0;  // results the field cannot hold
  // Formula: results that are not a finite number (their cells are left
  // alone), and the first error, with its line; with an error nothing changes.
  int not_number_results = 0;
  QString error;
  // The fields whose value changes, with their new values.
  std::vector<FieldValueChange> changes;
  // The changes asked of fields whose record lies past the end of the file
  // (TableDocument::IsPastEnd): refused, never carried out.
  std::vector<FieldValueChange> past_end;
};

// Puts the change of `field` to `value` into the plan: among its changes, or
// among those refused when the field lies past the end of the file.
void PlanChange(const TableDocument& document, RangeEditPlan& plan, const FieldRef& field,
                std::int32_t value);
// What becomes of `count` cells that a command would change but that lie past
// the end of the file, one sentence for the user.
QString PastEndCellsText(qsizetype count);

// The result of `edit` on a field of `layout` holding `value` (widened as the
// grid shows it), and whether that result fitted the field before it was
// limited or wrapped.
struct RangeResult {
  std::int32_t value = 0;
  bool fitted = true;
};
RangeResult ApplyRangeEdit(const RangeEdit& edit, FieldLayout layout, std::int32_t value);
// A whole number for a field of `layout`, as every range edit writes its
// result back: the number when the field holds it; otherwise limited to the
// field's range, or its low bits with `wrap`.
RangeResult WholeNumberToField(std::int64_t number, FieldLayout layout, bool wrap);

// The plan for `fields` of `document`: each cell's value is what a commit of
// its text would store. A formula is planned by PlanFormulaEdit (formula.h).
RangeEditPlan PlanRangeEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                            const RangeEdit& edit);
// What the plan will do, for the user to read before it is carried out.
QString RangeEditSummary(const RangeEditPlan& plan, bool wrap);
// Carries out the plan as one step of the document's history.
void CarryOut(TableDocument& document, const RangeEditPlan& plan);
