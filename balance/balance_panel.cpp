#include "balance/balance_panel.h"

#include "document/comparison_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "balance/balance_chart_plugin.h"
#include "document/caption_language.h"
#include "tables/grid_shape.h"

namespace {

QString NumberText(const std::optional<double>& number) {
  return number ? BalanceNumberText(*number) : QString();
}

}  // namespace

ChartAxis ChartAxisFor(const std::vector<double>& numbers) {
  ChartAxis axis;
  if (numbers.empty())
    return axis;
  double largest = 0;
  for (const double number : numbers)
    largest = std::max(largest, std::abs(number));
  if (largest > 1e15) {
    axis.exponent = static_cast<int>(std::floor(std::log10(largest)));
    axis.scale = std::pow(10.0, axis.exponent);
  }
  double low = numbers.front() / axis.scale, high = low;
  for (const double number : numbers) {
    low = std::min(low, number / axis.scale);
    high = std::max(high, number / axis.scale);
  }
  // Scaled, the numbers lie within ±10, so neither the span nor the margin
  // can overflow.
  const double least = axis.scale == 1 ? 1.0 : std::max(std::abs(low), std::abs(high)) * 0.05;
  const double margin = std::max((high - low) * 0.05, least);
  axis.low = low - margin;
  axis.high = high + margin;
  return axis;
}

