#include "field_text_input.h"

#include "field_input.h"

FieldTextVerdict JudgeFieldText(const TableDocument& document, const FieldRef& field,
                                std::string_view text) {
  if (text == document.CellText(field))
    return {FieldTextInput::Unchanged, 0};
  const FieldInput input = ReadFieldInput(
      text, FieldOf(field.table, field.column),
      FieldValue(document.Committed(), field.table, field.entry, field.column), TextSource::File);
  if (input.verdict == InputVerdict::Number)
    return {FieldTextInput::Number, input.value};
  return {FieldTextInput::NotANumber, 0};
}
