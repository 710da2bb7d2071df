#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A counted byte string of at most 255 bytes: the form in which every name of
// the executable is kept. The bytes are Windows-1251 text, stored exactly as
// read; nothing here decodes them.
class ShortName {
 public:
  static constexpr std::size_t kMaxLength = 255;

  ShortName() = default;
  // Keeps the first 255 bytes of a longer value.
  explicit ShortName(std::string_view bytes) { Assign(bytes); }

  void Assign(std::string_view bytes) {
    length_ = static_cast<std::uint8_t>(bytes.size() < kMaxLength ? bytes.size() : kMaxLength);
    for (std::size_t i = 0; i < length_; ++i)
      bytes_[i] = bytes[i];
  }

  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  std::string_view view() const { return {bytes_.data(), length_}; }

  friend bool operator==(const ShortName& a, const ShortName& b) { return a.view() == b.view(); }

 private:
  std::uint8_t length_ = 0;
  std::array<char, kMaxLength> bytes_{};
};
