#include "number_parse.h"

#include <gtest/gtest.h>

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
}

TEST(NumberParse, DecimalOutOfRangeIsNotANumber) {
  EXPECT_EQ(P("2147483648"), std::nullopt);
  EXPECT_EQ(P("4294967295"), std::nullopt);
  EXPECT_EQ(P("-2147483649"), std::nullopt);
  EXPECT_EQ(P("99999999999999999999999"), std::nullopt);
}

TEST(NumberParse, OnlyLeadingSpacesAreSkipped) {
  EXPECT_EQ(P(" 12"), 12);
  EXPECT_EQ(P("    -3"), -3);
  EXPECT_EQ(P("12 "), std::nullopt);
  EXPECT_EQ(P("\t12"), std::nullopt);
  EXPECT_EQ(P("1 2"), std::nullopt);
  EXPECT_EQ(P("- 7"), std::nullopt);
  EXPECT_EQ(P(" "), std::nullopt);
  EXPECT_EQ(P(""), std::nullopt);
}

TEST(NumberParse, SignsAndJunk) {
  EXPECT_EQ(P("+-1"), std::nullopt);
  EXPECT_EQ(P("--1"), std::nullopt);
  EXPECT_EQ(P("-"), std::nullopt);
  EXPECT_EQ(P("+"), std::nullopt);
  EXPECT_EQ(P("abc"), std::nullopt);
  EXPECT_EQ(P("12.5"), std::nullopt);
  EXPECT_EQ(P("1 000"), std::nullopt);
  EXPECT_EQ(P("FFFFFFFF"), std::nullopt);
  EXPECT_EQ(P("1e3"), std::nullopt);
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

TEST(NumberParse, MalformedHexadecimal) {
  EXPECT_EQ(P("$"), std::nullopt);
  EXPECT_EQ(P("0x"), std::nullopt);
  EXPECT_EQ(P("x"), std::nullopt);
  EXPECT_EQ(P("$123456789"), std::nullopt);  // nine significant digits
  EXPECT_EQ(P("$FG"), std::nullopt);
  EXPECT_EQ(P("$ 1"), std::nullopt);
  EXPECT_EQ(P("$1 "), std::nullopt);
  EXPECT_EQ(P("0x$1"), std::nullopt);
  EXPECT_EQ(P("00x1"), std::nullopt);
  EXPECT_EQ(P("$-1"), std::nullopt);
}

TEST(NumberParse, FallbackIsUsedOnlyForTextThatIsNotANumber) {
  EXPECT_EQ(ParseGridNumberOr("abc", 17), 17);
  EXPECT_EQ(ParseGridNumberOr("", -5), -5);
  EXPECT_EQ(ParseGridNumberOr("0", 17), 0);
}

}  // namespace
