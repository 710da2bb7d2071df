#include "tables/number_parse.h"

#include <cstddef>

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Length of a hexadecimal prefix at the start of `text`, or 0 if there is none.
std::size_t HexPrefixLength(std::string_view text) {
  if (text.empty())
    return 0;
  if (text[0] == '$' || text[0] == 'x' || text[0] == 'X')
    return 1;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return 2;
  return 0;
}

std::optional<std::uint32_t> ParseHexDigits(std::string_view digits) {
  if (digits.empty())
    return std::nullopt;
  std::uint32_t value = 0;
  int significant = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0)
      return std::nullopt;
    if (significant > 0 || digit != 0)
      ++significant;
    if (significant > 8)
      return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

// The magnitude of a decimal number, or nothing when it is not all digits or
// is beyond any 32-bit value.
std::optional<std::uint64_t> ParseDecimalDigits(std::string_view digits) {
  if (digits.empty())
    return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0x80000000ULL)
      return std::nullopt;
  }
  return value;
}

// A cell's text taken apart: leading spaces skipped, the sign, and the digits
// after a hexadecimal prefix, if any. The digits are not checked yet.
struct WrittenNumber {
  bool negative = false;
  bool hex = false;
  std::string_view digits;
};

WrittenNumber TakeApart(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ')
    ++start;
  text.remove_prefix(start);

  WrittenNumber written;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    written.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (const std::size_t prefix = HexPrefixLength(text); prefix > 0) {
    written.hex = true;
    text.remove_prefix(prefix);
  }
  written.digits = text;
  return written;
}

}  // namespace

std::optional<std::int32_t> ParseGridNumber(std::string_view text) {
  const WrittenNumber written = TakeApart(text);
  const bool negative = written.negative;
  if (written.hex) {
    const auto pattern = ParseHexDigits(written.digits);
    if (!pattern)
      return std::nullopt;
    const std::uint32_t bits = negative ? 0U - *pattern : *pattern;
    return static_cast<std::int32_t>(bits);
  }

  const auto magnitude = ParseDecimalDigits(written.digits);
  if (!magnitude)
    return std::nullopt;
  if (!negative && *magnitude > 0x7FFFFFFFULL)
    return std::nullopt;
  const std::int64_t value =
      negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
  return static_cast<std::int32_t>(value);
}

WholeNumber ParseWholeNumber(std::string_view text) {
  const WrittenNumber written = TakeApart(text);
  if (written.digits.empty())
    return {};
  const std::uint64_t base = written.hex ? 16 : 10;
  std::uint64_t magnitude = 0;
  bool too_large = false;
  for (char c : written.digits) {
    const int digit = written.hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0)
      return {};
    // Past the limit the digits are still checked: "1e999..." is no number.
    if (!too_large)
      magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
    too_large = too_large || magnitude > kWholeNumberLimit;
  }
  if (too_large)
    return {WholeNumber::Kind::kTooLarge, 0};
  const auto value = static_cast<std::int64_t>(magnitude);
  return {WholeNumber::Kind::kNumber, written.negative ? -value : value};
}
