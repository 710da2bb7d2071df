#pragma once

#include <QPointF>
#include <functional>
#include <utility>
#include <vector>

#include "balance/balance_chart.h"
#include "balance/balance_model.h"
#include "grid/grid_panel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

// Where the computed columns of each table are kept between runs.
class ComputedColumnStore {
 public:
  virtual ~ComputedColumnStore() = default;
  virtual std::vector<ComputedColumn> Load(TableIndex table) const = 0;
  virtual void Store(TableIndex table, const std::vector<ComputedColumn>& columns) = 0;
};

// The dock "Баланс" for the table on show: a list of its entries (every field
// and the computed columns), sorted by a column and filtered by a name and a
// condition, with each column's minimum, maximum, mean and median under it;
// and a scatter of one column against another, with the comparison file's
// points and a line from each of them to the entry's point now. It follows
// the tab, the document and the comparison file after each committed step,
// while it is shown; hidden, it works nothing out.
class BalancePanel : public GridPanel {
  Q_OBJECT

 public:
  // `document` and `store` must outlive the panel. The chart comes from its
  // plugin (balance_chart_plugin.h); without it the panel says why in its
  // place.
  BalancePanel(TableDocument* document, ComputedColumnStore* store, QWidget* parent = nullptr);
  ~BalancePanel() override;

  BalanceModel* Model() const { return model_; }
  BalanceProxy* Proxy() const { return proxy_; }
  QTableView* View() const { return view_; }
  QTableView* Footer() const { return footer_; }
  QLineEdit* NameFilter() const { return name_filter_; }
  QLineEdit* Condition() const { return condition_; }
  // "только с нарушениями": only the entries the field notes find fault with.
  QCheckBox* OnlyBroken() const { return only_broken_; }
  // Where the field notes in force come from; called again whenever they may
  // have changed (NotesChanged).
  void SetNotesSource(std::function<const NotesChecker*()> notes);
  void NotesChanged();
  // What is wrong with the condition and the computed columns' formulas,
  // over the list; hidden when nothing is.
  QLabel* Problems() const { return problem_; }
  QComboBox* XColumn() const { return x_column_; }
  QComboBox* YColumn() const { return y_column_; }
  // The chart, or none when its plugin could not be loaded (ChartProblem()
  // says why).
  BalanceChart* Chart() const { return chart_; }
  const QString& ChartProblem() const { return chart_problem_; }
  // What the chart was given last, and the entry of each of its points now.
  const BalanceChartData& ChartData() const { return chart_data_; }
  const std::vector<int>& PointEntries() const { return point_entries_; }

  // The computed columns of the table on show, kept in the store.
  void AddComputedColumn(const ComputedColumn& column);
  void ReplaceComputedColumn(int computed, const ComputedColumn& column);
  void RemoveComputedColumn(int computed);

  // Everything again from the document; done on each committed step.
  void Refresh();
  // The point of `entry` clicked: it is selected in the list and in the grid.
  void SelectEntry(int entry);

 protected:
  // A switch of language shows every text of the panel in the new one.
  void changeEvent(QEvent* event) override;

 private:
  // Every text of the panel in the language now installed.
  void Retranslate();
  void StoreColumns();
  void TableShown();
  void HeaderClicked(int section);
  void UpdateProblems();
  void UpdateFooter();
  void UpdateAxisChoices();
  void UpdateChart();
  QString PointTip(int point) const;
  void AskComputedColumn(int computed);
  // The grid column a list column shows in the grid: a field's own, or the
  // first field for the name and computed columns.
  int GridColumnOf(int column) const;

  TableDocument* document_;
  ComputedColumnStore* store_;
  BalanceModel* model_;
  BalanceProxy* proxy_;
  QTableView* view_;
  QTableView* footer_;
  QStandardItemModel* footer_model_;
  QLineEdit* name_filter_;
  QLineEdit* condition_;
  QCheckBox* only_broken_;
  std::function<const NotesChecker*()> notes_;
  QLabel* problem_;
  QComboBox* x_column_;
  QComboBox* y_column_;
  QLabel* x_label_;
  QLabel* y_label_;
  QPushButton* add_;
  QPushButton* edit_;
  QPushButton* remove_;
  QLabel* missing_chart_ = nullptr;
  BalanceChart* chart_ = nullptr;
  QString chart_problem_;
  BalanceChartData chart_data_;
  std::vector<int> point_entries_;
  int sort_section_ = -1;
  int sort_clicks_ = 0;
};

// The chart's view of numbers along one axis. Numbers up to 1e15 are shown as
// they are; larger ones (up to the largest double) are divided by a power of
// ten, which the axis title names, so that the axis can be drawn and its
// labels stay short. The range has a margin of a twentieth on each side.
struct ChartAxis {
  double scale = 1;  // what each number is divided by
  int exponent = 0;  // scale is 10 to this
  double low = 0;    // the range shown, scaled
  double high = 1;
};
ChartAxis ChartAxisFor(const std::vector<double>& numbers);
