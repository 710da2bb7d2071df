#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Where a field lies in a record and how the grid shows it. Storage is the raw
// little-endian bit pattern whatever the signedness; the signedness only says
// how the field is widened to 32 bits and printed.
struct FieldLayout {
  std::uint8_t offset;  // first byte within the record
  std::uint8_t width;   // 1, 2 or 4 bytes
  bool is_signed;
};

// The field widened to 32 bits: sign-extended when signed, zero-extended when
// not. A 4-byte unsigned field comes back as its bit pattern.
inline std::int32_t ReadField(const std::uint8_t* record, FieldLayout field);

// Stores the low 8, 16 or 32 bits of `value`; larger values wrap.
void StoreField(std::uint8_t* record, FieldLayout field, std::int32_t value);

// The decimal text the grid shows for a widened field value: signed with a
// leading minus, or unsigned (the 32-bit pattern read as 0..4294967295).
std::string FieldText(std::int32_t value, bool is_signed);
// Room for that text of any value: "-2147483648" or "4294967295".
using FieldTextBuffer = std::array<char, 11>;
// The same text written into `buffer`, for a writer of many fields that spares
// a string each; the view is into `buffer`.
std::string_view FieldTextIn(FieldTextBuffer& buffer, std::int32_t value, bool is_signed);

// Keeps the low bits of `value` that a field of `width` bytes holds, widened
// again as the field would be read back.
inline std::int32_t WrapToField(std::int32_t value, std::uint8_t width, bool is_signed) {
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

// The low bits of a whole number that a field of `layout` holds, widened as
// the field reads back: the number itself when the field can hold it, the
// wrap of typing it otherwise.
inline std::int32_t WrapNumberToField(std::int64_t number, FieldLayout layout) {
  return WrapToField(static_cast<std::int32_t>(static_cast<std::uint32_t>(number)), layout.width,
                     layout.is_signed);
}

// The value the grid shows, as a number: an unsigned 4-byte field's bit
// pattern read as 0 to 4294967295. Exact; a double made from it is exact too.
inline std::int64_t ShownNumber(std::int32_t value, FieldLayout layout) {
  if (!layout.is_signed && layout.width == 4)
    return static_cast<std::uint32_t>(value);
  return value;
}

// Inline, as WrapToField: a diff or a judged patch reads every field.
inline std::int32_t ReadField(const std::uint8_t* record, FieldLayout field) {
  std::uint32_t bits = 0;
  for (int i = field.width - 1; i >= 0; --i)
    bits = (bits << 8) | record[field.offset + i];
  return WrapToField(static_cast<std::int32_t>(bits), field.width, field.is_signed);
}
