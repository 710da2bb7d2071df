#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "tables/table_columns.h"
#include "tables/table_index.h"
#include "tables/table_types.h"

// The grid shape of each table, made from the table types: its entries plus
// the caption row, and the name column plus its fields.
inline constexpr std::array<std::uint8_t, kTableCount> RowCounts =
    PerTable([]<typename Table>(std::type_identity<Table>) {
      return static_cast<std::uint8_t>(Table::Count + 1);
    });
inline constexpr std::array<std::uint8_t, kTableCount> ColCounts =
    PerTable([]<typename Table>(std::type_identity<Table>) {
      return static_cast<std::uint8_t>(Table::Columns.size() + 1);
    });
inline constexpr int kMaxColCount = std::ranges::max(ColCounts);
inline constexpr int kMaxRowCount = std::ranges::max(RowCounts);

// The executable's tables have these shapes; an entry or column gained or lost
// by mistake stops the build.
static_assert(RowCounts == std::array<std::uint8_t, kTableCount>{67, 83, 66});
static_assert(ColCounts == std::array<std::uint8_t, kTableCount>{14, 8, 4});

// The caption of column 0 in every table.
inline constexpr std::string_view kNameCaption = TABLE_CAPTION("Captions", "Название");

// The caption row of each table; slots past the table's column count are empty.
inline constexpr std::array<std::array<std::string_view, kMaxColCount>, kTableCount>
    HeaderCaptions = PerTable([]<typename Table>(std::type_identity<Table>) {
      std::array<std::string_view, kMaxColCount> captions{};
      captions[0] = kNameCaption;
      for (std::size_t i = 0; i < Table::Columns.size(); ++i)
        captions[i + 1] = Table::Columns[i].caption;
      return captions;
    });

// The tab captions, in table index order.
inline constexpr std::array<std::string_view, kTableCount> TabCaptions = {
    TABLE_CAPTION("Captions", "Существа"), TABLE_CAPTION("Captions", "Постройки"),
    TABLE_CAPTION("Captions", "Заклинания")};
