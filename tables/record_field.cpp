#include "tables/record_field.h"

#include <charconv>

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