BalancePanel::BalancePanel(TableDocument* document, ComputedColumnStore* store, QWidget* parent)
    : GridPanel(QStringLiteral("BalancePanel"), parent),
      document_(document),
      store_(store),
      model_(new BalanceModel(document, this)),
      proxy_(new BalanceProxy(model_, this)) {
  auto* body = new QWidget(this);

  name_filter_ = new QLineEdit(body);
  name_filter_->setClearButtonEnabled(true);
  condition_ = new QLineEdit(body);
  condition_->setClearButtonEnabled(true);
  problem_ = new QLabel(body);
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000"));
  problem_->hide();

  view_ = new QTableView(body);
  view_->setModel(proxy_);
  SetUpList(view_, QAbstractItemView::SingleSelection);
  view_->horizontalHeader()->setSectionsClickable(true);
  view_->horizontalHeader()->setSortIndicatorShown(true);
  view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);

  // The footer: four rows under the list, its columns kept as wide as the list's.
  footer_model_ = new QStandardItemModel(this);
  footer_ = new QTableView(body);
  footer_->setModel(footer_model_);
  footer_->horizontalHeader()->hide();
  footer_->verticalHeader()->hide();
  footer_->verticalHeader()->setDefaultSectionSize(20);
  footer_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  footer_->setFocusPolicy(Qt::NoFocus);
  footer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  footer_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  footer_->setFixedHeight(4 * 20 + 2 * footer_->frameWidth());
  connect(view_->horizontalHeader(), &QHeaderView::sectionResized, footer_,
          [this](int section, int, int size) { footer_->setColumnWidth(section, size); });
  connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, footer_->horizontalScrollBar(),
          &QScrollBar::setValue);

  add_ = new QPushButton(body);
  edit_ = new QPushButton(body);
  remove_ = new QPushButton(body);
  const auto current_computed = [this] {
    const int column = view_->currentIndex().column();
    return column - model_->FirstComputed();
  };
  connect(add_, &QPushButton::clicked, this, [this] { AskComputedColumn(-1); });
  connect(edit_, &QPushButton::clicked, this, [this, current_computed] {
    if (const int computed = current_computed(); computed >= 0)
      AskComputedColumn(computed);
  });
  connect(remove_, &QPushButton::clicked, this, [this, current_computed] {
    if (const int computed = current_computed(); computed >= 0)
      RemoveComputedColumn(computed);
  });

  // The chart.
  x_column_ = new QComboBox(body);
  y_column_ = new QComboBox(body);
  QWidget* chart_widget = nullptr;
  if (BalanceChartMaker* maker = BalanceChartPlugin(&chart_problem_)) {
    chart_ = maker->MakeChart(body);
    chart_widget = chart_->Widget();
    chart_widget->setMinimumSize(320, 240);
    chart_->OnPointClicked([this](int point) {
      if (point >= 0 && static_cast<std::size_t>(point) < point_entries_.size())
        SelectEntry(point_entries_[static_cast<std::size_t>(point)]);
    });
    chart_->OnPointTip([this](int point) { return PointTip(point); });
  } else {
    missing_chart_ = new QLabel(body);
    missing_chart_->setWordWrap(true);
    missing_chart_->setAlignment(Qt::AlignCenter);
    chart_widget = missing_chart_;
  }

  auto* filters = new QHBoxLayout;
  filters->addWidget(name_filter_, 1);
  filters->addWidget(condition_, 2);
  only_broken_ = new QCheckBox(body);
  only_broken_->setEnabled(false);  // until the notes are known
  filters->addWidget(only_broken_);
  connect(only_broken_, &QCheckBox::toggled, this, [this] { NotesChanged(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add_);
  buttons->addWidget(edit_);
  buttons->addWidget(remove_);
  buttons->addStretch(1);
  auto* list_side = new QWidget(body);
  auto* list_layout = new QVBoxLayout(list_side);
  list_layout->setContentsMargins(0, 0, 0, 0);
  list_layout->setSpacing(0);
  list_layout->addLayout(filters);
  list_layout->addWidget(problem_);
  list_layout->addWidget(view_, 1);
  list_layout->addWidget(footer_);
  list_layout->addLayout(buttons);
  auto* axes = new QFormLayout;
  x_label_ = new QLabel(body);
  x_label_->setBuddy(x_column_);
  y_label_ = new QLabel(body);
  y_label_->setBuddy(y_column_);
  axes->addRow(x_label_, x_column_);
  axes->addRow(y_label_, y_column_);
  auto* chart_side = new QWidget(body);
  auto* chart_layout = new QVBoxLayout(chart_side);
  chart_layout->setContentsMargins(0, 0, 0, 0);
  chart_layout->addLayout(axes);
  chart_layout->addWidget(chart_widget, 1);
  auto* split = new QSplitter(Qt::Horizontal, body);
  split->addWidget(list_side);
  split->addWidget(chart_side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(split);
  setWidget(body);

  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &BalancePanel::HeaderClicked);
  ShowFieldOnActivation(view_, [this](const QModelIndex& row) {
    return FieldRef{model_->Table(), proxy_->mapToSource(row).row(), GridColumnOf(row.column())};
  });
  connect(name_filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    proxy_->SetNameFilter(text);
    UpdateFooter();
    UpdateChart();
  });
  connect(condition_, &QLineEdit::textChanged, this, [this](const QString& text) {
    proxy_->SetCondition(text);
    UpdateProblems();
    UpdateFooter();
    UpdateChart();
  });
  for (QComboBox* axis : {x_column_, y_column_})
    connect(axis, &QComboBox::currentIndexChanged, this, [this] { UpdateChart(); });

  connect(document_, &TableDocument::activeTableChanged, this, [this] { TableShown(); });
  for (auto signal :
       {&TableDocument::opened, &TableDocument::tablesReset, &TableDocument::fileChanged})
    connect(document_, signal, this, [this] { Refresh(); });
  connect(&document_->Comparison(), &ComparisonFile::changed, this, [this] { Refresh(); });
  connect(&document_->History(), &DocumentHistory::stepCompleted, this, [this] { Refresh(); });
  // Shown again, it catches up with what it did not follow while hidden.
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (shown)
      Refresh();
  });
  Retranslate();
  TableShown();
}

void BalancePanel::changeEvent(QEvent* event) {
  GridPanel::changeEvent(event);
  if (event->type() != QEvent::LanguageChange)
    return;
  Retranslate();
  model_->Retranslate();
  UpdateAxisChoices();
  // The footer's names, the errors and the chart's titles; hidden, the panel
  // words them when it is shown again.
  Refresh();
}

