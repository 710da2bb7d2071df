#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "tables/bl_table.h"
#include "tables/cell_grid.h"
#include "tables/cr_table.h"
#include "tables/grid_shape.h"
#include "tables/sp_table.h"
#include "tables/table_types.h"

// The three tables of one opened executable.
struct TableSet {
  TCrTable CrTable;
  TBlTable BlTable;
  TSpTable SpTable;
};

// Where each table type lies in a set.
inline constexpr std::tuple kTableMembers{&TableSet::CrTable, &TableSet::BlTable,
                                          &TableSet::SpTable};

// The table of type `Table` in `tables`, const when `tables` is.
template <typename Table, typename Set>
auto& TableOf(Set& tables) {
  return tables.*std::get<Table TableSet::*>(kTableMembers);
}

// Calls `visit` with the table of index `index` (a TCrTable, TBlTable or
// TSpTable, const when `tables` is). Everything that works on any table goes
// through it or through VisitTableType, which picks the type. `index` must be
// below kTableCount.
template <typename Set, typename Visitor>
decltype(auto) VisitTable(Set& tables, TableIndex index, Visitor&& visit) {
  return VisitTableType(index, [&]<typename Table>(std::type_identity<Table>) -> decltype(auto) {
    return visit(TableOf<Table>(tables));
  });
}

// Field access by table, entry and grid column (1 and up), for whatever works
// on any table: the document, CSV, change lists. Entries are 0 to
// EntryCount(index) - 1, columns 1 to ColCounts[index] - 1.
int EntryCount(TableIndex index);
FieldLayout FieldOf(TableIndex index, int column);
// The field widened to 32 bits, as the grid reads it.
std::int32_t FieldValue(const TableSet& tables, TableIndex index, int entry, int column);
// Stores the low bits of `value` that the field holds.
void StoreFieldValue(TableSet& tables, TableIndex index, int entry, int column, std::int32_t value);
// The text the grid shows for the field.
std::string FieldDisplayText(const TableSet& tables, TableIndex index, int entry, int column);
// The entry's name as UTF-8 text.
std::string EntryNameText(const TableSet& tables, TableIndex index, int entry);
// Whether the entry's record lies wholly inside a file of `file_size` bytes
// (RecordInsideFile): only then are its fields written.
bool RecordInFile(const TableSet& tables, TableIndex index, int entry, std::size_t file_size);

// Commits the grid into the table of index `index`; any other index does nothing.
void CommitActiveTable(TableIndex index, TableSet& tables, const CellGrid& grid);
// Fills the grid, already shaped for `index`, from that table.
void FillActiveTable(TableIndex index, const TableSet& tables, CellGrid& grid);
// Loads the names and records of all three tables, in file order, through the
// open TargetHandle.
void LoadAllTables(TableSet& tables);
// Writes the records of all three tables through the open TargetHandle.
void WriteAllTables(const TableSet& tables);

// What the grid tells the user about a cell before anything is saved.
enum class CellMark {
  None,
  NotANumber,  // the text would not be stored: the field keeps its value
  Changed,     // the value a commit would store differs from the file on disk
};

// The mark of cell (column, row) of table `index` holding `text`. `current`
// holds the committed fields, `saved` the fields as they are in the current
// file (as loaded or as last saved). Fixed cells are never marked.
CellMark MarkCell(TableIndex index, const TableSet& current, const TableSet& saved, int column,
                  int row, std::string_view text);
