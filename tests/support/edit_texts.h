#pragma once

// Texts for cells, of every kind the grid's parse meets, each with the value a
// commit stores for it: decimal and hexadecimal numbers with signs, spaces and
// leading zeros, numbers beyond what a field or 32 bits hold, and text that is
// no number at all. `Random` is any generator of 32-bit numbers seeded by one.

#include <cstdint>
#include <optional>
#include <string>

#include "tests/support/session_model.h"

namespace session_model {

// A cell text and the 32-bit value a commit stores for it, or nothing when
// the field keeps its value.
using Edit = Text;

template <typename Random>
class EditMaker {
 public:
  explicit EditMaker(std::uint32_t seed) : rng_(seed) {}

  Edit Make() {
    switch (Below(6)) {
      case 0:
      case 1:
        return Decimal();
      case 2:
        return DecimalOutOfRange();
      case 3:
        return Hexadecimal();
      case 4:
        return HexadecimalTooLong();
      default:
        return Garbage();
    }
  }

 private:
  std::uint32_t Below(std::uint32_t n) { return rng_() % n; }
  std::string Spaces() { return std::string(Below(3) == 0 ? Below(3) + 1 : 0, ' '); }
  std::string Zeros() { return std::string(Below(4) == 0 ? Below(4) + 1 : 0, '0'); }

  Edit Decimal() {
    std::int64_t value = 0;
    switch (Below(3)) {
      case 0:
        value = static_cast<std::int64_t>(Below(601)) - 300;  // around the byte fields
        break;
      case 1:
        value = static_cast<std::int64_t>(Below(140001)) - 70000;  // around the 16-bit fields
        break;
      default:
        value = static_cast<std::int32_t>(rng_());
    }
    const std::uint64_t magnitude = value < 0 ? -value : value;
    std::string sign = value < 0 ? "-" : (Below(4) == 0 ? "+" : "");
    return {Spaces() + sign + Zeros() + std::to_string(magnitude),
            static_cast<std::uint32_t>(static_cast<std::int32_t>(value))};
  }

  Edit DecimalOutOfRange() {
    const bool negative = Below(2) == 0;
    // 2147483648 up to 9999999999, or a long run of digits.
    const std::uint64_t magnitude = 2147483648ULL + (static_cast<std::uint64_t>(rng_()) << 1) +
                                    (negative ? 1 : 0) + Below(1000);
    std::string digits = std::to_string(magnitude);
    if (Below(4) == 0)
      digits += std::to_string(rng_());
    return {Spaces() + (negative ? "-" : "") + digits, std::nullopt};
  }

  static std::string HexDigits(std::uint32_t bits, bool lower) {
    std::string digits;
    do {
      const int digit = static_cast<int>(bits & 0xF);
      digits.insert(digits.begin(),
                    static_cast<char>(digit < 10 ? '0' + digit : (lower ? 'a' : 'A') + digit - 10));
      bits >>= 4;
    } while (bits != 0);
    return digits;
  }

  std::string HexPrefix() {
    static const char* const kPrefixes[] = {"$", "x", "X", "0x", "0X"};
    return kPrefixes[Below(5)];
  }

  Edit Hexadecimal() {
    std::uint32_t bits = rng_();
    if (Below(2) == 0)
      bits &= 0xFFFF >> Below(16);
    const std::uint32_t sign = Below(4);
    const bool negative = sign == 0;
    const std::string text = Spaces() + (negative ? "-" : (sign == 1 ? "+" : "")) + HexPrefix() +
                             Zeros() + HexDigits(bits, Below(2) == 0);
    return {text, negative ? 0U - bits : bits};
  }

  Edit HexadecimalTooLong() {
    const std::string digits =
        HexDigits(1 + Below(15), false) + HexDigits(0x10000000U | rng_(), Below(2) == 0);
    return {Spaces() + HexPrefix() + Zeros() + digits, std::nullopt};
  }

  Edit Garbage() {
    static const char* const kTexts[] = {
        "",
        "abc",
        "12 ",
        "1 2",
        "12.5",
        "- 7",
        "$",
        "0x",
        "x",
        "+-1",
        "--1",
        "1e5",
        "\t1",
        "0xg",
        "\xD0\x90",
        "12,5",
        "0x-1",
        "$ 1F",
        "+",
        "-",
        " ",
        "00x1",
        "\xE2\x80\x89\x31",  // a thin space, then 1
        "1\n",
    };
    std::string text = kTexts[Below(sizeof kTexts / sizeof kTexts[0])];
    if (Below(3) == 0)
      text = std::to_string(static_cast<std::int32_t>(rng_())) + (Below(2) == 0 ? " " : "z");
    return {text, std::nullopt};
  }

  Random rng_;
};

}  // namespace session_model
