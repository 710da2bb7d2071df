#include "document/field_text_input.h"

FieldTextVerdict JudgeFieldText(const TableDocument& document, const FieldRef& field,
                                std::string_view text, OutOfRange handling) {
  if (text == document.CellText(field))
    return {FieldTextInput::Unchanged, 0, {}};
  FileInput input = ReadFileInput(text, FieldOf(field.table, field.column), handling);
  // A field past the end of the file takes no new value (TableDocument::IsPastEnd).
  const bool past_end = document.IsPastEnd(field);
  switch (input.verdict) {
    case FileVerdict::Fits:
      if (past_end && input.value != document.ValueAfterCommit(field))
        return {FieldTextInput::PastEnd, input.value, {}};
      return {FieldTextInput::Number, input.value, {}};
    case FileVerdict::OutOfRange:
      if (past_end)
        return {FieldTextInput::PastEnd, input.value, std::move(input.number)};
      return {FieldTextInput::OutOfRange, input.value, std::move(input.number)};
    case FileVerdict::NotAnInteger:
      return {FieldTextInput::NotAnInteger, 0, {}};
    case FileVerdict::NotANumber:
      break;
  }
  return {FieldTextInput::NotANumber, 0, {}};
}
