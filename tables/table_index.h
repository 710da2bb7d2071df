#pragma once

#include <cstdint>

// Which table the grid shows: the index of the selected tab.
using TableIndex = std::uint8_t;
inline constexpr TableIndex kCreatures = 0;
inline constexpr TableIndex kBuildings = 1;
inline constexpr TableIndex kSpells = 2;
inline constexpr int kTableCount = 3;
