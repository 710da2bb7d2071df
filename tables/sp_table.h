#pragma once

#include <array>
#include <cstdint>

#include "tables/cell_grid.h"
#include "tables/record_field.h"
#include "tables/table_columns.h"
#include "tables/table_entry.h"
#include "tables/table_index.h"

// The first six bytes of a spell's 22-byte record, the only ones the editor
// reads: Level (byte 0), two bytes it never writes, Alpha (bytes 3-4) and Mana
// (byte 5). Bytes 6-21 are neither read nor written.
struct TSpRecord {
  static constexpr std::size_t Size = 6;
  std::array<std::uint8_t, Size> Bytes{};
  friend bool operator==(const TSpRecord&, const TSpRecord&) = default;
};

inline constexpr FieldLayout SpLevel{0, 1, false};
inline constexpr FieldLayout SpAlpha{3, 2, true};
inline constexpr FieldLayout SpMana{5, 1, false};

inline constexpr std::int32_t SpRecordsOffset = 1029057;  // 0xFB3C1, 65 records
inline constexpr std::int32_t SpRecordStride = 22;
inline constexpr std::int32_t SpNamesOffset = 1111692;  // 0x10F68C, 65 names

using TSpEntry = TableEntry<TSpRecord>;

// The 65 spells.
class TSpTable : public EntryArray<TSpEntry, 65> {
 public:
  static constexpr TableIndex Index = kSpells;
  // Grid columns 1 to 3.
  static constexpr std::array<GridColumn, 3> Columns = {{
      {TABLE_CAPTION("Captions", "Уровень"), SpLevel},
      {TABLE_CAPTION("Captions", "Мана"), SpMana},
      {TABLE_CAPTION("Captions", "Альфа"), SpAlpha},
  }};

  std::uint8_t GetLevel(std::uint8_t index) const {
    return static_cast<std::uint8_t>(ReadField(Entries[index].Data.Bytes.data(), SpLevel));
  }
  void SetLevel(std::uint8_t index, std::uint8_t value) {
    StoreField(Entries[index].Data.Bytes.data(), SpLevel, value);
  }
  std::uint8_t GetMana(std::uint8_t index) const {
    return static_cast<std::uint8_t>(ReadField(Entries[index].Data.Bytes.data(), SpMana));
  }
  void SetMana(std::uint8_t index, std::uint8_t value) {
    StoreField(Entries[index].Data.Bytes.data(), SpMana, value);
  }
  std::int16_t GetAlpha(std::uint8_t index) const {
    return static_cast<std::int16_t>(ReadField(Entries[index].Data.Bytes.data(), SpAlpha));
  }
  void SetAlpha(std::uint8_t index, std::int16_t value) {
    StoreField(Entries[index].Data.Bytes.data(), SpAlpha, value);
  }
};
static_assert(ColumnsFitRecords<TSpTable>());

void LoadSpNames(TSpTable& table);
// Sets the 65 record offsets and reads bytes 0 to 5 of each record.
void LoadSpRecords(TSpTable& table);
// Writes Level, Alpha and Mana of every spell; steps over bytes 1-2 by reading them.
// A record whose bytes 0 to 5 are not all inside the file is not written.
void WriteSpRecords(const TSpTable& table);
void FillSpGrid(const TSpTable& table, CellGrid& grid);
void CommitSpGrid(TSpTable& table, const CellGrid& grid);
