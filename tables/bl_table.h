#pragma once

#include <array>
#include <cstdint>

#include "tables/cell_grid.h"
#include "tables/record_field.h"
#include "tables/table_columns.h"
#include "tables/table_entry.h"
#include "tables/table_index.h"

// A building's cost: seven unsigned 32-bit amounts, 28 bytes as in the file.
struct TBlRecord {
  static constexpr std::size_t Size = 28;
  std::array<std::uint8_t, Size> Bytes{};
  friend bool operator==(const TBlRecord&, const TBlRecord&) = default;
};

inline constexpr FieldLayout BlWood{0, 4, false};
inline constexpr FieldLayout BlMercury{4, 4, false};
inline constexpr FieldLayout BlOre{8, 4, false};
inline constexpr FieldLayout BlSulfur{12, 4, false};
inline constexpr FieldLayout BlCrystals{16, 4, false};
inline constexpr FieldLayout BlGems{20, 4, false};
inline constexpr FieldLayout BlGold{24, 4, false};

// Where the buildings lie in the executable. The records come from two runs,
// each with some records that are not buildings, and one lone record.
inline constexpr std::int32_t BlRecordSize = 28;
inline constexpr std::int32_t BlFirstRunOffset = 1033324;  // 0xFC46C, 70 records
inline constexpr int BlFirstRunLength = 70;
inline constexpr std::array<int, 13> BlFirstRunSkip = {11, 19, 22, 23, 33, 34, 35,
                                                       42, 43, 45, 54, 56, 59};
inline constexpr std::int32_t BlSecondRunOffset = 1032128;  // 0xFBFC0, 28 records
inline constexpr int BlSecondRunLength = 28;
inline constexpr std::array<int, 4> BlSecondRunSkip = {0, 17, 25, 26};
inline constexpr std::int32_t BlLoneRecordOffset = 1162084;   // 0x11BB64, entry 81
inline constexpr std::int32_t BlNamesOffset = 1113160;        // 0x10FC48, 57 names
inline constexpr std::int32_t BlSharedNamesOffset = 1112832;  // 0x10FB00, 14 names read twice
inline constexpr std::int32_t BlExtraNamesOffset = 1113088;   // 0x10FC00, 6 names

using TBlEntry = TableEntry<TBlRecord>;

// The 82 buildings.
class TBlTable : public EntryArray<TBlEntry, 82> {
 public:
  static constexpr TableIndex Index = kBuildings;
  // Grid columns 1 to 7; the file order differs.
  static constexpr std::array<GridColumn, 7> Columns = {{
      {TABLE_CAPTION("Captions", "Золото"), BlGold},
      {TABLE_CAPTION("Captions", "Дерево"), BlWood},
      {TABLE_CAPTION("Captions", "Руда"), BlOre},
      {TABLE_CAPTION("Captions", "Ртуть"), BlMercury},
      {TABLE_CAPTION("Captions", "Сера"), BlSulfur},
      {TABLE_CAPTION("Captions", "Кристаллы"), BlCrystals},
      {TABLE_CAPTION("Captions", "Самоцветы"), BlGems},
  }};

  TBlRecord GetRecord(std::uint8_t index) const { return Entries[index].Data; }
  void SetRecord(std::uint8_t index, const TBlRecord& record) { Entries[index].Data = record; }
};
static_assert(ColumnsFitRecords<TBlTable>());

// Sets all 82 names: three name blocks, names built from the first name of
// the shared block, and two fixed names.
void LoadBlNames(TBlTable& table);
// Sets the offsets and records of all 82 entries from the two runs and the lone record.
void LoadBlRecords(TBlTable& table);
// Writes the 82 records at their stored offsets; a record not wholly inside the
// file is not written.
void WriteBlRecords(const TBlTable& table);
void FillBlGrid(const TBlTable& table, CellGrid& grid);
void CommitBlGrid(TBlTable& table, const CellGrid& grid);
