#include "sp_table.h"

#include <array>

#include "padded_name.h"
#include "record_field.h"
#include "table_grid.h"
#include "target_file.h"

namespace {

// Columns 1 to 3: Level, Mana, Alpha.
constexpr int kLevelColumn = 1;
constexpr int kManaColumn = 2;
// Bytes 0 to 5 of a record: Level, two bytes left alone, Alpha, Mana.
constexpr std::int64_t kUsedRecordBytes = 6;

}  // namespace

void LoadSpNames(TSpTable& table) {
  TargetHandle.SeekFromStart(SpNamesOffset);
  for (std::size_t i = 0; i < TSpTable::Count; ++i) {
    table.SetName(static_cast<std::uint8_t>(i), ReadPaddedName());
  }
}

void LoadSpRecords(TSpTable& table) {
  for (std::size_t i = 0; i < TSpTable::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    table.SetOffset(entry, SpRecordsOffset + SpRecordStride * static_cast<std::int32_t>(i));
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    // Bytes a short file cannot deliver keep their value (zero in a new table).
    std::uint8_t level = table.GetLevel(entry);
    std::array<std::uint8_t, 2> unused{};
    std::array<std::uint8_t, 2> alpha{};
    StoreField(alpha.data(), {0, 2, true}, table.GetAlpha(entry));
    std::uint8_t mana = table.GetMana(entry);
    TargetHandle.Read(&level, 1);
    TargetHandle.Read(unused.data(), unused.size());
    TargetHandle.Read(alpha.data(), alpha.size());
    TargetHandle.Read(&mana, 1);
    table.SetLevel(entry, level);
    table.SetAlpha(entry, static_cast<std::int16_t>(ReadField(alpha.data(), {0, 2, true})));
    table.SetMana(entry, mana);
  }
}

void WriteSpRecords(const TSpTable& table) {
  for (std::size_t i = 0; i < TSpTable::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    // The record is written whole or not at all: one whose bytes 0 to 5 do not
    // all lie inside the file is left as it is.
    const std::int64_t offset = table.GetOffset(entry);
    if (offset < 0 || offset + kUsedRecordBytes > static_cast<std::int64_t>(TargetHandle.Size()))
      continue;
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    const std::uint8_t level = table.GetLevel(entry);
    std::array<std::uint8_t, 2> unused{};
    std::array<std::uint8_t, 2> alpha{};
    StoreField(alpha.data(), {0, 2, true}, table.GetAlpha(entry));
    const std::uint8_t mana = table.GetMana(entry);
    TargetHandle.Write(&level, 1);
    TargetHandle.Read(unused.data(),
                      unused.size());  // steps over bytes 1-2, leaving them as they are
    TargetHandle.Write(alpha.data(), alpha.size());
    TargetHandle.Write(&mana, 1);
  }
}

void FillSpGrid(const TSpTable& table, CellGrid& grid) {
  FillTableGrid(table, grid);
}

void CommitSpGrid(TSpTable& table, const CellGrid& grid) {
  CommitTableGrid(table, grid);
}

std::int32_t ColumnValue(const TSpTable& table, std::uint8_t entry, int column) {
  if (column == kLevelColumn)
    return table.GetLevel(entry);
  if (column == kManaColumn)
    return table.GetMana(entry);
  return table.GetAlpha(entry);
}

void StoreColumn(TSpTable& table, std::uint8_t entry, int column, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  if (column == kLevelColumn) {
    table.SetLevel(entry, static_cast<std::uint8_t>(bits & 0xFF));
  } else if (column == kManaColumn) {
    table.SetMana(entry, static_cast<std::uint8_t>(bits & 0xFF));
  } else {
    table.SetAlpha(entry, static_cast<std::int16_t>(bits & 0xFFFF));
  }
}

FieldLayout ColumnField(const TSpTable&, int column) {
  if (column == kLevelColumn)
    return SpLevel;
  if (column == kManaColumn)
    return SpMana;
  return SpAlpha;
}
