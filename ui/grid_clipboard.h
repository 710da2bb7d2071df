#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

class TableDocument;
class QLineEdit;
class QWidget;
class TStringGrid;
class UserDialogs;

// Cells as spreadsheets put them on the clipboard: a tab between the cells of
// a row, a line break after each row (CRLF, LF, or CR alone as old Mac
// programs write it); a last line break ends the last row and starts none.
QList<QStringList> ClipboardCells(const QString& text);
bool HoldsSeveralCells(const QString& text);
// The cells of `range` (grid positions) as the grid shows them, in that form.
QString RangeText(const TStringGrid& grid, const QRect& range);

// Copy and paste of whole ranges in the grid. Ctrl+C with several cells
// selected copies them; Ctrl+V with several cells on the clipboard pastes them
// from the current cell on, as one step. Otherwise both keys are the editor's
// own, working in its text.
class GridClipboard : public QObject {
  Q_OBJECT

 public:
  // `window` is where messages appear; all must outlive this object.
  GridClipboard(TStringGrid* grid, TableDocument* document, UserDialogs* dialogs, QWidget* window);

  // Puts the selected range on the clipboard.
  void Copy();
  // Pastes `text` from the current cell on, each cell as typing it would set
  // it, as one step; cells past the grid's edge are left out and counted to
  // the user. Returns how many were left out.
  int Paste(const QString& text);

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  void Watch(QLineEdit* editor);
  // Whether the clipboard keys in `event` are ours rather than the editor's.
  bool TakesCopy() const;
  bool TakesPaste() const;

  TStringGrid* grid_;
  TableDocument* document_;
  UserDialogs* dialogs_;
  QWidget* window_;
};
