#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

#include "tables/record_field.h"
#include "tables/table_index.h"

// A grid column after the name column: the caption above it and the record
// field it shows.
// Marks a caption the window and the files show, in Russian: the window
// translates it in the "Captions" context, and lupdate reads the mark as
// QT_TRANSLATE_NOOP. The tables themselves keep the Russian text.
#define TABLE_CAPTION(context, text) text

struct GridColumn {
  std::string_view caption;
  FieldLayout field;
};

// A table as the grid sees it. Each table type says in one place which tab it
// is (`Index`), how many entries it has (`Count`) and which field each grid
// column 1 and up shows (`Columns`, element 0 being column 1); its entries keep
// their records as bytes, which the columns read and write through those
// fields. Entry i is grid row i + 1; column 0 shows the name.
template <typename Table>
concept GridTable = requires(const Table& table) {
  { Table::Index } -> std::convertible_to<TableIndex>;
  { Table::Count } -> std::convertible_to<std::size_t>;
  { Table::Columns[0] } -> std::convertible_to<GridColumn>;
  { table.Entries[0].Data.Bytes.data() } -> std::convertible_to<const std::uint8_t*>;
};

// Whether every column's field lies inside the record bytes the table keeps.
template <GridTable Table>
constexpr bool ColumnsFitRecords() {
  using Record = std::remove_cvref_t<decltype(std::declval<const Table&>().Entries[0].Data)>;
  for (const GridColumn& column : Table::Columns) {
    if (column.field.offset + column.field.width > Record::Size)
      return false;
  }
  return true;
}

// Column access shared by fill, commit, the cell marks and the field access by
// index. `column` is 1 to Columns.size(), `entry` below Count.
template <GridTable Table>
FieldLayout ColumnField(const Table&, int column) {
  return Table::Columns[column - 1].field;
}

template <GridTable Table>
std::int32_t ColumnValue(const Table& table, std::uint8_t entry, int column) {
  return ReadField(table.Entries[entry].Data.Bytes.data(), ColumnField(table, column));
}

// Whether the record of `entry` (every byte of it the table keeps and writes)
// lies inside a file of `file_size` bytes. A record cut by the end of a short
// file counts as past the end: it is written whole or not at all, so none of
// its fields can be changed.
template <GridTable Table>
bool RecordInsideFile(const Table& table, std::uint8_t entry, std::size_t file_size) {
  using Record = std::remove_cvref_t<decltype(table.Entries[entry].Data)>;
  const std::int64_t offset = table.GetOffset(entry);
  return offset >= 0 &&
         offset + static_cast<std::int64_t>(Record::Size) <= static_cast<std::int64_t>(file_size);
}

// Stores the low bits of `value` that the field holds.
template <GridTable Table>
void StoreColumn(Table& table, std::uint8_t entry, int column, std::int32_t value) {
  StoreField(table.Entries[entry].Data.Bytes.data(), ColumnField(table, column), value);
}
