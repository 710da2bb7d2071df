#include "tables/bl_table.h"

#include <algorithm>
#include <string>

#include "tables/padded_name.h"
#include "tables/table_grid.h"
#include "tables/target_file.h"

namespace {

// Fixed names, in Windows-1251 like every name of the table:
// "Прирост воинов 1 ур." and "Темная святыня".
constexpr std::string_view kRecruitGrowthName =
    "\xCF\xF0\xE8\xF0\xEE\xF1\xF2 \xE2\xEE\xE8\xED\xEE\xE2 1 \xF3\xF0.";
constexpr std::string_view kDarkShrineName =
    "\xD2\xE5\xEC\xED\xE0\xFF \xF1\xE2\xFF\xF2\xFB\xED\xFF";
// " ур." after the level digit.
constexpr std::string_view kLevelSuffix = " \xF3\xF0.";

ShortName LevelName(const ShortName& base, int level) {
  std::string name(base.view());
  name += ' ';
  name += static_cast<char>('0' + level);
  name += kLevelSuffix;
  return ShortName(name);  // cut to 255 bytes
}

template <std::size_t N>
bool IsSkipped(const std::array<int, N>& skip, int index) {
  return std::find(skip.begin(), skip.end(), index) != skip.end();
}

// Reads a run of consecutive records, giving each one that is not skipped
// to the next entry. Returns the entry after the last one filled.
template <std::size_t N>
std::uint8_t LoadRun(TBlTable& table, std::uint8_t entry, std::int32_t run_offset, int length,
                     const std::array<int, N>& skip) {
  TargetHandle.SeekFromStart(run_offset);
  for (int k = 0; k < length; ++k) {
    TBlRecord record;
    TargetHandle.Read(record.Bytes.data(), TBlRecord::Size);
    if (IsSkipped(skip, k))
      continue;
    table.SetOffset(entry, run_offset + BlRecordSize * k);
    table.SetRecord(entry, record);
    ++entry;
  }
  return entry;
}

}  // namespace

void LoadBlNames(TBlTable& table) {
  std::uint8_t entry = 0;
  TargetHandle.SeekFromStart(BlNamesOffset);
  for (; entry < 57; ++entry)
    table.SetName(entry, ReadPaddedName());

  TargetHandle.SeekFromStart(BlSharedNamesOffset);
  const ShortName base_name = ReadPaddedName();
  for (int level = 1; level <= 5; ++level)
    table.SetName(entry++, LevelName(base_name, level));

  TargetHandle.SeekFromStart(BlExtraNamesOffset);
  for (int k = 0; k < 6; ++k)
    table.SetName(entry++, ReadPaddedName());

  // The shared block once more: all but its 6th and 13th names, with the
  // first-level growth name placed before the 12th.
  TargetHandle.SeekFromStart(BlSharedNamesOffset);
  for (int k = 0; k < 14; ++k) {
    const ShortName name = ReadPaddedName();
    if (k == 11)
      table.SetName(entry++, ShortName(kRecruitGrowthName));
    if (k != 5 && k != 12)
      table.SetName(entry++, name);
  }
  table.SetName(entry, ShortName(kDarkShrineName));
}

void LoadBlRecords(TBlTable& table) {
  std::uint8_t entry = 0;
  entry = LoadRun(table, entry, BlFirstRunOffset, BlFirstRunLength, BlFirstRunSkip);
  entry = LoadRun(table, entry, BlSecondRunOffset, BlSecondRunLength, BlSecondRunSkip);
  TargetHandle.SeekFromStart(BlLoneRecordOffset);
  TBlRecord lone;
  TargetHandle.Read(lone.Bytes.data(), TBlRecord::Size);
  table.SetOffset(entry, BlLoneRecordOffset);
  table.SetRecord(entry, lone);
}

void WriteBlRecords(const TBlTable& table) {
  for (std::size_t i = 0; i < TBlTable::Count; ++i) {
    // A record cut by the end of a short file is left as it is.
    const auto entry = static_cast<std::uint8_t>(i);
    if (!RecordInsideFile(table, entry, TargetHandle.Size()))
      continue;
    TargetHandle.SeekFromStart(table.GetOffset(entry));
    TargetHandle.Write(table.Entries[i].Data.Bytes.data(), TBlRecord::Size);
  }
}

void FillBlGrid(const TBlTable& table, CellGrid& grid) {
  FillTableGrid(table, grid);
}

void CommitBlGrid(TBlTable& table, const CellGrid& grid) {
  CommitTableGrid(table, grid);
}
