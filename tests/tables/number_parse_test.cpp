#include "tables/number_parse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

std::optional<std::int32_t> P(const std::string& text) {
  return ParseGridNumber(text);
}

TEST(NumberParse, Decimal) {
  EXPECT_EQ(P("0"), 0);
  EXPECT_EQ(P("12"), 12);
  EXPECT_EQ(P("007"), 7);
  EXPECT_EQ(P("-0"), 0);
  EXPECT_EQ(P("+7"), 7);
  EXPECT_EQ(P("-7"), -7);
  EXPECT_EQ(P("2147483647"), 2147483647);
  EXPECT_EQ(P("-2147483648"), INT32_MIN);
  EXPECT_EQ(P("000000000000000000042"), 42);
  // Only leading spaces are skipped.
  EXPECT_EQ(P(" 12"), 12);
  EXPECT_EQ(P("    -3"), -3);
}

TEST(NumberParse, Hexadecimal) {
  EXPECT_EQ(P("$FF"), 255);
  EXPECT_EQ(P("0xff"), 255);
  EXPECT_EQ(P("0XfF"), 255);
  EXPECT_EQ(P("xFF"), 255);
  EXPECT_EQ(P("XFF"), 255);
  EXPECT_EQ(P("$1F"), 31);
  EXPECT_EQ(P("-$1"), -1);
  EXPECT_EQ(P("+$10"), 16);
  EXPECT_EQ(P("$FFFFFFFF"), -1);
  EXPECT_EQ(P("$80000000"), INT32_MIN);
  EXPECT_EQ(P("-$80000000"), INT32_MIN);
  EXPECT_EQ(P("$0000000001"), 1);
  EXPECT_EQ(P("  $7fffffff"), INT32_MAX);
}

TEST(NumberParse, TextThatIsNotANumber) {
  const char* const texts[] = {// Decimal out of the signed range.
                               "2147483648", "4294967295", "-2147483649", "99999999999999999999999",
                               // Anything but leading spaces around the digits.
                               "12 ", "\t12", "1 2", "- 7", " ", "",
                               // Signs and junk.
                               "+-1", "--1", "-", "+", "abc", "12.5", "1 000", "FFFFFFFF", "1e3",
                               // Malformed hexadecimal; "$123456789" has nine significant digits.
                               "$", "0x", "x", "$123456789", "$FG", "$ 1", "$1 ", "0x$1", "00x1",
                               "$-1"};
  for (const char* text : texts)
    EXPECT_EQ(P(text), std::nullopt) << '\'' << text << '\'';
}

TEST(NumberParse, FallbackIsUsedOnlyForTextThatIsNotANumber) {
  EXPECT_EQ(ParseGridNumberOr("abc", 17), 17);
  EXPECT_EQ(ParseGridNumberOr("", -5), -5);
  EXPECT_EQ(ParseGridNumberOr("0", 17), 0);
}

}  // namespace
