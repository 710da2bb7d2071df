#pragma once

#include <string_view>

#include "bl_table.h"
#include "cell_grid.h"
#include "cr_table.h"
#include "grid_shape.h"
#include "sp_table.h"

// The three tables of one opened executable.
struct TableSet {
  TCrTable CrTable;
  TBlTable BlTable;
  TSpTable SpTable;
};

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
