#pragma once

#include <array>
#include <cstdint>

#include "tables/cell_grid.h"
#include "tables/record_field.h"
#include "tables/table_columns.h"
#include "tables/table_entry.h"
#include "tables/table_index.h"

// A creature's record: 26 bytes kept exactly as they lie in the executable.
struct TCrRecord {
  static constexpr std::size_t Size = 26;
  std::array<std::uint8_t, Size> Bytes{};
  friend bool operator==(const TCrRecord&, const TCrRecord&) = default;
};

// The fields of a creature record. Bytes 17 to 21 are not shown and are carried
// through every commit and write unchanged.
inline constexpr FieldLayout CrGold{0, 2, true};
inline constexpr FieldLayout CrAlpha{2, 4, false};
inline constexpr FieldLayout CrBeta{6, 1, true};
inline constexpr FieldLayout CrGrowth{7, 1, true};
inline constexpr FieldLayout CrHealth{8, 2, false};
inline constexpr FieldLayout CrFaction{10, 1, false};
inline constexpr FieldLayout CrSpeed{11, 1, true};
inline constexpr FieldLayout CrAttack{12, 1, true};
inline constexpr FieldLayout CrDefense{13, 1, true};
inline constexpr FieldLayout CrMinDamage{14, 1, true};
inline constexpr FieldLayout CrMaxDamage{15, 1, true};
inline constexpr FieldLayout CrShots{16, 1, true};
inline constexpr FieldLayout CrProperties{22, 4, false};

// Where the creatures lie in the executable.
inline constexpr std::int32_t CrRecordsOffset = 1025120;  // 0xFA460, 66 records of 26 bytes
inline constexpr std::int32_t CrNamesOffset = 1077452;    // 0x1070CC, 66 names

using TCrEntry = TableEntry<TCrRecord>;

// The 66 creatures, in the order of the executable's creature block.
class TCrTable : public EntryArray<TCrEntry, 66> {
 public:
  static constexpr TableIndex Index = kCreatures;
  // Grid columns 1 to 13.
  static constexpr std::array<GridColumn, 13> Columns = {{
      {TABLE_CAPTION("Captions", "Атака"), CrAttack},
      {TABLE_CAPTION("Captions", "Защита"), CrDefense},
      {TABLE_CAPTION("Captions", "Мин. урон"), CrMinDamage},
      {TABLE_CAPTION("Captions", "Макс. урон"), CrMaxDamage},
      {TABLE_CAPTION("Captions", "Здоровье"), CrHealth},
      {TABLE_CAPTION("Captions", "Скорость"), CrSpeed},
      {TABLE_CAPTION("Captions", "Выстрелов"), CrShots},
      {TABLE_CAPTION("Captions", "Золото"), CrGold},
      {TABLE_CAPTION("Captions", "Прирост"), CrGrowth},
      {TABLE_CAPTION("Captions", "Альфа"), CrAlpha},
      {TABLE_CAPTION("Captions", "Бета"), CrBeta},
      {TABLE_CAPTION("Captions", "Свойства"), CrProperties},
      {TABLE_CAPTION("Captions", "Фракция"), CrFaction},
  }};

  TCrRecord GetRecord(std::uint8_t index) const { return Entries[index].Data; }
  void SetRecord(std::uint8_t index, const TCrRecord& record) { Entries[index].Data = record; }
};
static_assert(ColumnsFitRecords<TCrTable>());

// Reads the 66 names from the open TargetHandle.
void LoadCrNames(TCrTable& table);
// Sets the 66 record offsets and reads the records from the open TargetHandle.
void LoadCrRecords(TCrTable& table);
// Writes the 66 records at their stored offsets through TargetHandle; a record
// not wholly inside the file is not written.
void WriteCrRecords(const TCrTable& table);
// Writes names and fields into rows 1 to 66, columns 0 to 13.
void FillCrGrid(const TCrTable& table, CellGrid& grid);
// Reads rows 1 to 66, columns 1 to 13, back into the records.
void CommitCrGrid(TCrTable& table, const CellGrid& grid);
