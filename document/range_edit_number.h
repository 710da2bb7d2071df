#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The numbers typed into the range edit dialog (N, P, min, max).

// The largest number the dialog takes, either way: beyond what any field
// holds, yet far from overflowing a product.
inline constexpr std::int64_t kRangeEditLargest = 10'000'000'000LL;

// A number in any form a cell takes ("31", "$1F", "0x1F", "-$10"), with
// spaces around it; or, when it is none, what the dialog says instead: that
// it is not a whole number, or that it lies out of range, with the range.
struct RangeEditNumber {
  std::optional<std::int64_t> value;
  QString problem;
};
RangeEditNumber ReadRangeEditNumber(const QString& text);

// A percentage for the range edit: a whole number as ReadRangeEditNumber
// takes it, or one with up to two decimals after a point or a comma
// ("12.5", "-0,25"), in whole percents and hundredths of the same sign; or
// what the dialog says instead.
struct RangeEditPercent {
  std::optional<std::int64_t> whole;
  std::int64_t hundredths = 0;
  QString problem;
};
RangeEditPercent ReadRangeEditPercent(const QString& text);
