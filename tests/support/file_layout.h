#pragma once

// Where the tables lie in the executable, written out once more for the tests
// so that they judge loaded and saved bytes without asking the code they test.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tables/table_index.h"

namespace layout {

struct Field {
  int column;
  int offset;  // within the record
  int width;   // bytes
  bool is_signed;
};

inline constexpr std::array<Field, 13> kCreatureFields = {{
    {1, 12, 1, true},
    {2, 13, 1, true},
    {3, 14, 1, true},
    {4, 15, 1, true},
    {5, 8, 2, false},
    {6, 11, 1, true},
    {7, 16, 1, true},
    {8, 0, 2, true},
    {9, 7, 1, true},
    {10, 2, 4, false},
    {11, 6, 1, true},
    {12, 22, 4, false},
    {13, 10, 1, false},
}};
inline constexpr std::array<Field, 7> kBuildingFields = {{
    {1, 24, 4, false},
    {2, 0, 4, false},
    {3, 8, 4, false},
    {4, 4, 4, false},
    {5, 12, 4, false},
    {6, 16, 4, false},
    {7, 20, 4, false},
}};
inline constexpr std::array<Field, 3> kSpellFields = {{
    {1, 0, 1, false},
    {2, 5, 1, false},
    {3, 3, 2, true},
}};

inline constexpr std::size_t kCreatureCount = 66;
inline constexpr std::size_t kBuildingCount = 82;
inline constexpr std::size_t kSpellCount = 65;
inline constexpr std::size_t kCreatureRecordSize = 26;
inline constexpr std::size_t kBuildingRecordSize = 28;
inline constexpr std::size_t kSpellBytesUsed = 6;  // of each 22-byte spell record

inline constexpr std::size_t kCreatureNames = 1077452;
inline constexpr std::size_t kSpellNames = 1111692;
inline constexpr std::size_t kBuildingNames = 1113160;
inline constexpr std::size_t kSharedNames = 1112832;
inline constexpr std::size_t kExtraNames = 1113088;

inline std::size_t CreatureRecord(std::size_t entry) {
  return 1025120 + 26 * entry;
}
inline std::size_t SpellRecord(std::size_t entry) {
  return 1029057 + 22 * entry;
}
// The building records come from two runs of 28-byte records, in which some
// records are no buildings and are passed over, and one lone record.
struct BuildingRun {
  std::size_t offset;
  int length;
  std::vector<int> passed_over;  // indices within the run
};
inline const std::array<BuildingRun, 2>& BuildingRuns() {
  static const std::array<BuildingRun, 2> runs = {{
      {1033324, 70, {11, 19, 22, 23, 33, 34, 35, 42, 43, 45, 54, 56, 59}},
      {1032128, 28, {0, 17, 25, 26}},
  }};
  return runs;
}
inline constexpr std::size_t kLoneBuildingRecord = 1162084;

// The offsets of the records of the runs that are passed over (`buildings`
// false) or of the 82 building records in entry order (`buildings` true).
inline std::vector<std::size_t> RunRecords(bool buildings) {
  std::vector<std::size_t> result;
  for (const BuildingRun& run : BuildingRuns()) {
    for (int k = 0; k < run.length; ++k) {
      const bool passed_over = std::count(run.passed_over.begin(), run.passed_over.end(), k) > 0;
      if (passed_over != buildings)
        result.push_back(run.offset + kBuildingRecordSize * static_cast<std::size_t>(k));
    }
  }
  if (buildings)
    result.push_back(kLoneBuildingRecord);
  return result;
}
inline const std::vector<std::size_t>& BuildingRecords() {
  static const std::vector<std::size_t> offsets = RunRecords(true);
  return offsets;
}
inline const std::vector<std::size_t>& PassedOverRecords() {
  static const std::vector<std::size_t> offsets = RunRecords(false);
  return offsets;
}

// By table index, for the tests that walk all three tables.
inline std::size_t RecordOffset(TableIndex table, std::size_t entry) {
  if (table == kCreatures)
    return CreatureRecord(entry);
  if (table == kBuildings)
    return BuildingRecords().at(entry);
  return SpellRecord(entry);
}
// The fields of grid columns 1 and up.
inline std::span<const Field> Fields(TableIndex table) {
  if (table == kCreatures)
    return kCreatureFields;
  if (table == kBuildings)
    return kBuildingFields;
  return kSpellFields;
}

// The field's bytes at `at` in `image`, unsigned, as wide as the field.
inline std::uint64_t FieldBits(const std::vector<std::uint8_t>& image, std::size_t at,
                               const Field& field) {
  std::uint64_t value = 0;
  for (int i = field.width - 1; i >= 0; --i)
    value = (value << 8) | image.at(at + i);
  return value;
}

// The text the grid shows for the field's bytes at `at` in `image`.
inline std::string ShownText(const std::vector<std::uint8_t>& image, std::size_t at,
                             const Field& field) {
  const std::uint64_t value = FieldBits(image, at, field);
  const int bits = 8 * field.width;
  if (field.is_signed && (value >> (bits - 1)) != 0)
    return std::to_string(static_cast<std::int64_t>(value) - (std::int64_t{1} << bits));
  return std::to_string(value);
}

}  // namespace layout
