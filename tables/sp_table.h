#pragma once

#include <cstdint>

#include "cell_grid.h"
#include "grid_shape.h"
#include "record_field.h"
#include "table_entry.h"

// The three numbers of a spell that the editor shows. In the file they are
// record bytes 0 (Level), 3-4 (Alpha, little-endian) and 5 (Mana); bytes 1-2
// and 6-21 of each 22-byte record are never changed.
struct TSpFields {
  std::uint8_t Level = 0;
  std::int16_t Alpha = 0;
  std::uint8_t Mana = 0;
  friend bool operator==(const TSpFields&, const TSpFields&) = default;
};

// The shown fields within a spell record, in column order 1 to 3.
inline constexpr FieldLayout SpLevel{0, 1, false};
inline constexpr FieldLayout SpAlpha{3, 2, true};
inline constexpr FieldLayout SpMana{5, 1, false};

inline constexpr std::int32_t SpRecordsOffset = 1029057;  // 0xFB3C1, 65 records
inline constexpr std::int32_t SpRecordStride = 22;
inline constexpr std::int32_t SpNamesOffset = 1111692;  // 0x10F68C, 65 names

using TSpEntry = TableEntry<TSpFields>;

// The 65 spells.
class TSpTable : public EntryArray<TSpEntry, 65> {
 public:
  static constexpr TableIndex Index = kSpells;

  std::uint8_t GetLevel(std::uint8_t index) const { return Entries[index].Data.Level; }
  void SetLevel(std::uint8_t index, std::uint8_t value) { Entries[index].Data.Level = value; }
  std::uint8_t GetMana(std::uint8_t index) const { return Entries[index].Data.Mana; }
  void SetMana(std::uint8_t index, std::uint8_t value) { Entries[index].Data.Mana = value; }
  std::int16_t GetAlpha(std::uint8_t index) const { return Entries[index].Data.Alpha; }
  void SetAlpha(std::uint8_t index, std::int16_t value) { Entries[index].Data.Alpha = value; }
};

void LoadSpNames(TSpTable& table);
void LoadSpRecords(TSpTable& table);
// Writes Level, Alpha and Mana of every spell; steps over bytes 1-2 by reading them.
// A record whose bytes 0 to 5 are not all inside the file is not written.
void WriteSpRecords(const TSpTable& table);
void FillSpGrid(const TSpTable& table, CellGrid& grid);
void CommitSpGrid(TSpTable& table, const CellGrid& grid);

std::int32_t ColumnValue(const TSpTable& table, std::uint8_t entry, int column);
void StoreColumn(TSpTable& table, std::uint8_t entry, int column, std::int32_t value);
FieldLayout ColumnField(const TSpTable& table, int column);
