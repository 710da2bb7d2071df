#include "field_text_input.h"

FieldTextVerdict JudgeFieldText(const TableDocument& document, const FieldRef& field,
                                std::string_view text, OutOfRange handling) {
  if (text == document.CellText(field))
    return {FieldTextInput::Unchanged, 0, {}};
  FileInput input = ReadFileInput(text, FieldOf(field.table, field.column), handling);
  switch (input.verdict) {
    case FileVerdict::Fits:
      return {FieldTextInput::Number, input.value, {}};
    case FileVerdict::OutOfRange:
      return {FieldTextInput::OutOfRange, input.value, std::move(input.number)};
    case FileVerdict::NotAnInteger:
      return {FieldTextInput::NotAnInteger, 0, {}};
    case FileVerdict::NotANumber:
      break;
  }
  return {FieldTextInput::NotANumber, 0, {}};
}
