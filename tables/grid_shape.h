#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Which table the grid shows: the index of the selected tab.
using TableIndex = std::uint8_t;
inline constexpr TableIndex kCreatures = 0;
inline constexpr TableIndex kBuildings = 1;
inline constexpr TableIndex kSpells = 2;
inline constexpr int kTableCount = 3;

// The grid shape of each table: its entries plus the caption row, and the
// name column plus its fields.
inline constexpr std::array<std::uint8_t, kTableCount> RowCounts = {67, 83, 66};
inline constexpr std::array<std::uint8_t, kTableCount> ColCounts = {14, 8, 4};
inline constexpr int kMaxColCount = 14;
inline constexpr int kMaxRowCount = 83;

// The caption row of each table; slots past the table's column count are empty.
inline constexpr std::array<std::array<std::string_view, kMaxColCount>, kTableCount>
    HeaderCaptions = {{
        {"Название", "Атака", "Защита", "Мин. урон", "Макс. урон", "Здоровье", "Скорость",
         "Выстрелов", "Золото", "Прирост", "Альфа", "Бета", "Свойства", "Фракция"},
        {"Название", "Золото", "Дерево", "Руда", "Ртуть", "Сера", "Кристаллы", "Самоцветы"},
        {"Название", "Уровень", "Мана", "Альфа"},
    }};

// The tab captions, in table index order.
inline constexpr std::array<std::string_view, kTableCount> TabCaptions = {"Существа", "Постройки",
                                                                          "Заклинания"};