void BalancePanel::Retranslate() {
  // Texts set once; those worked out from the document follow on Refresh.
  setWindowTitle(tr("Баланс"));
  view_->setAccessibleName(tr("Баланс"));
  footer_->setAccessibleName(tr("Минимум, максимум, среднее и медиана"));
  name_filter_->setPlaceholderText(tr("Название содержит…"));
  // The example names the spells' fields as formulas know them in the
  // language on show.
  condition_->setPlaceholderText(
      tr("Условие, например: %1 >= 3 && %2 > 10")
          .arg(FormulaName(ShownCaption(HeaderCaptions[kSpells][1]).toStdString()),
               FormulaName(ShownCaption(HeaderCaptions[kSpells][2]).toStdString())));
  only_broken_->setText(tr("только с на&рушениями"));
  only_broken_->setToolTip(
      tr("Только записи, нарушающие проверки заметок о полях или со значениями вне разумных"));
  add_->setText(tr("&Добавить столбец…"));
  edit_->setText(tr("&Изменить столбец…"));
  remove_->setText(tr("&Удалить столбец"));
  x_label_->setText(tr("По &горизонтали:"));
  y_label_->setText(tr("По в&ертикали:"));
  x_column_->setAccessibleName(tr("По горизонтали"));
  y_column_->setAccessibleName(tr("По вертикали"));
  if (missing_chart_)
    missing_chart_->setText(tr("График недоступен: %1").arg(chart_problem_));
}

BalancePanel::~BalancePanel() = default;

void BalancePanel::StoreColumns() {
  store_->Store(model_->Table(), model_->Computed());
}

void BalancePanel::AddComputedColumn(const ComputedColumn& column) {
  std::vector<ComputedColumn> columns = model_->Computed();
  columns.push_back(column);
  model_->SetTable(model_->Table(), columns);
  StoreColumns();
  UpdateAxisChoices();
  Refresh();
}

void BalancePanel::ReplaceComputedColumn(int computed, const ComputedColumn& column) {
  std::vector<ComputedColumn> columns = model_->Computed();
  if (computed < 0 || static_cast<std::size_t>(computed) >= columns.size())
    return;
  columns[static_cast<std::size_t>(computed)] = column;
  model_->SetTable(model_->Table(), columns);
  StoreColumns();
  UpdateAxisChoices();
  Refresh();
}

void BalancePanel::RemoveComputedColumn(int computed) {
  std::vector<ComputedColumn> columns = model_->Computed();
  if (computed < 0 || static_cast<std::size_t>(computed) >= columns.size())
    return;
  columns.erase(columns.begin() + computed);
  model_->SetTable(model_->Table(), columns);
  StoreColumns();
  UpdateAxisChoices();
  Refresh();
}

void BalancePanel::AskComputedColumn(int computed) {
  QDialog dialog(this);
  dialog.setWindowTitle(computed < 0 ? tr("Новый столбец") : tr("Изменить столбец"));
  auto* name = new QLineEdit(&dialog);
  auto* formula = new QLineEdit(&dialog);
  formula->setPlaceholderText(tr("например: Здоровье / Золото"));
  if (computed >= 0) {
    const ComputedColumn& column = model_->Computed()[static_cast<std::size_t>(computed)];
    name->setText(column.name);
    formula->setText(column.formula);
  }
  auto* problem = new QLabel(&dialog);
  problem->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  auto* form = new QFormLayout(&dialog);
  form->addRow(tr("&Название:"), name);
  form->addRow(tr("&Формула:"), formula);
  form->addRow(problem);
  form->addRow(buttons);
  const auto check = [&] {
    QString text;
    if (name->text().trimmed().isEmpty())
      text = tr("Введите название.");
    else if (formula->text().trimmed().isEmpty())
      text = tr("Введите формулу.");
    else if (const Formula compiled(model_->Table(), formula->text(), FormulaPlace::Entry);
             compiled.CompileError())
      text = FormulaErrorText(*compiled.CompileError());
    problem->setText(text);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(text.isEmpty());
  };
  connect(name, &QLineEdit::textChanged, &dialog, check);
  connect(formula, &QLineEdit::textChanged, &dialog, check);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  check();
  if (dialog.exec() != QDialog::Accepted)
    return;
  const ComputedColumn column{name->text().trimmed(), formula->text()};
  if (computed < 0)
    AddComputedColumn(column);
  else
    ReplaceComputedColumn(computed, column);
}

void BalancePanel::TableShown() {
  model_->SetTable(document_->ActiveTable(), store_->Load(document_->ActiveTable()));
  sort_section_ = -1;
  sort_clicks_ = 0;
  proxy_->sort(-1);
  view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  UpdateAxisChoices();
  Refresh();
}

