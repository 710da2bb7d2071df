#include "record_field.h"

#include <charconv>

std::int32_t ReadField(const std::uint8_t* record, FieldLayout field) {
  std::uint32_t bits = 0;
  for (int i = field.width - 1; i >= 0; --i)
    bits = (bits << 8) | record[field.offset + i];
  return WrapToField(static_cast<std::int32_t>(bits), field.width, field.is_signed);
}

void StoreField(std::uint8_t* record, FieldLayout field, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < field.width; ++i) {
    record[field.offset + i] = static_cast<std::uint8_t>(bits & 0xFF);
    bits >>= 8;
  }
}

std::string FieldText(std::int32_t value, bool is_signed) {
  FieldTextBuffer buffer;
  return std::string(FieldTextIn(buffer, value, is_signed));
}

std::string_view FieldTextIn(FieldTextBuffer& buffer, std::int32_t value, bool is_signed) {
  char* const first = buffer.data();
  char* const last = first + buffer.size();
  const std::to_chars_result written =
      is_signed ? std::to_chars(first, last, value)
                : std::to_chars(first, last, static_cast<std::uint32_t>(value));
  return {first, static_cast<std::size_t>(written.ptr - first)};
}

std::int32_t WrapToField(std::int32_t value, std::uint8_t width, bool is_signed) {
  const auto bits = static_cast<std::uint32_t>(value);
  switch (width) {
    case 1:
      return is_signed ? static_cast<std::int8_t>(bits) : static_cast<std::int32_t>(bits & 0xFF);
    case 2:
      return is_signed ? static_cast<std::int16_t>(bits) : static_cast<std::int32_t>(bits & 0xFFFF);
    default:
      return value;
  }
}
