#include "tables/sp_table.h"

#include <array>

#include "tables/padded_name.h"
#include "tables/table_grid.h"
#include "tables/target_file.h"

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
    TargetHandle.Read(table.Entries[i].Data.Bytes.data(), TSpRecord::Size);
  }
}

void WriteSpRecords(const TSpTable& table) {
  for (std::size_t i = 0; i < TSpTable::Count; ++i) {
    // The record is written whole or not at all: one whose bytes 0 to 5 do not
    // all lie inside the file is left as it is.
    const auto entry = static_cast<std::uint8_t>(i);
    if (!RecordInsideFile(table, entry, TargetHandle.Size()))
      continue;
    const std::uint8_t* bytes = table.Entries[i].Data.Bytes.data();
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    TargetHandle.Write(bytes, 1);  // Level
    // Steps over bytes 1-2 by reading them, leaving them as they are in the file.
    std::array<std::uint8_t, 2> unused{};
    TargetHandle.Read(unused.data(), unused.size());
    TargetHandle.Write(bytes + 3, 3);  // Alpha and Mana
  }
}

void FillSpGrid(const TSpTable& table, CellGrid& grid) {
  FillTableGrid(table, grid);
}

void CommitSpGrid(TSpTable& table, const CellGrid& grid) {
  CommitTableGrid(table, grid);
}
