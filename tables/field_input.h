#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tables/record_field.h"

// The one rule from a text to a field's value. The grid's commit, its marks
// and hints, CSV import and change lists all take text through it.

// Where the text comes from.
enum class TextSource {
  // Typed or pasted into a cell: the grid's number parse exactly, so decimal
  // text beyond the signed 32-bit range is no number and the field keeps its
  // value.
  Typed,
  // A CSV file or a change list, read as ReadFileInput reads it, a value the
  // field cannot hold keeping its low bits as typing keeps them.
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

// The values a field holds, as the grid shows them: -128 to 127 for a signed
// byte, 0 to 4294967295 for an unsigned 4-byte field.
struct FieldRange {
  std::int64_t low = 0;
  std::int64_t high = 0;
};
FieldRange RangeOf(FieldLayout field);

// What becomes of a number from a file that its field cannot hold.
enum class OutOfRange {
  Refuse,  // a mistake in the file
  Limit,   // the nearer end of the field's range
  Wrap,    // its low bits, as typing it would store
};

enum class FileVerdict {
  Fits,          // the field holds the number
  OutOfRange,    // a whole number the field cannot hold
  NotAnInteger,  // a number with a fractional part that is not zero
  NotANumber,
};

struct FileInput {
  FileVerdict verdict = FileVerdict::NotANumber;
  // Fits: the value, widened as the grid shows it. OutOfRange: the same of
  // the number limited or wrapped, as the handling asked for (limited when
  // refused).
  std::int32_t value = 0;
  // OutOfRange: the number in decimal, for the user to read.
  std::string number;
};

// A text from a CSV file or a change list, as a spreadsheet writes numbers:
// besides what the grid's parse takes, decimal text of any length, with
// digits grouped in threes by spaces (U+0020, U+00A0 or U+202F) and a
// fractional part of zeros after "." or ",". Hexadecimal text is a bit
// pattern: it fits when the field holds those bits.
FileInput ReadFileInput(std::string_view text, FieldLayout field, OutOfRange handling);
