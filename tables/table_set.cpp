#include "table_set.h"

#include "number_parse.h"

namespace {

// The value a commit would store for `text` in (column, entry) of `current`,
// read back as the grid shows it.
template <typename Table>
std::int32_t ValueAfterCommit(const Table& current, std::uint8_t entry, int column,
                              std::string_view text) {
  const FieldLayout field = ColumnField(current, column);
  const std::int32_t value = ParseGridNumberOr(text, ColumnValue(current, entry, column));
  return WrapToField(value, field.width, field.is_signed);
}

template <typename Table>
CellMark MarkTableCell(const Table& current, const Table& saved, int column, int row,
                       std::string_view text) {
  if (row < 1 || row > static_cast<int>(Table::Count) || column < 1 ||
      column >= ColCounts[Table::Index]) {
    return CellMark::None;
  }
  const auto entry = static_cast<std::uint8_t>(row - 1);
  if (!ParseGridNumber(text)) {
    // An unsigned value above the signed range is shown in digits that do not
    // parse; the field keeps that very value, so such a text is no surprise.
    const std::int32_t value = ColumnValue(current, entry, column);
    if (text != FieldText(value, ColumnField(current, column).is_signed))
      return CellMark::NotANumber;
  }
  return ValueAfterCommit(current, entry, column, text) == ColumnValue(saved, entry, column)
             ? CellMark::None
             : CellMark::Changed;
}

}  // namespace

void CommitActiveTable(TableIndex index, TableSet& tables, const CellGrid& grid) {
  switch (index) {
    case kCreatures:
      CommitCrGrid(tables.CrTable, grid);
      break;
    case kBuildings:
      CommitBlGrid(tables.BlTable, grid);
      break;
    case kSpells:
      CommitSpGrid(tables.SpTable, grid);
      break;
    default:
      break;
  }
}

void FillActiveTable(TableIndex index, const TableSet& tables, CellGrid& grid) {
  switch (index) {
    case kCreatures:
      FillCrGrid(tables.CrTable, grid);
      break;
    case kBuildings:
      FillBlGrid(tables.BlTable, grid);
      break;
    case kSpells:
      FillSpGrid(tables.SpTable, grid);
      break;
    default:
      break;
  }
}

void LoadAllTables(TableSet& tables) {
  LoadCrNames(tables.CrTable);
  LoadCrRecords(tables.CrTable);
  LoadBlNames(tables.BlTable);
  LoadBlRecords(tables.BlTable);
  LoadSpNames(tables.SpTable);
  LoadSpRecords(tables.SpTable);
}

void WriteAllTables(const TableSet& tables) {
  WriteCrRecords(tables.CrTable);
  WriteBlRecords(tables.BlTable);
  WriteSpRecords(tables.SpTable);
}

CellMark MarkCell(TableIndex index, const TableSet& current, const TableSet& saved, int column,
                  int row, std::string_view text) {
  switch (index) {
    case kCreatures:
      return MarkTableCell(current.CrTable, saved.CrTable, column, row, text);
    case kBuildings:
      return MarkTableCell(current.BlTable, saved.BlTable, column, row, text);
    case kSpells:
      return MarkTableCell(current.SpTable, saved.SpTable, column, row, text);
    default:
      return CellMark::None;
  }
}
