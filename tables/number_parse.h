#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The grid's number parse: turns the text of a cell into a signed 32-bit value,
// or says that the text is not a number.
//
// Accepted: leading spaces (code 32 only), at most one sign, then either
//   - a hexadecimal prefix ("$", "x", "X", "0x" or "0X") and 1 or more hex
//     digits of which at most 8 are significant; the value is the 32-bit
//     pattern they spell, negated modulo 2^32 after a "-"; or
//   - decimal digits whose signed value lies in -2147483648..2147483647.
// Nothing may follow the last digit, not even a space.
std::optional<std::int32_t> ParseGridNumber(std::string_view text);

// What a commit stores for a cell: the parsed value, or `fallback` (the
// field's current value) when the text is not a number.
inline std::int32_t ParseGridNumberOr(std::string_view text, std::int32_t fallback) {
  return ParseGridNumber(text).value_or(fallback);
}

// A whole number in any form a cell takes, read as a sign and a magnitude
// rather than as a field's 32-bit pattern: "$FFFFFFFF" is 4294967295, "-$10"
// is -16, and decimal digits go past 32 bits. For numbers that are amounts to
// work with rather than a field's value. Magnitudes past kWholeNumberLimit are
// too large.
inline constexpr std::uint64_t kWholeNumberLimit = 1'000'000'000'000'000'000ULL;
struct WholeNumber {
  enum class Kind { kNotANumber, kTooLarge, kNumber };
  Kind kind = Kind::kNotANumber;
  std::int64_t value = 0;  // for kNumber
};
WholeNumber ParseWholeNumber(std::string_view text);
