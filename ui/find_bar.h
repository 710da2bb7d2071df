#pragma once

#include <QList>
#include <QWidget>

class QAction;
class QLineEdit;
class TStringGrid;

// A thin bar over the grid with one field: the text typed there finds the
// entries whose names contain it, and the current cell moves to their rows
// and stays in its column. Hidden until Ctrl+F; Escape hides it again and
// gives the keyboard back to the cell editor.
class FindBar : public QWidget {
  Q_OBJECT

 public:
  // `grid` must outlive the bar.
  explicit FindBar(TStringGrid* grid, QWidget* parent = nullptr);

  // Ctrl+F, F3 and Shift+F3, for the window to add to itself: they work
  // wherever the keyboard is in it.
  QList<QAction*> WindowActions() const { return actions_; }
  QLineEdit* Field() const { return field_; }

  // Shows the bar with its text selected and the keyboard in it.
  void Open();
  // Hides the bar; the keyboard goes back to the cell editor.
  void Close();
  // The next or previous row whose name matches, after or before the current
  // one, wrapping around the table.
  void FindNext();
  void FindPrevious();

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  void TextChanged();
  // Steps from `row` by `step` through every other row and back to `row`;
  // 0 when no name matches.
  int MatchingRow(int row, int step) const;
  bool Matches(int row) const;
  void Find(int from_row, int step);
  void ShowFound(bool found);

  TStringGrid* grid_;
  QLineEdit* field_;
  QList<QAction*> actions_;
};
