#include "field_text_input.h"

#include "number_parse.h"

FieldTextInput JudgeFieldText(const TableDocument& document, const FieldRef& field,
                              const std::string& text) {
  if (text == document.CellText(field))
    return FieldTextInput::Unchanged;
  return ParseGridNumber(text) ? FieldTextInput::Number : FieldTextInput::NotANumber;
}

void PutFieldText(TableDocument& document, const FieldRef& field, const std::string& text) {
  if (JudgeFieldText(document, field, text) == FieldTextInput::Number)
    document.SetFieldText(field, text);
}
