#pragma once

#include <string>

#include "table_document.h"

// How a text from a CSV file is taken for a field. The field gets it through
// SetFieldText, as if typed into its cell, except that the text the cell shows
// now leaves the field as it is: an exported table then always reads back with
// no change, even for unsigned values the grid's parse would refuse.
enum class FieldTextInput {
  Unchanged,   // the cell shows this text now
  Number,      // the grid's parse takes it
  NotANumber,  // neither: refused
};

FieldTextInput JudgeFieldText(const TableDocument& document, const FieldRef& field,
                              const std::string& text);

// Sets the field from `text` unless the cell shows it already.
void PutFieldText(TableDocument& document, const FieldRef& field, const std::string& text);
