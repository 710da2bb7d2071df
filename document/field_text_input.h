#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/table_document.h"
#include "tables/field_input.h"

// How a text from a CSV file or a change list is taken for a field: as
// ReadFileInput reads it, except that the text the cell shows now, typed text
// included, changes nothing. An exported table then always reads back with no
// change, even where a cell holds typed text that is no number.
enum class FieldTextInput {
  Unchanged,     // the cell shows this text now
  Number,        // the field takes `value`
  OutOfRange,    // a whole number the field cannot hold; `value` as the handling asked
  NotAnInteger,  // a fractional part that is not zero: refused
  NotANumber,    // neither: refused
  PastEnd,       // a new value for a field past the end of the file: refused
};

struct FieldTextVerdict {
  FieldTextInput input = FieldTextInput::NotANumber;
  std::int32_t value = 0;  // for a Number, widened as the grid shows it
  std::string number;      // for an OutOfRange, the number in decimal
};

FieldTextVerdict JudgeFieldText(const TableDocument& document, const FieldRef& field,
                                std::string_view text, OutOfRange handling);
