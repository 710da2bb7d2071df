#pragma once

#include <map>
#include <string>
#include <utility>

#include "tables/cell_grid.h"

// A grid that only keeps texts: what the tables fill and commit through when
// no window is needed.
class MemoryGrid : public CellGrid {
 public:
  void SetCellText(int column, int row, const std::string& text) override {
    cells_[{column, row}] = text;
  }
  std::string CellText(int column, int row) const override {
    const auto it = cells_.find({column, row});
    return it == cells_.end() ? std::string() : it->second;
  }
  void ResetGridScroll() override { ++scroll_resets; }

  int scroll_resets = 0;

 private:
  std::map<std::pair<int, int>, std::string> cells_;
};
