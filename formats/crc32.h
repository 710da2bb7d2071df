#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The CRC-32 that zlib, PNG and both patch formats use (reflected, polynomial
// 0xEDB88320, all bits inverted before and after).

// The CRC of `data`; `previous` is the CRC of the bytes before it, so a CRC can
// be taken in pieces: Crc32(b, Crc32(a)) is the CRC of a followed by b.
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t previous = 0);

// A run of bytes in a file: `size` bytes from `offset`.
struct ByteRange {
  std::size_t offset = 0;
  std::size_t size = 0;
  std::size_t end() const { return offset + size; }
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// The CRC of `changed`, from the CRC of `original`, which has as many bytes and
// holds the same ones outside `differ` (sorted, not overlapping, inside both).
// It reads only the bytes inside `differ`, so for a few changes it costs next
// to nothing beside a CRC of the whole.
std::uint32_t Crc32OfChanged(std::uint32_t original_crc, std::span<const std::uint8_t> original,
                             std::span<const std::uint8_t> changed,
                             const std::vector<ByteRange>& differ);
