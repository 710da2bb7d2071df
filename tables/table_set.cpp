#include "tables/table_set.h"

#include <type_traits>

#include "tables/cp1251.h"
#include "tables/field_input.h"

namespace {

template <typename Table>
CellMark MarkTableCell(const Table& current, const Table& saved, int column, int row,
                       std::string_view text) {
  if (row < 1 || row > static_cast<int>(Table::Count) || column < 1 ||
      column > static_cast<int>(Table::Columns.size())) {
    return CellMark::None;
  }
  const auto entry = static_cast<std::uint8_t>(row - 1);
  const FieldInput input = ReadFieldInput(text, ColumnField(current, column),
                                          ColumnValue(current, entry, column), TextSource::Typed);
  if (input.verdict == InputVerdict::NotANumber)
    return CellMark::NotANumber;
  return input.value == ColumnValue(saved, entry, column) ? CellMark::None : CellMark::Changed;
}

// Each table's own fill and commit procedures, picked by overload.
void FillGrid(const TCrTable& table, CellGrid& grid) {
  FillCrGrid(table, grid);
}
void FillGrid(const TBlTable& table, CellGrid& grid) {
  FillBlGrid(table, grid);
}
void FillGrid(const TSpTable& table, CellGrid& grid) {
  FillSpGrid(table, grid);
}
void CommitGrid(TCrTable& table, const CellGrid& grid) {
  CommitCrGrid(table, grid);
}
void CommitGrid(TBlTable& table, const CellGrid& grid) {
  CommitBlGrid(table, grid);
}
void CommitGrid(TSpTable& table, const CellGrid& grid) {
  CommitSpGrid(table, grid);
}

}  // namespace

void CommitActiveTable(TableIndex index, TableSet& tables, const CellGrid& grid) {
  if (index < kTableCount)
    VisitTable(tables, index, [&](auto& table) { CommitGrid(table, grid); });
}

void FillActiveTable(TableIndex index, const TableSet& tables, CellGrid& grid) {
  if (index < kTableCount)
    VisitTable(tables, index, [&](const auto& table) { FillGrid(table, grid); });
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
  if (index >= kTableCount)
    return CellMark::None;
  return VisitTable(current, index, [&](const auto& table) {
    using Table = std::remove_cvref_t<decltype(table)>;
    return MarkTableCell(table, TableOf<Table>(saved), column, row, text);
  });
}

int EntryCount(TableIndex index) {
  return VisitTableType(index, []<typename Table>(std::type_identity<Table>) {
    return static_cast<int>(Table::Count);
  });
}

FieldLayout FieldOf(TableIndex index, int column) {
  return VisitTableType(index, [column]<typename Table>(std::type_identity<Table>) {
    return Table::Columns[column - 1].field;
  });
}

std::int32_t FieldValue(const TableSet& tables, TableIndex index, int entry, int column) {
  return VisitTable(tables, index, [&](const auto& table) {
    return ColumnValue(table, static_cast<std::uint8_t>(entry), column);
  });
}

void StoreFieldValue(TableSet& tables, TableIndex index, int entry, int column,
                     std::int32_t value) {
  VisitTable(tables, index, [&](auto& table) {
    StoreColumn(table, static_cast<std::uint8_t>(entry), column, value);
  });
}

std::string FieldDisplayText(const TableSet& tables, TableIndex index, int entry, int column) {
  return FieldText(FieldValue(tables, index, entry, column), FieldOf(index, column).is_signed);
}

std::string EntryNameText(const TableSet& tables, TableIndex index, int entry) {
  return VisitTable(tables, index, [entry](const auto& table) {
    return Cp1251ToUtf8(table.GetName(static_cast<std::uint8_t>(entry)).view());
  });
}

bool RecordInFile(const TableSet& tables, TableIndex index, int entry, std::size_t file_size) {
  return VisitTable(tables, index, [&](const auto& table) {
    return RecordInsideFile(table, static_cast<std::uint8_t>(entry), file_size);
  });
}
