#pragma once

#include <cstdint>
#include <string_view>

#include "record_field.h"

// The one rule from a text to a field's value. The grid's commit, its marks
// and hints, CSV import and change lists all take text through it.

// Where the text comes from.
enum class TextSource {
  // Typed or pasted into a cell: the grid's number parse exactly, so decimal
  // text beyond the signed 32-bit range is no number and the field keeps its
  // value.
  Typed,
  // A CSV file or a change list: what typing takes, and besides the decimal
  // text of every value the field can hold (an unsigned 32-bit field up to
  // 4294967295), so that whatever an export writes reads back, edited or not.
  File,
};

enum class InputVerdict {
  Number,      // the text gives the field a value
  OwnText,     // no number, but the text the field shows now: it keeps its value
  NotANumber,  // no number: the field keeps its value
};

struct FieldInput {
  InputVerdict verdict = InputVerdict::NotANumber;
  // What the field holds afterwards, widened as the grid shows it: the number
  // in the field's low bits, or `current`.
  std::int32_t value = 0;
};

// What `text` makes of `field`, which holds `current` (widened as the grid
// shows it).
FieldInput ReadFieldInput(std::string_view text, FieldLayout field, std::int32_t current,
                          TextSource source);
