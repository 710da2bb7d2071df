#pragma once

#include <QAbstractTableModel>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <functional>
#include <string>
#include <utility>

#include "cell_grid.h"
#include "grid_shape.h"
#include "table_document.h"
#include "table_set.h"

class QAbstractButton;
class QLineEdit;

// The grid's cells as the tables address them: (column, row), row 0 the
// captions, column 0 the names. The view shows row 0 in its column header and
// column 0 in its row header, so model row r is grid row r + 1 and model
// column c grid column c + 1.
//
// The cells of the table on show are read from the document and typed text
// goes to it; the model itself keeps only the caption row.
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(TableDocument* document, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Text put into a cell by the user, through the cell editor.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The grid's shape, fixed row and column included.
  int GridRows() const { return rows_; }
  int GridColumns() const { return columns_; }
  void SetShape(int rows, int columns);
  // The table whose cells are on show: the document's active table.
  TableIndex Table() const { return document_->ActiveTable(); }

  std::string Text(int column, int row) const;
  // The caption row keeps its texts here; every other cell's text goes to the
  // document's EditCell, the one road of typing and paste alike: outside a
  // group of the document's history it is a typing step, inside (a paste)
  // part of that group's step.
  void SetText(int column, int row, const std::string& text);
  CellMark Mark(int column, int row) const;
  // The cell's hint (its tooltip), and what assistive technology reads about
  // it besides its text: its row's name, its column's caption and the hint.
  QString Hint(int column, int row) const;
  QString AccessibleDescription(int column, int row) const;

  // Between these, changes are only noted; the end tells the views once.
  // True when it told them that every cell changed.
  void BeginUpdate() { ++updating_; }
  bool EndUpdate();

  // The mark of a cell, for the editor that covers it.
  static constexpr int kMarkRole = Qt::UserRole + 1;

  static bool InRange(int column, int row) {
    return column >= 0 && column < kMaxColCount && row >= 0 && row < kMaxRowCount;
  }

 signals:
  // The user changed the text of cell (column, row).
  void cellEdited(int column, int row);

 private:
  FieldRef FieldAt(int column, int row) const { return {Table(), row - 1, column}; }
  void DocumentCellChanged(const FieldRef& field);
  void EverythingChanged();
  void CellChanged(int column, int row);

  TableDocument* document_;
  std::array<std::string, kMaxColCount> captions_;
  int rows_ = RowCounts[kCreatures];
  int columns_ = ColCounts[kCreatures];
  int updating_ = 0;
  bool changed_while_updating_ = false;
};

// Puts every keystroke of the cell editor into its cell at once, and shows
// the cell's mark on the editor too, since the editor covers the cell.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

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
  // Ends a batch of changes; the editor shows its cell's new text and mark.
  void EndUpdate();
  // After a refill (a tab switch, an Open) the editor holds another table's
  // cell, even when the text looks the same: its undo history is dropped, so
  // Ctrl+Z can never put the text of one table into another.
  void ForgetEditorHistory();

  GridModel* Model() const { return model_; }

  // The selected range (grid_range.cpp): a rectangle of non-fixed cells in grid
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

 protected:
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
