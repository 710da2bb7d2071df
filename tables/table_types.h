#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "tables/bl_table.h"
#include "tables/cr_table.h"
#include "tables/sp_table.h"
#include "tables/table_index.h"

// The table types in index order: the one list from which the choice of a
// table by its index and the grid shapes are made.
using TableTypes = std::tuple<TCrTable, TBlTable, TSpTable>;

template <std::size_t I>
using TableAt = std::tuple_element_t<I, TableTypes>;

static_assert(std::tuple_size_v<TableTypes> == kTableCount);
static_assert(
    []<std::size_t... I>(std::index_sequence<I...>) {
      return ((TableAt<I>::Index == I) && ...);
    }(std::make_index_sequence<kTableCount>{}),
    "each table type sits at its own index");

// Calls `visit` with std::type_identity<Table> for the table type of index
// `index`. This is the one place where an index picks its table; `index` must
// be below kTableCount.
template <std::size_t I = 0, typename Visitor>
decltype(auto) VisitTableType(TableIndex index, Visitor&& visit) {
  if constexpr (I + 1 < std::tuple_size_v<TableTypes>) {
    if (index != I)
      return VisitTableType<I + 1>(index, std::forward<Visitor>(visit));
  }
  return std::forward<Visitor>(visit)(std::type_identity<TableAt<I>>{});
}

// `make(std::type_identity<Table>{})` for each table type, in index order.
template <typename Maker>
constexpr auto PerTable(Maker make) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return std::array{make(std::type_identity<TableAt<I>>{})...};
  }
  (std::make_index_sequence<kTableCount>{});
}
