#pragma once

#include <QDockWidget>
#include <QPointF>
#include <utility>
#include <vector>

#include "balance_model.h"

class QChart;
class QChartView;
class QComboBox;
class QGraphicsPathItem;
class QLabel;
class QLineEdit;
class QScatterSeries;
class QStandardItemModel;
class QTableView;
class QValueAxis;
class UserSettings;

// The dock "Баланс" for the table on show: a list of its entries (every field
// and the computed columns), sorted by a column and filtered by a name and a
// condition, with each column's minimum, maximum, mean and median under it;
// and a scatter of one column against another, with the comparison file's
// points and a line from each of them to the entry's point now. It follows
// the tab, the document and the comparison file after each committed step,
// while it is shown.
class BalancePanel : public QDockWidget {
  Q_OBJECT

 public:
  // `document` and `settings` must outlive the panel; the computed columns
  // of each table are kept in `settings`.
  BalancePanel(TableDocument* document, UserSettings* settings, QWidget* parent = nullptr);
  ~BalancePanel() override;

  BalanceModel* Model() const { return model_; }
  BalanceProxy* Proxy() const { return proxy_; }
  QTableView* View() const { return view_; }
  QTableView* Footer() const { return footer_; }
  QLineEdit* NameFilter() const { return name_filter_; }
  QLineEdit* Condition() const { return condition_; }
  QComboBox* XColumn() const { return x_column_; }
  QComboBox* YColumn() const { return y_column_; }
  QChartView* ChartView() const { return chart_view_; }
  QScatterSeries* Points() const { return points_; }
  QScatterSeries* ComparisonPoints() const { return compared_; }
  // The lines from the comparison file's points to the points now.
  QGraphicsPathItem* Moves() const { return moves_; }
  // The entry of each point of Points(), in order.
  const std::vector<int>& PointEntries() const { return point_entries_; }

  // The computed columns of the table on show, kept in the settings.
  void AddComputedColumn(const ComputedColumn& column);
  void ReplaceComputedColumn(int computed, const ComputedColumn& column);
  void RemoveComputedColumn(int computed);

  // Everything again from the document; done on each committed step.
  void Refresh();
  // The point of `entry` clicked: it is selected in the list and in the grid.
  void SelectEntry(int entry);

 signals:
  // The user asked to see the cell of `field` in the grid.
  void showField(const FieldRef& field);
  // The user pressed Escape in the panel.
  void leaveRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<ComputedColumn> StoredColumns(TableIndex table) const;
  void StoreColumns();
  void TableShown();
  void HeaderClicked(int section);
  void UpdateFooter();
  void UpdateAxisChoices();
  void UpdateChart();
  void DrawMoves();
  int EntryAt(const QPointF& point) const;
  void ShowPointTip(const QPointF& point, bool entered);
  void AskComputedColumn(int computed);
  // The grid column a list column shows in the grid: a field's own, or the
  // first field for the name and computed columns.
  int GridColumnOf(int column) const;

  TableDocument* document_;
  UserSettings* settings_;
  BalanceModel* model_;
  BalanceProxy* proxy_;
  QTableView* view_;
  QTableView* footer_;
  QStandardItemModel* footer_model_;
  QLineEdit* name_filter_;
  QLineEdit* condition_;
  QLabel* problem_;
  QComboBox* x_column_;
  QComboBox* y_column_;
  QChart* chart_;
  QChartView* chart_view_;
  QScatterSeries* points_;
  QScatterSeries* compared_;
  QValueAxis* x_axis_;
  QValueAxis* y_axis_;
  // The ranges last given to the axes, before they were made nice.
  std::pair<double, double> axis_ranges_[2] = {{0, 0}, {0, 0}};
  QGraphicsPathItem* moves_;
  std::vector<int> point_entries_;
  std::vector<std::pair<QPointF, QPointF>> move_lines_;  // from the comparison file to now
  int sort_section_ = -1;
  int sort_clicks_ = 0;
};
