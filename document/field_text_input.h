#pragma once

#include <cstdint>
#include <string_view>

#include "table_document.h"

// How a text from a CSV file or a change list is taken for a field: as
// ReadFieldInput takes file text, except that the text the cell shows now,
// typed text included, changes nothing. An exported table then always reads
// back with no change, even where a cell holds typed text that is no number.
enum class FieldTextInput {
  Unchanged,   // the cell shows this text now
  Number,      // the field takes `value`
  NotANumber,  // neither: refused
};

struct FieldTextVerdict {
  FieldTextInput input = FieldTextInput::NotANumber;
  std::int32_t value = 0;  // for a Number, widened as the grid shows it
};

FieldTextVerdict JudgeFieldText(const TableDocument& document, const FieldRef& field,
                                std::string_view text);
