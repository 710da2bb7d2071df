#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "document/formula.h"
#include "document/notes_checks.h"
#include "document/table_document.h"

// A named formula shown as a column of the balance list, never of the grid.
struct ComputedColumn {
  QString name;
  QString formula;
  bool operator==(const ComputedColumn&) const = default;
};

// A number of the list, its footer and the chart's tips: a whole number as
// it is; others with at most two decimals (8.5, 0.33); past 1e15, where a
// double holds no fraction, six significant digits.
QString BalanceNumberText(double number);

// The balance list of the table on show: one row per entry, with its name,
// every field and the computed columns. Fields are read from the document as
// they are asked for; only the computed columns' results are held, worked out
// by Refresh alone (the panel calls it while it is shown). Each formula is
// compiled once for its text and table, and kept while its column stays.
class BalanceModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The number a cell sorts and counts by; none for the name and for a
  // computed result that is not a number.
  static constexpr int kNumberRole = Qt::UserRole + 1;

  explicit BalanceModel(const TableDocument* document, QObject* parent = nullptr);
  ~BalanceModel() override;

  TableIndex Table() const { return table_; }
  const TableDocument& Document() const { return *document_; }
  // Shows `table` with `columns`; a formula not compiled for this table yet
  // is compiled here. Their results are none until Refresh.
  void SetTable(TableIndex table, const std::vector<ComputedColumn>& columns);
  const std::vector<ComputedColumn>& Computed() const { return computed_; }
  // The fields (or comparison values) may have changed: the computed columns
  // are worked out again, and the views told.
  void Refresh();
  // The captions and texts again, in the language now installed.
  void Retranslate();

  // The first computed column's model column; columns before it are the
  // name (0) and the fields, as in the grid.
  int FirstComputed() const;
  // The number in a column for an entry, now or in the comparison file; for
  // a computed column, as Refresh last worked it out.
  std::optional<double> Number(int entry, int column) const;
  std::optional<double> ComparisonNumber(int entry, int column) const;
  // The first error of a computed column's formula, if any.
  QString ComputedError(int computed) const;
  QString EntryName(int entry) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Results;
  void Evaluate();

  const TableDocument* document_;
  TableIndex table_ = kCreatures;
  std::vector<ComputedColumn> computed_;
  // The computed columns of each table, compiled; those of the table on show
  // in the order of computed_.
  std::array<std::vector<std::unique_ptr<Results>>, kTableCount> results_;
};

// The list's order and filter: by number, missing numbers last; rows whose
// name holds a text, and for which a condition (a formula) is true.
class BalanceProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit BalanceProxy(BalanceModel* model, QObject* parent = nullptr);

  void SetNameFilter(const QString& text);
  // Only the entries that break a check of `notes` or hold a value outside
  // its sane range; every entry again with none. `notes` must outlive its use.
  void SetOnlyBroken(const NotesChecker* notes);
  // The condition; its error, if any, is ConditionError() once Refresh has
  // run. It is compiled when first worked out for a table, and again only
  // when its text or the table changes.
  void SetCondition(const QString& condition);
  const QString& ConditionError() const { return condition_error_; }
  // The fields may have changed: the condition is worked out again.
  void Refresh();

 protected:
  bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  void EvaluateCondition();

  BalanceModel* model_;
  QString name_filter_;
  const NotesChecker* only_broken_ = nullptr;
  QString condition_;
  std::optional<Formula> compiled_;  // condition_, for compiled_table_
  TableIndex compiled_table_ = kCreatures;
  QString condition_error_;
  std::vector<bool> passes_;  // by entry
  std::vector<bool> broken_;  // by entry, while only_broken_
};

// Minimum, maximum, mean and median of each column over the rows shown. The
// mean and median of numbers near the largest a double holds are what they
// are, not an overflow to infinity.
struct ColumnStatistics {
  std::optional<double> minimum, maximum, mean, median;
};
std::vector<ColumnStatistics> StatisticsOf(const BalanceProxy& proxy);