void BalancePanel::SetNotesSource(std::function<const NotesChecker*()> notes) {
  notes_ = std::move(notes);
  only_broken_->setEnabled(static_cast<bool>(notes_));
  NotesChanged();
}

void BalancePanel::NotesChanged() {
  const NotesChecker* notes = notes_ && only_broken_->isChecked() ? notes_() : nullptr;
  proxy_->SetOnlyBroken(notes);
  UpdateFooter();
  UpdateChart();
}

void BalancePanel::Refresh() {
  if (!isVisible())
    return;
  model_->Refresh();
  proxy_->Refresh();
  UpdateProblems();
  UpdateFooter();
  UpdateChart();
}

void BalancePanel::UpdateProblems() {
  QStringList problems;
  if (!proxy_->ConditionError().isEmpty())
    problems << tr("Условие: %1").arg(proxy_->ConditionError());
  for (int computed = 0; computed < static_cast<int>(model_->Computed().size()); ++computed)
    if (const QString error = model_->ComputedError(computed); !error.isEmpty())
      problems
          << tr("«%1»: %2").arg(model_->Computed()[static_cast<std::size_t>(computed)].name, error);
  problem_->setText(problems.join(QLatin1Char('\n')));
  problem_->setVisible(!problems.isEmpty());
}

void BalancePanel::HeaderClicked(int section) {
  // Ascending, descending, then the file's order again.
  sort_clicks_ = section == sort_section_ ? sort_clicks_ + 1 : 1;
  sort_section_ = section;
  if (sort_clicks_ >= 3) {
    sort_section_ = -1;
    sort_clicks_ = 0;
    proxy_->sort(-1);
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  } else {
    const Qt::SortOrder order = sort_clicks_ == 1 ? Qt::AscendingOrder : Qt::DescendingOrder;
    proxy_->sort(section, order);
    view_->horizontalHeader()->setSortIndicator(section, order);
  }
  UpdateFooter();
}

