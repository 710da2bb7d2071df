#include "balance/balance_model.h"

#include "document/comparison_file.h"

#include <algorithm>
#include <cmath>

#include "document/caption_language.h"
#include "tables/grid_shape.h"
#include "tables/table_set.h"

QString BalanceNumberText(double number) {
  if (std::abs(number) >= 1e15)
    return QString::number(number, 'g', 6);
  if (number == std::trunc(number))
    return QString::number(static_cast<qint64>(number));
  // Two decimals at most, with no zeros after the last that counts: 8.5, not 8.50.
  QString text = QString::number(number, 'f', 2);
  while (text.endsWith(QLatin1Char('0')))
    text.chop(1);
  if (text.endsWith(QLatin1Char('.')))
    text.chop(1);
  return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// A computed column's formula and its results, now and in the comparison
// file; none until worked out.
struct BalanceModel::Results {
  Results(TableIndex table, const QString& text) : formula(table, text, FormulaPlace::Entry) {}
  Formula formula;
  bool worked_out = false;
  std::vector<std::optional<double>> now;
  std::vector<std::optional<double>> compared;
  QString error;
};

BalanceModel::BalanceModel(const TableDocument* document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {}

BalanceModel::~BalanceModel() = default;

void BalanceModel::SetTable(TableIndex table, const std::vector<ComputedColumn>& columns) {
  beginResetModel();
  table_ = table;
  computed_ = columns;
  // A formula already compiled for this table is kept, wherever it stood.
  std::vector<std::unique_ptr<Results>> kept = std::move(results_[table]);
  results_[table].clear();
  for (const ComputedColumn& column : computed_) {
    const auto same = std::find_if(kept.begin(), kept.end(), [&](const auto& results) {
      return results && results->formula.Text() == column.formula;
    });
    if (same != kept.end()) {
      (*same)->worked_out = false;
      results_[table].push_back(std::move(*same));
    } else {
      results_[table].push_back(std::make_unique<Results>(table, column.formula));
    }
  }
  endResetModel();
}

void BalanceModel::Refresh() {
  Evaluate();
  if (rowCount() > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void BalanceModel::Evaluate() {
  const bool loaded = document_->IsLoaded();
  const int entries = loaded ? EntryCount(table_) : 0;
  for (auto& results : results_[table_]) {
    results->now.assign(static_cast<std::size_t>(entries), std::nullopt);
    results->compared.assign(static_cast<std::size_t>(entries), std::nullopt);
    results->error.clear();
    results->worked_out = true;
    if (!loaded)
      continue;
    if (results->formula.CompileError()) {
      results->error = FormulaErrorText(*results->formula.CompileError());
      continue;
    }
    const auto run = [&](const FormulaFields& fields, std::vector<std::optional<double>>& into) {
      for (int entry = 0; entry < entries; ++entry) {
        const FormulaResult result = results->formula.Evaluate(fields, entry, std::nullopt);
        if (result.kind == FormulaResult::Kind::Number)
          into[static_cast<std::size_t>(entry)] = result.number;
        if (result.kind == FormulaResult::Kind::Failed) {
          if (results->error.isEmpty())
            results->error = FormulaErrorText(result.error);
          break;
        }
      }
    };
    run(FieldsAfterCommit(*document_, table_), results->now);
    if (document_->Comparison().IsOpen() && results->error.isEmpty())
      run(ComparisonFields(*document_, table_), results->compared);
  }
}

int BalanceModel::FirstComputed() const {
  return ColCounts[table_];
}

std::optional<double> BalanceModel::Number(int entry, int column) const {
  if (!document_->IsLoaded() || entry < 0 || entry >= EntryCount(table_) || column < 1)
    return std::nullopt;
  if (column < FirstComputed())
    return static_cast<double>(
        ShownNumber(document_->ValueAfterCommit({table_, entry, column}), FieldOf(table_, column)));
  const auto computed = static_cast<std::size_t>(column - FirstComputed());
  const auto& results = results_[table_];
  if (computed >= results.size() || !results[computed]->worked_out)
    return std::nullopt;
  return results[computed]->now[static_cast<std::size_t>(entry)];
}

std::optional<double> BalanceModel::ComparisonNumber(int entry, int column) const {
  if (!document_->IsLoaded() || !document_->Comparison().IsOpen() || entry < 0 ||
      entry >= EntryCount(table_) || column < 1)
    return std::nullopt;
  if (column < FirstComputed())
    return static_cast<double>(ShownNumber(document_->Comparison().Value({table_, entry, column}),
                                           FieldOf(table_, column)));
  const auto computed = static_cast<std::size_t>(column - FirstComputed());
  const auto& results = results_[table_];
  if (computed >= results.size() || !results[computed]->worked_out)
    return std::nullopt;
  return results[computed]->compared[static_cast<std::size_t>(entry)];
}

QString BalanceModel::ComputedError(int computed) const {
  const auto& all = results_[table_];
  if (computed < 0 || static_cast<std::size_t>(computed) >= all.size())
    return {};
  const Results& results = *all[static_cast<std::size_t>(computed)];
  if (results.formula.CompileError())
    return FormulaErrorText(*results.formula.CompileError());
  return results.error;
}

QString BalanceModel::EntryName(int entry) const {
  if (!document_->IsLoaded())
    return {};
  return QString::fromStdString(EntryNameText(document_->Committed(), table_, entry));
}

void BalanceModel::Retranslate() {
  const int columns = columnCount();
  if (columns == 0)
    return;
  emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
  if (rowCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columns - 1), {Qt::DisplayRole});
}

int BalanceModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !document_->IsLoaded() ? 0 : EntryCount(table_);
}

int BalanceModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FirstComputed() + static_cast<int>(computed_.size());
}

QVariant BalanceModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid())
    return {};
  const int entry = index.row();
  const int column = index.column();
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    if (column == 0)
      return EntryName(entry);
    const std::optional<double> number = Number(entry, column);
    if (number)
      return BalanceNumberText(*number);
    return column >= FirstComputed() ? tr("не число") : QVariant();
  }
  if (role == kNumberRole) {
    const std::optional<double> number = Number(entry, column);
    return number ? QVariant(*number) : QVariant();
  }
  if (role == Qt::TextAlignmentRole && column > 0)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant BalanceModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, orientation, role);
  if (section < FirstComputed()) {
    return ShownCaption(HeaderCaptions[table_][static_cast<std::size_t>(section)]);
  }
  const auto computed = static_cast<std::size_t>(section - FirstComputed());
  return computed < computed_.size() ? computed_[computed].name : QString();
}

