#pragma once

#include <cstdint>
#include <string>

#include "tables/cell_grid.h"
#include "tables/cp1251.h"
#include "tables/field_input.h"
#include "tables/record_field.h"
#include "tables/table_columns.h"

// How every table meets the grid: entry i is row i + 1, column 0 the name,
// columns 1 and up the table's Columns.

// Writes every cell of the table's shape below the caption row.
template <GridTable Table>
void FillTableGrid(const Table& table, CellGrid& grid) {
  grid.ResetGridScroll();
  const int columns = static_cast<int>(Table::Columns.size());
  for (std::size_t i = 0; i < Table::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    const int row = static_cast<int>(i) + 1;
    grid.SetCellText(0, row, Cp1251ToUtf8(table.GetName(entry).view()));
    for (int column = 1; column <= columns; ++column) {
      grid.SetCellText(
          column, row,
          FieldText(ColumnValue(table, entry, column), ColumnField(table, column).is_signed));
    }
  }
}

// Reads the fields back as typed text: text that is not a number keeps the
// field's value, a number stores its low bits. Column 0 is never read.
template <GridTable Table>
void CommitTableGrid(Table& table, const CellGrid& grid) {
  const int columns = static_cast<int>(Table::Columns.size());
  for (std::size_t i = 0; i < Table::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    const int row = static_cast<int>(i) + 1;
    for (int column = 1; column <= columns; ++column) {
      const FieldInput input =
          ReadFieldInput(grid.CellText(column, row), ColumnField(table, column),
                         ColumnValue(table, entry, column), TextSource::Typed);
      StoreColumn(table, entry, column, input.value);
    }
  }
}