void BalancePanel::UpdateFooter() {
  const std::vector<ColumnStatistics> statistics = StatisticsOf(*proxy_);
  const int columns = model_->columnCount();
  if (footer_model_->rowCount() != 4 || footer_model_->columnCount() != columns) {
    footer_model_->clear();
    footer_model_->setRowCount(4);
    footer_model_->setColumnCount(columns);
  }
  // A step changes a few of the figures: only those cells are set again, so
  // that the footer does not lay all of them out after every keystroke.
  const auto set = [this](int row, int column, const QString& text, Qt::Alignment alignment) {
    QStandardItem* item = footer_model_->item(row, column);
    if (!item) {
      item = new QStandardItem(text);
      item->setTextAlignment(alignment);
      footer_model_->setItem(row, column, item);
    } else if (item->text() != text) {
      item->setText(text);
    }
  };
  const QString names[] = {tr("Минимум"), tr("Максимум"), tr("Среднее"), tr("Медиана")};
  for (int row = 0; row < 4; ++row) {
    set(row, 0, names[row], Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 1; column < columns; ++column) {
      const ColumnStatistics& s = statistics[static_cast<std::size_t>(column)];
      const std::optional<double> value = row == 0   ? s.minimum
                                          : row == 1 ? s.maximum
                                          : row == 2 ? s.mean
                                                     : s.median;
      set(row, column, NumberText(value), Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  for (int column = 0; column < columns; ++column)
    if (footer_->columnWidth(column) != view_->columnWidth(column))
      footer_->setColumnWidth(column, view_->columnWidth(column));
}

void BalancePanel::UpdateAxisChoices() {
  const QVariant x = x_column_->currentData();
  const QVariant y = y_column_->currentData();
  const QSignalBlocker block_x(x_column_);
  const QSignalBlocker block_y(y_column_);
  x_column_->clear();
  y_column_->clear();
  for (int column = 1; column < model_->columnCount(); ++column) {
    const QString caption = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    x_column_->addItem(caption, column);
    y_column_->addItem(caption, column);
  }
  const auto choose = [](QComboBox* box, const QVariant& before, int fallback) {
    const int kept = before.isValid() ? box->findData(before) : -1;
    box->setCurrentIndex(kept >= 0 ? kept : std::min(fallback, box->count() - 1));
  };
  choose(x_column_, x, 0);
  choose(y_column_, y, 1);
}

void BalancePanel::UpdateChart() {
  const int x = x_column_->currentData().toInt();
  const int y = y_column_->currentData().toInt();
  const bool comparison = document_->Comparison().IsOpen();
  point_entries_.clear();
  std::vector<double> xs, ys;  // every number of each axis, now and before
  std::vector<std::pair<QPointF, std::optional<QPointF>>> points;
  int shown = 0;
  if (x > 0 && y > 0) {
    for (int row = 0; row < proxy_->rowCount(); ++row) {
      const int entry = proxy_->mapToSource(proxy_->index(row, 0)).row();
      ++shown;
      const std::optional<double> px = model_->Number(entry, x);
      const std::optional<double> py = model_->Number(entry, y);
      if (!px || !py)
        continue;
      point_entries_.push_back(entry);
      xs.push_back(*px);
      ys.push_back(*py);
      std::optional<QPointF> before;
      const std::optional<double> cx = model_->ComparisonNumber(entry, x);
      const std::optional<double> cy = model_->ComparisonNumber(entry, y);
      if (cx && cy) {
        before = QPointF(*cx, *cy);
        xs.push_back(*cx);
        ys.push_back(*cy);
      }
      points.emplace_back(QPointF(*px, *py), before);
    }
  }
  const ChartAxis across = ChartAxisFor(xs);
  const ChartAxis up = ChartAxisFor(ys);
  const auto scaled = [&](const QPointF& point) {
    return QPointF(point.x() / across.scale, point.y() / up.scale);
  };
  const auto title = [this](const QComboBox* box, const ChartAxis& axis) {
    return axis.scale == 1 ? box->currentText()
                           : tr("%1, × 1e%2").arg(box->currentText()).arg(axis.exponent);
  };
  BalanceChartData data;
  data.x_title = title(x_column_, across);
  data.y_title = title(y_column_, up);
  data.x_range = QPointF(across.low, across.high);
  data.y_range = QPointF(up.low, up.high);
  data.comparison = comparison;
  data.now_name = tr("Сейчас");
  data.before_name = tr("В файле для сравнения");
  for (const auto& [now, before] : points) {
    data.now.append(scaled(now));
    if (!before)
      continue;
    data.before.append(scaled(*before));
    if (*before != now)
      data.moves.append({scaled(*before), scaled(now)});
  }
  // Rows shown and no point: say which column has no numbers.
  if (data.now.isEmpty() && shown > 0 && x > 0 && y > 0) {
    QString empty;
    for (const auto& [column, box] : {std::pair{x, x_column_}, std::pair{y, y_column_}}) {
      bool any = false;
      for (int row = 0; row < proxy_->rowCount() && !any; ++row)
        any = model_->Number(proxy_->mapToSource(proxy_->index(row, 0)).row(), column).has_value();
      if (!any) {
        empty = box->currentText();
        break;
      }
    }
    data.note = empty.isEmpty() ? tr("Нет точек: ни у одной записи нет чисел в обоих столбцах")
                                : tr("Нет точек: в столбце «%1» нет чисел").arg(empty);
  }
  chart_data_ = data;
  if (chart_)
    chart_->Show(chart_data_);
}

QString BalancePanel::PointTip(int point) const {
  if (point < 0 || static_cast<std::size_t>(point) >= point_entries_.size())
    return {};
  const int entry = point_entries_[static_cast<std::size_t>(point)];
  const int x = x_column_->currentData().toInt();
  const int y = y_column_->currentData().toInt();
  return QStringLiteral("%1\n%2: %3\n%4: %5")
      .arg(model_->EntryName(entry), x_column_->currentText(), NumberText(model_->Number(entry, x)),
           y_column_->currentText(), NumberText(model_->Number(entry, y)));
}

void BalancePanel::SelectEntry(int entry) {
  if (entry < 0)
    return;
  const QModelIndex row = proxy_->mapFromSource(model_->index(entry, 0));
  if (row.isValid()) {
    view_->setCurrentIndex(row);
    view_->scrollTo(row);
  }
  emit showField({model_->Table(), entry, GridColumnOf(x_column_->currentData().toInt())});
}

int BalancePanel::GridColumnOf(int column) const {
  return column >= 1 && column < model_->FirstComputed() ? column : 1;
}
