#include "field_input.h"

#include <string>

#include "number_parse.h"

namespace {

// The largest value an unsigned field of `width` bytes holds.
std::uint64_t UnsignedMax(std::uint8_t width) {
  return (std::uint64_t{1} << (8 * width)) - 1;
}

// Decimal digits as the grid's parse writes them (leading spaces, an optional
// plus), naming a value an unsigned field holds.
bool ParseUnsignedDecimal(std::string_view text, std::uint8_t width, std::uint32_t& value) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  if (text.empty())
    return false;
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    if (magnitude > UnsignedMax(width))
      return false;
  }
  value = static_cast<std::uint32_t>(magnitude);
  return true;
}

}  // namespace

FieldInput ReadFieldInput(std::string_view text, FieldLayout field, std::int32_t current,
                          TextSource source) {
  if (const auto parsed = ParseGridNumber(text))
    return {InputVerdict::Number, WrapToField(*parsed, field.width, field.is_signed)};
  std::uint32_t value = 0;
  if (source == TextSource::File && !field.is_signed &&
      ParseUnsignedDecimal(text, field.width, value))
    return {InputVerdict::Number, static_cast<std::int32_t>(value)};
  // An unsigned value above the signed range is shown in digits that the
  // grid's parse refuses; they keep the field's very value, so they are no
  // mistake.
  if (text == FieldText(current, field.is_signed))
    return {InputVerdict::OwnText, current};
  return {InputVerdict::NotANumber, current};
}
