#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "document/notes_checks.h"
#include "document/table_document.h"
#include "tables/grid_shape.h"
#include "tables/table_set.h"

// The background of a cell whose text a commit would not store: the field
// keeps its value.
inline const QColor kNotANumberColor(255, 196, 196);
// The corner triangle of a cell that differs from the comparison file.
inline const QColor kComparedColor(40, 90, 200);
// The background and text of a cell whose record lies past the end of a short
// file: it shows what was loaded (zero where the file has no bytes) and takes
// no edit.
inline const QColor kPastEndColor(224, 224, 224);
inline const QColor kPastEndTextColor(112, 112, 112);
// The background of a cell whose value lies outside the sane range its field
// notes give, and of the name of an entry that breaks a check of the notes.
inline const QColor kOutsideSaneColor(255, 236, 170);
inline const QColor kBrokenCheckColor(255, 214, 150);

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
  // Text the user typed into the cell at `index`: the cell editor sends every
  // keystroke here, and it goes to the document's Type. False when the
  // document refused it (a cell past the end of the file).
  bool TypeInto(const QModelIndex& index, const QString& text);
  // Qt's own road for an edit (a delegate's setModelData): the edit role
  // goes through TypeInto, any other is refused.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The grid's shape, fixed row and column included.
  int GridRows() const { return rows_; }
  int GridColumns() const { return columns_; }
  void SetShape(int rows, int columns);
  // The table whose cells are on show: the document's active table.
  TableIndex Table() const { return document_->ActiveTable(); }

  std::string Text(int column, int row) const;
  // The caption row keeps its texts here; every other cell's text goes to the
  // document's Type, the one road of typing and paste alike: outside a
  // Change of the document it is a typing step, inside (a paste) part of that
  // change's step.
  void SetText(int column, int row, const std::string& text);
  CellMark Mark(int column, int row) const;
  // Whether the cell's record lies past the end of the file: the cell is not
  // editable and typing into it is refused.
  bool PastEnd(int column, int row) const;
  // The cell's hint (its tooltip), and what assistive technology reads about
  // it besides its text: its row's name, its column's caption and the hint.
  QString Hint(int column, int row) const;
  QString AccessibleDescription(int column, int row) const;

  // Between these, changes are only noted; the end tells the views once.
  // True when it told them that every cell changed.
  void BeginUpdate() { ++updating_; }
  bool EndUpdate();
  // Inside a batch, an outer one included.
  bool Updating() const { return updating_ > 0; }

  // The mark of a cell, for the editor that covers it.
  static constexpr int kMarkRole = Qt::UserRole + 1;
  // Whether the cell differs from the comparison file: its text is
  // underlined and a triangle marks its corner.
  static constexpr int kComparedRole = Qt::UserRole + 2;
  // Whether the cell lies past the end of the file (PastEnd).
  static constexpr int kPastEndRole = Qt::UserRole + 3;
  bool DiffersFromComparison(int column, int row) const;
  // Whether the cell's value lies outside the sane range of its field notes.
  static constexpr int kOutsideSaneRole = Qt::UserRole + 4;
  bool OutsideSaneRange(int column, int row) const;

  // Where the field notes the captions, the hints and the marks tell of come
  // from; none until set. It is asked only when they are needed (a file is
  // open, or a caption's hint is shown), so that notes read on first use are
  // not read at start-up. NotesChanged when the notes it gives change.
  void SetNotes(std::function<const NotesChecker*()> notes);
  void NotesChanged();
  const NotesChecker* Notes() const { return notes_ ? notes_() : nullptr; }
  // The caption's hint: the field's description, kind, range and sane range.
  QString CaptionHint(int column) const;
  // The checks of the notes that the entry of `row` breaks, by index.
  std::vector<int> BrokenChecks(int row) const;
  // The mark beside the name of an entry that breaks a check, and the blank
  // of its size beside the other names of a table with checks.
  static QIcon BrokenCheckIcon();
  static QIcon NoMarkIcon();
  bool HasChecks() const;

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
  std::function<const NotesChecker*()> notes_;
  std::array<std::string, kMaxColCount> captions_;
  int rows_ = RowCounts[kCreatures];
  int columns_ = ColCounts[kCreatures];
  int updating_ = 0;
  bool changed_while_updating_ = false;
};
