#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "tables/short_name.h"

// One row of a table: where its record lies in the executable, the name shown
// beside it, and the record itself (or, for spells, the fields taken from it).
template <typename Record>
struct TableEntry {
  std::int32_t Offset = 0;
  ShortName Name;
  Record Data{};
};

// The fixed array of entries that each table class holds, with the accessors
// common to all three tables. Entries are never added, removed or reordered; a
// new table is all zero: every offset 0, every name empty, every record byte 0.
// Indices are 0 to Count - 1; callers pass no other.
template <typename Entry, std::size_t N>
class EntryArray {
 public:
  static constexpr std::size_t Count = N;
  std::array<Entry, N> Entries{};

  std::int32_t GetOffset(std::uint8_t index) const { return Entries[index].Offset; }
  void SetOffset(std::uint8_t index, std::int32_t value) { Entries[index].Offset = value; }
  ShortName GetName(std::uint8_t index) const { return Entries[index].Name; }
  void SetName(std::uint8_t index, const ShortName& value) { Entries[index].Name = value; }
};
