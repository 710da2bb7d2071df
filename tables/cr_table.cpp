#include "tables/cr_table.h"

#include "tables/padded_name.h"
#include "tables/table_grid.h"
#include "tables/target_file.h"

void LoadCrNames(TCrTable& table) {
  TargetHandle.SeekFromStart(CrNamesOffset);
  for (std::size_t i = 0; i < TCrTable::Count; ++i) {
    table.SetName(static_cast<std::uint8_t>(i), ReadPaddedName());
  }
}

void LoadCrRecords(TCrTable& table) {
  for (std::size_t i = 0; i < TCrTable::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    table.SetOffset(entry, CrRecordsOffset + static_cast<std::int32_t>(TCrRecord::Size * i));
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    // Bytes a short file cannot deliver keep their value (zero in a new table).
    TargetHandle.Read(table.Entries[i].Data.Bytes.data(), TCrRecord::Size);
  }
}

void WriteCrRecords(const TCrTable& table) {
  for (std::size_t i = 0; i < TCrTable::Count; ++i) {
    // A record cut by the end of a short file is left as it is.
    const auto entry = static_cast<std::uint8_t>(i);
    if (!RecordInsideFile(table, entry, TargetHandle.Size()))
      continue;
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    TargetHandle.Write(table.Entries[i].Data.Bytes.data(), TCrRecord::Size);
  }
}

void FillCrGrid(const TCrTable& table, CellGrid& grid) {
  FillTableGrid(table, grid);
}

void CommitCrGrid(TCrTable& table, const CellGrid& grid) {
  CommitTableGrid(table, grid);
}
