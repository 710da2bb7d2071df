#pragma once

#include <vector>

#include "document/notes_checks.h"
#include "grid/grid_panel.h"

class FieldNotesCommands;
class QPushButton;
class QTableWidget;
class QTimer;
class TableDocument;

// The dock "Проверки": every check of the field notes that an entry breaks,
// and every value outside its sane range, as table, entry, check and level.
// It follows every step of the document and every change of the notes while
// it is shown. Enter or a double-click on a row shows the entry (the field,
// for a value outside its range). "Проверки..." edits the checks of the
// table on show. Escape gives the keyboard back to the grid.
class ChecksPanel : public GridPanel {
  Q_OBJECT

 public:
  // `document` and `notes` must outlive the panel.
  ChecksPanel(TableDocument* document, FieldNotesCommands* notes, QWidget* parent = nullptr);

  QTableWidget* View() const { return view_; }
  // "Проверки...": the checks of the table on show, edited.
  QPushButton* EditButton() const { return edit_; }
  // What the rows list, in their order.
  const std::vector<NoteFinding>& Findings() const { return findings_; }
  // Lists the findings again now (the panel otherwise does it once the
  // events of a step are handled).
  void Refresh();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void RefreshSoon();

  TableDocument* document_;
  FieldNotesCommands* notes_;
  QTableWidget* view_;
  QPushButton* edit_;
  QTimer* refresh_;
  std::vector<NoteFinding> findings_;
};
