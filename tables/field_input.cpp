#include "tables/field_input.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "tables/number_parse.h"

namespace {

// A whole number as a file writes it, any size.
struct SpreadsheetNumber {
  bool negative = false;
  std::uint64_t magnitude = 0;  // UINT64_MAX for anything larger
  std::uint32_t low_bits = 0;   // the value modulo 2^32
  std::string digits;           // without leading zeros; empty for 0
};

enum class Reading { Whole, Fraction, NotANumber };

// The length of the grouping space at the start of `text`, or 0.
std::size_t GroupingSpace(std::string_view text) {
  if (text.starts_with(' '))
    return 1;
  if (text.starts_with("\u00A0"))
    return 2;
  if (text.starts_with("\u202F"))
    return 3;
  return 0;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits at the start of `text`, taken off it.
std::string_view TakeDigits(std::string_view& text) {
  std::size_t length = 0;
  while (length < text.size() && IsDigit(text[length]))
    ++length;
  const std::string_view digits = text.substr(0, length);
  text.remove_prefix(length);
  return digits;
}

void AddDigit(SpreadsheetNumber& number, char c) {
  const auto digit = static_cast<std::uint32_t>(c - '0');
  number.low_bits = number.low_bits * 10 + digit;
  if (number.digits.empty() && digit == 0)
    return;
  number.digits += c;
  constexpr std::uint64_t kMax = UINT64_MAX;
  number.magnitude = number.magnitude > (kMax - digit) / 10 ? kMax : number.magnitude * 10 + digit;
}

// Leading spaces and a sign are the grid's; then groups of digits, the second
// and later of three each, and a fractional part.
Reading ReadDecimal(std::string_view text, SpreadsheetNumber& number) {
  while (text.starts_with(' '))
    text.remove_prefix(1);
  if (text.starts_with('-') || text.starts_with('+')) {
    number.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::vector<std::string_view> groups{TakeDigits(text)};
  while (const std::size_t space = GroupingSpace(text)) {
    text.remove_prefix(space);
    groups.push_back(TakeDigits(text));
  }
  if (groups.front().empty())
    return Reading::NotANumber;
  if (groups.size() > 1 && (groups.front().size() > 3 ||
                            std::any_of(groups.begin() + 1, groups.end(),
                                        [](std::string_view group) { return group.size() != 3; })))
    return Reading::NotANumber;
  for (std::string_view group : groups)
    for (const char c : group)
      AddDigit(number, c);
  if (number.negative)
    number.low_bits = 0U - number.low_bits;
  if (number.magnitude == 0)
    number.negative = false;
  if (text.empty())
    return Reading::Whole;
  if (text.front() != '.' && text.front() != ',')
    return Reading::NotANumber;
  text.remove_prefix(1);
  const std::string_view fraction = TakeDigits(text);
  if (fraction.empty() || !text.empty())
    return Reading::NotANumber;
  return fraction.find_first_not_of('0') == std::string_view::npos ? Reading::Whole
                                                                   : Reading::Fraction;
}

bool IsHex(std::string_view text) {
  while (text.starts_with(' '))
    text.remove_prefix(1);
  if (text.starts_with('-') || text.starts_with('+'))
    text.remove_prefix(1);
  return text.starts_with('$') || text.starts_with('x') || text.starts_with('X') ||
         text.starts_with("0x") || text.starts_with("0X");
}

// The number a field's bits stand for when they are read as `field` is: an
// unsigned pattern as 0 to 4294967295, a signed one as -2^31 to 2^31 - 1.
SpreadsheetNumber FromPattern(std::uint32_t bits, FieldLayout field) {
  const std::int64_t value =
      field.is_signed ? std::int64_t{static_cast<std::int32_t>(bits)} : std::int64_t{bits};
  SpreadsheetNumber number;
  number.negative = value < 0;
  number.magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
  number.low_bits = bits;
  number.digits = number.magnitude == 0 ? std::string() : std::to_string(number.magnitude);
  return number;
}

FileInput Judge(const SpreadsheetNumber& number, FieldLayout field, OutOfRange handling) {
  const FieldRange range = RangeOf(field);
  const bool fits = number.negative ? number.magnitude <= static_cast<std::uint64_t>(-range.low)
                                    : number.magnitude <= static_cast<std::uint64_t>(range.high);
  if (fits) {
    const auto magnitude = static_cast<std::int64_t>(number.magnitude);
    return {
        FileVerdict::Fits, WrapNumberToField(number.negative ? -magnitude : magnitude, field), {}};
  }
  const std::int32_t value =
      handling == OutOfRange::Wrap
          ? WrapToField(static_cast<std::int32_t>(number.low_bits), field.width, field.is_signed)
          : WrapNumberToField(number.negative ? range.low : range.high, field);
  return {FileVerdict::OutOfRange, value,
          (number.negative ? "-" : "") + (number.digits.empty() ? "0" : number.digits)};
}

}  // namespace

FieldRange RangeOf(FieldLayout field) {
  const int bits = 8 * field.width;
  if (field.is_signed)
    return {-(std::int64_t{1} << (bits - 1)), (std::int64_t{1} << (bits - 1)) - 1};
  return {0, (std::int64_t{1} << bits) - 1};
}

FileInput ReadFileInput(std::string_view text, FieldLayout field, OutOfRange handling) {
  if (IsHex(text)) {
    const std::optional<std::int32_t> parsed = ParseGridNumber(text);
    if (!parsed)
      return {};
    const auto bits = static_cast<std::uint32_t>(*parsed);
    // Bits the field has room for are its value, whatever its sign.
    if (field.width == 4 || bits >> (8 * field.width) == 0)
      return {FileVerdict::Fits, WrapToField(*parsed, field.width, field.is_signed), {}};
    return Judge(FromPattern(bits, field), field, handling);
  }
  SpreadsheetNumber number;
  switch (ReadDecimal(text, number)) {
    case Reading::Whole:
      return Judge(number, field, handling);
    case Reading::Fraction:
      return {FileVerdict::NotAnInteger, 0, {}};
    case Reading::NotANumber:
      break;
  }
  return {};
}

FieldInput ReadFieldInput(std::string_view text, FieldLayout field, std::int32_t current,
                          TextSource source) {
  if (source == TextSource::File) {
    const FileInput input = ReadFileInput(text, field, OutOfRange::Wrap);
    if (input.verdict == FileVerdict::Fits || input.verdict == FileVerdict::OutOfRange)
      return {InputVerdict::Number, input.value};
  } else if (const auto parsed = ParseGridNumber(text)) {
    return {InputVerdict::Number, WrapToField(*parsed, field.width, field.is_signed)};
  }
  // An unsigned value above the signed range is shown in digits that the
  // grid's parse refuses; they keep the field's very value, so they are no
  // mistake.
  if (text == FieldText(current, field.is_signed))
    return {InputVerdict::OwnText, current};
  return {InputVerdict::NotANumber, current};
}
