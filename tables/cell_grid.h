#pragma once

#include <string>

// The grid in which the tables are shown and edited, as the tables see it: a
// sheet of text cells addressed by (column, row). Row 0 holds the captions and
// column 0 the names; entry i of the shown table is row i + 1.
//
// Texts are UTF-8. A cell never written reads as the empty text, and a cell
// keeps its text while the grid is reshaped around it.
class CellGrid {
 public:
  virtual ~CellGrid() = default;

  virtual void SetCellText(int column, int row, const std::string& text) = 0;
  virtual std::string CellText(int column, int row) const = 0;
  // Scrolls so that column 1 and row 1 are the first non-fixed cells shown.
  // The current cell does not move.
  virtual void ResetGridScroll() = 0;
};
