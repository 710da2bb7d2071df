#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QRect>
#include <QTableView>
#include <string>

#include "document/table_document.h"
#include "grid/grid_model.h"
#include "tables/cell_grid.h"
#include "tables/grid_shape.h"

class QAbstractButton;
class QLineEdit;

// The editable string grid: one fixed caption row, one fixed name column, and
// the cell editor always open on the current cell.
class TStringGrid : public QTableView, public CellGrid {
  Q_OBJECT

 public:
  // `document` holds the cells' texts and must outlive the grid.
  explicit TStringGrid(TableDocument* document, QWidget* parent = nullptr);

  // CellGrid
  void SetCellText(int column, int row, const std::string& text) override;
  std::string CellText(int column, int row) const override;
  void ResetGridScroll() override;

  int RowCount() const { return model_->GridRows(); }
  int ColCount() const { return model_->GridColumns(); }
  // Reshapes the grid. Texts stay in their cells; columns that stay keep their
  // widths, columns that come into the shape get the default width; a current
  // cell outside the new shape moves into its last row or column.
  void SetShape(int rows, int columns);

  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  int RowHeight(int row) const;

  CellMark Mark(int column, int row) const { return model_->Mark(column, row); }

  // The grid position of the current cell, never in the fixed row or column.
  int CurrentColumn() const;
  int CurrentRow() const;
  void SetCurrentCell(int column, int row);
  // The editor open on the current cell.
  QLineEdit* CellEditor() const;
  // The first non-fixed column and row shown.
  int LeftColumn() const;
  int TopRow() const;

  void BeginUpdate() { model_->BeginUpdate(); }
  // Ends a batch of changes; the editor shows its cell's new text and mark
  // once the outermost batch ends.
  void EndUpdate();
  // After a refill (a tab switch, an Open) the editor holds another table's
  // cell, even when the text looks the same: its undo history is dropped, so
  // Ctrl+Z can never put the text of one table into another.
  void ForgetEditorHistory();

  GridModel* Model() const { return model_; }

  // The selected range: a rectangle of non-fixed cells in grid
  // positions (x the column, y the row), one corner on the current cell, which
  // keeps the editor. A single cell when nothing more is selected.
  QRect SelectedRange() const;
  // Selects from the current cell to (column, row), kept inside the grid.
  void ExtendRange(int column, int row);
  // Back to the current cell alone.
  void CollapseRange();

  static constexpr int kDefaultColumnWidth = 80;
  static constexpr int kRowHeight = 20;

 signals:
  void cellEdited(int column, int row);
  // A new editor was opened on the current cell (each cell gets its own).
  void editorOpened(QLineEdit* editor);
  // The current cell was double-clicked with Alt held: the window opens the
  // field's own editor (its bits, or its named values).
  void altDoubleClicked();

 protected:
  // The cell editor's tooltip is worded when the editor is filled; a switch
  // of language words it again.
  void changeEvent(QEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool eventFilter(QObject* object, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // The view never selects on its own: the range follows only the keys and
  // the mouse moves below.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Shift with an arrow key in the editor, a plain arrow or Tab; true when the
  // key was used up.
  bool RangeKey(QLineEdit* editor, const QKeyEvent* event);
  // A drag that starts in the editor and leaves it selects cells too.
  void RangeDragFromEditor(QLineEdit* editor, const QMouseEvent* event);
  void SelectRange();

  void OpenEditor(bool focus);
  void CloseEditor();

  GridModel* model_;
  QAbstractButton* corner_ = nullptr;
  QPersistentModelIndex editor_index_;
  bool reshaping_ = false;
  QPoint range_end_{1, 1};  // the range's corner across from the current cell
  bool dragging_ = false;
};