BalanceProxy::BalanceProxy(BalanceModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model) {
  setSourceModel(model);
  setSortRole(BalanceModel::kNumberRole);
}

void BalanceProxy::SetNameFilter(const QString& text) {
  name_filter_ = text;
  invalidateRowsFilter();
}

void BalanceProxy::SetCondition(const QString& condition) {
  condition_ = condition;
  Refresh();
}

void BalanceProxy::Refresh() {
  EvaluateCondition();
  invalidate();
}

void BalanceProxy::SetOnlyBroken(const NotesChecker* notes) {
  only_broken_ = notes;
  Refresh();
}

void BalanceProxy::EvaluateCondition() {
  passes_.assign(static_cast<std::size_t>(model_->rowCount()), true);
  condition_error_.clear();
  broken_.clear();
  if (only_broken_) {
    const TableIndex table = model_->Table();
    broken_.assign(passes_.size(), false);
    for (const NoteFinding& finding :
         only_broken_->Findings(FieldsAfterCommit(model_->Document(), table), table))
      if (static_cast<std::size_t>(finding.entry) < broken_.size())
        broken_[static_cast<std::size_t>(finding.entry)] = true;
  }
  if (condition_.trimmed().isEmpty()) {
    compiled_.reset();
    return;
  }
  if (!compiled_ || compiled_->Text() != condition_ || compiled_table_ != model_->Table()) {
    compiled_.emplace(model_->Table(), condition_, FormulaPlace::Entry);
    compiled_table_ = model_->Table();
  }
  if (compiled_->CompileError()) {
    condition_error_ = FormulaErrorText(*compiled_->CompileError());
    return;
  }
  const FormulaFields fields = FieldsAfterCommit(model_->Document(), model_->Table());
  for (std::size_t entry = 0; entry < passes_.size(); ++entry) {
    const FormulaResult result = compiled_->Evaluate(fields, static_cast<int>(entry), std::nullopt);
    if (result.kind == FormulaResult::Kind::Failed) {
      condition_error_ = FormulaErrorText(result.error);
      passes_.assign(passes_.size(), true);
      break;
    }
    passes_[entry] = result.truth;
  }
}

bool BalanceProxy::filterAcceptsRow(int source_row, const QModelIndex&) const {
  if (source_row < 0 || static_cast<std::size_t>(source_row) >= passes_.size())
    return true;
  if (!passes_[static_cast<std::size_t>(source_row)])
    return false;
  if (only_broken_ && static_cast<std::size_t>(source_row) < broken_.size() &&
      !broken_[static_cast<std::size_t>(source_row)])
    return false;
  return name_filter_.isEmpty() ||
         model_->EntryName(source_row).contains(name_filter_, Qt::CaseInsensitive);
}

bool BalanceProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  if (left.column() == 0)
    return QString::localeAwareCompare(model_->EntryName(left.row()),
                                       model_->EntryName(right.row())) < 0;
  const std::optional<double> a = model_->Number(left.row(), left.column());
  const std::optional<double> b = model_->Number(right.row(), right.column());
  // Missing numbers last in the ascending order.
  if (a && b)
    return *a < *b;
  return a.has_value() && !b.has_value();
}

std::vector<ColumnStatistics> StatisticsOf(const BalanceProxy& proxy) {
  const auto* model = static_cast<const BalanceModel*>(proxy.sourceModel());
  std::vector<ColumnStatistics> statistics(static_cast<std::size_t>(model->columnCount()));
  std::vector<double> numbers;
  for (int column = 1; column < model->columnCount(); ++column) {
    numbers.clear();
    for (int row = 0; row < proxy.rowCount(); ++row) {
      const int entry = proxy.mapToSource(proxy.index(row, 0)).row();
      if (const std::optional<double> number = model->Number(entry, column))
        numbers.push_back(*number);
    }
    if (numbers.empty())
      continue;
    ColumnStatistics& s = statistics[static_cast<std::size_t>(column)];
    std::sort(numbers.begin(), numbers.end());
    s.minimum = numbers.front();
    s.maximum = numbers.back();
    const auto count = static_cast<double>(numbers.size());
    double sum = 0;
    for (const double number : numbers)
      sum += number;
    if (std::isfinite(sum)) {
      s.mean = sum / count;
    } else {  // past the largest double: each number's share of the mean instead
      double mean = 0;
      for (const double number : numbers)
        mean += number / count;
      s.mean = mean;
    }
    const std::size_t half = numbers.size() / 2;
    if (numbers.size() % 2 == 1) {
      s.median = numbers[half];
    } else {
      const double a = numbers[half - 1], b = numbers[half];
      s.median = std::isfinite(a + b) ? (a + b) / 2 : a / 2 + b / 2;
    }
  }
  return statistics;
}
