// Checks the grid's number parse against a second, independently written
// parse of the same rules, on arbitrary text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "tables/number_parse.h"

namespace {

constexpr std::string_view kDecimalDigits = "0123456789";
constexpr std::string_view kHexDigits = "0123456789abcdefABCDEF";

std::uint32_t DigitValue(char c) {
  if (c >= 'a')
    return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A')
    return static_cast<std::uint32_t>(c - 'A' + 10);
  return static_cast<std::uint32_t>(c - '0');
}

// The rules, read one by one: spaces, one sign, an optional hexadecimal
// prefix, digits only up to the end; at most 8 significant hexadecimal digits,
// a decimal value within the signed 32-bit range.
std::optional<std::int32_t> ReferenceParse(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return std::nullopt;  // empty, or spaces only
  text.remove_prefix(first);
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool hexadecimal = false;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    hexadecimal = true;
    text.remove_prefix(2);
  } else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
    hexadecimal = true;
    text.remove_prefix(1);
  }
  if (text.empty() ||
      text.find_first_not_of(hexadecimal ? kHexDigits : kDecimalDigits) != std::string_view::npos)
    return std::nullopt;
  const std::size_t significant_start = text.find_first_not_of('0');
  const std::string_view significant = significant_start == std::string_view::npos
                                           ? std::string_view()
                                           : text.substr(significant_start);
  if (hexadecimal) {
    if (significant.size() > 8)
      return std::nullopt;
    std::int64_t value = 0;
    for (char c : significant)
      value = value * 16 + DigitValue(c);
    if (negative)
      value = (std::int64_t{1} << 32) - value;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFF));
  }
  // Decimal: compare the digits as text with the limit before any arithmetic.
  const std::string_view limit = negative ? "2147483648" : "2147483647";
  if (significant.size() > limit.size() ||
      (significant.size() == limit.size() && significant > limit))
    return std::nullopt;
  std::int64_t value = 0;
  for (char c : significant)
    value = value * 10 + DigitValue(c);
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string Describe(const std::optional<std::int32_t>& value) {
  return value ? std::to_string(*value) : std::string("not a number");
}

[[noreturn]] void Mismatch(std::string_view text, const std::optional<std::int32_t>& parsed,
                           const std::optional<std::int32_t>& expected) {
  std::fprintf(stderr, "number parse mismatch on \"%.*s\" (%zu bytes): got %s, expected %s\n",
               static_cast<int>(text.size()), text.data(), text.size(), Describe(parsed).c_str(),
               Describe(expected).c_str());
  std::abort();
}

void Check(std::string_view text) {
  const std::optional<std::int32_t> parsed = ParseGridNumber(text);
  const std::optional<std::int32_t> expected = ReferenceParse(text);
  if (parsed != expected)
    Mismatch(text, parsed, expected);
  if (ParseGridNumberOr(text, 12345) != expected.value_or(12345))
    Mismatch(text, ParseGridNumberOr(text, 12345), expected.value_or(12345));
  // The whole-number reading takes the texts the grid takes, and more digits:
  // wherever the grid gives a value, it gives the same one modulo 2^32, and
  // where the grid gives none, it gives none within 32 bits.
  const WholeNumber whole = ParseWholeNumber(text);
  const bool agrees = expected ? whole.kind == WholeNumber::Kind::kNumber &&
                                     static_cast<std::uint32_t>(whole.value) ==
                                         static_cast<std::uint32_t>(*expected)
                               : whole.kind != WholeNumber::Kind::kNumber ||
                                     whole.value > INT32_MAX || whole.value < INT32_MIN;
  if (!agrees)
    Mismatch(text,
             whole.kind == WholeNumber::Kind::kNumber
                 ? std::optional<std::int32_t>(static_cast<std::int32_t>(whole.value))
                 : std::nullopt,
             expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Check(text);
  // Every value a field can show, as the grid prints it, parses back to itself.
  if (size >= 4) {
    std::int32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    const std::string shown = std::to_string(value);
    if (ParseGridNumber(shown) != value)
      Mismatch(shown, ParseGridNumber(shown), value);
    Check(shown);
  }
  return 0;
}
