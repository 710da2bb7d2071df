#pragma once

#include <vector>

#include "document/changes_model.h"
#include "grid/grid_panel.h"

class QCheckBox;
class QPushButton;
class QTableView;

// The dock "Изменения": every field that differs from the file on disk, or
// from the comparison file, one row each. Enter or a double-click on a row
// shows its cell; the buttons set the selected rows' fields (none selected:
// the current row's) back to the file on disk, or to the comparison file, as
// one step. Escape gives the keyboard back to the grid. While the panel is
// hidden its list does not follow the document; shown again, it lists every
// field again.
class ChangesPanel : public GridPanel {
  Q_OBJECT

 public:
  // `document` must outlive the panel.
  explicit ChangesPanel(TableDocument* document, QWidget* parent = nullptr);

  ChangesModel* Model() const { return model_; }
  QTableView* View() const { return view_; }
  QCheckBox* CompareToggle() const { return compare_; }
  QPushButton* RevertButton() const { return revert_; }
  QPushButton* TakeButton() const { return take_; }

  // The fields of the selected rows, or of the current row.
  std::vector<FieldRef> SelectedFields() const;
  void RevertSelected();
  void TakeSelectedFromComparison();

 private:
  void ComparisonChanged();

  TableDocument* document_;
  ChangesModel* model_;
  QTableView* view_;
  QCheckBox* compare_;
  QPushButton* revert_;
  QPushButton* take_;
};
