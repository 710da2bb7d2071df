#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "tables/table_index.h"

// One field of one entry of one table; columns are the grid's (1 and up).
struct FieldRef {
  TableIndex table = kCreatures;
  int entry = 0;
  int column = 1;
  friend auto operator<=>(const FieldRef&, const FieldRef&) = default;
};

// Whether `field` names a field of its table.
bool IsField(const FieldRef& field);

// One field as the document holds it: the committed value, and the text
// typed into its cell if there is any. Together they say all that the cell
// shows and all that a commit or a save will store, so restoring both brings
// a field back exactly, whether its text parsed, wrapped or did not parse.
struct CellState {
  std::int32_t committed = 0;  // widened as the grid shows it
  std::optional<std::string> typed;
  friend bool operator==(const CellState&, const CellState&) = default;
};
