#pragma once

// Where the tables lie in the executable, written out once more for the
// reliability tests so that they judge the saved bytes without asking the code
// they test.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

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
// The 82 building records: two runs with some records passed over, then one
// lone record.
inline const std::vector<std::size_t>& BuildingRecords() {
  static const std::vector<std::size_t> offsets = [] {
    std::vector<std::size_t> result;
    const std::vector<int> first_skip = {11, 19, 22, 23, 33, 34, 35, 42, 43, 45, 54, 56, 59};
    const std::vector<int> second_skip = {0, 17, 25, 26};
    auto skipped = [](const std::vector<int>& skip, int k) {
      for (int s : skip) {
        if (s == k)
          return true;
      }
      return false;
    };
    for (int k = 0; k < 70; ++k) {
      if (!skipped(first_skip, k))
        result.push_back(1033324 + 28 * static_cast<std::size_t>(k));
    }
    for (int k = 0; k < 28; ++k) {
      if (!skipped(second_skip, k))
        result.push_back(1032128 + 28 * static_cast<std::size_t>(k));
    }
    result.push_back(1162084);
    return result;
  }();
  return offsets;
}

}  // namespace layout
