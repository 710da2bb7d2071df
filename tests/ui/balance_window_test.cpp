// The balance panel in the window: sorted and filtered by a user, a point of
// its chart clicked, a computed column added, and a formula edit that one
// undo takes back, against a comparison file; numbers too large for an axis
// or a sum; computed columns worked out only while the panel shows, and
// kept from before when they no longer compile.

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "balance/balance_panel.h"
#include "document/comparison_file.h"
#include "document/range_edit.h"
#include "tests/ui/window_fixtures.h"
#include "ui/balance_commands.h"
#include "ui/user_settings.h"

namespace {

constexpr int kAttack = 1, kHealth = 5, kGold = 8;

class BalanceWindowTest : public SampleWindowTest {
 protected:
  BalancePanel* ShowPanel() {
    // The chart plugin where the build leaves it, beside the editor.
    QCoreApplication::addLibraryPath(QStringLiteral(TREVALUNE_CHART_PLUGIN_BUILD_DIR));
    Named<QAction>(form, "ShowPanel")->trigger();
    auto* panel = qobject_cast<BalancePanel*>(form->Balance()->Panel());
    EXPECT_NE(panel, nullptr);
    return panel;
  }
  // The entries in the list's order, and one column of it.
  std::vector<int> Entries(BalancePanel* panel) const {
    std::vector<int> entries;
    for (int row = 0; row < panel->Proxy()->rowCount(); ++row)
      entries.push_back(panel->Proxy()->mapToSource(panel->Proxy()->index(row, 0)).row());
    return entries;
  }
  std::vector<double> Column(BalancePanel* panel, int column) const {
    std::vector<double> numbers;
    for (const int entry : Entries(panel))
      numbers.push_back(*panel->Model()->Number(entry, column));
    return numbers;
  }
  void ClickHeader(BalancePanel* panel, int section) {
    QHeaderView* header = panel->View()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  std::int32_t Value(int entry, int column) const {
    return form->Document()->ValueAfterCommit({kCreatures, entry, column});
  }
};

TEST_F(BalanceWindowTest, SortsFiltersClicksAPointAndFollowsAFormulaEditAndItsUndo) {
  QString error;
  ASSERT_EQ(form->Document()->Comparison().Open(
                WriteSample(QStringLiteral("original.exe"), 8), [] { return true; }, error),
            TableDocument::Outcome::Done);
  BalancePanel* panel = ShowPanel();
  ASSERT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->Proxy()->rowCount(), EntryCount(kCreatures));

  // Ascending, descending, then the file's order.
  ClickHeader(panel, kHealth);
  std::vector<double> health = Column(panel, kHealth);
  EXPECT_TRUE(std::is_sorted(health.begin(), health.end()));
  ClickHeader(panel, kHealth);
  health = Column(panel, kHealth);
  EXPECT_TRUE(std::is_sorted(health.rbegin(), health.rend()));
  EXPECT_NE(health.front(), health.back());
  ClickHeader(panel, kHealth);
  const std::vector<int> entries = Entries(panel);
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));

  // A condition, and a name: the footer counts the rows shown only.
  panel->Condition()->setText(QStringLiteral("Здоровье > 20000 && Золото != 0"));
  int expected = 0;
  int most = 0;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
    if (Value(entry, kHealth) > 20000 && Value(entry, kGold) != 0) {
      ++expected;
      most = std::max(most, Value(entry, kHealth));
    }
  ASSERT_GT(expected, 1);
  EXPECT_EQ(panel->Proxy()->rowCount(), expected);
  EXPECT_EQ(panel->Footer()->model()->index(1, kHealth).data().toString(), QString::number(most));
  const int named = Entries(panel).front();
  panel->NameFilter()->setText(panel->Model()->EntryName(named).toUpper());
  EXPECT_GE(panel->Proxy()->rowCount(), 1);
  EXPECT_LT(panel->Proxy()->rowCount(), expected);
  EXPECT_EQ(Entries(panel).front(), named);
  panel->NameFilter()->clear();
  // Not a formula: all shown, and the error over the list as it is typed.
  panel->Condition()->setText(QStringLiteral("Здоровье > 20000 &&"));
  EXPECT_EQ(panel->Proxy()->rowCount(), EntryCount(kCreatures));
  EXPECT_FALSE(panel->Problems()->isHidden());
  EXPECT_EQ(panel->Problems()->text(),
            QStringLiteral("Условие: ошибка в формуле, строка 1, столбец 20: формула обрывается: "
                           "не хватает числа, поля или скобки"));
  panel->Condition()->clear();
  EXPECT_TRUE(panel->Problems()->isHidden());

  // The chart: Золото across, Здоровье up; the comparison file's points and
  // a line to each point that moved.
  panel->XColumn()->setCurrentIndex(panel->XColumn()->findData(kGold));
  panel->YColumn()->setCurrentIndex(panel->YColumn()->findData(kHealth));
  BalanceChart* chart = panel->Chart();
  ASSERT_NE(chart, nullptr) << panel->ChartProblem().toStdString();
  const BalanceChartData& data = panel->ChartData();
  ASSERT_EQ(data.now.size(), EntryCount(kCreatures));
  EXPECT_EQ(data.before.size(), EntryCount(kCreatures));
  EXPECT_TRUE(data.comparison);
  EXPECT_FALSE(data.moves.isEmpty());
  // The axes follow the data: every point lies within them.
  for (const QPointF& point : data.now + data.before) {
    EXPECT_GE(point.x(), chart->XRange().x());
    EXPECT_LE(point.x(), chart->XRange().y());
    EXPECT_GE(point.y(), chart->YRange().x());
    EXPECT_LE(point.y(), chart->YRange().y());
  }

  // A point's tooltip names its entry and its two values.
  const int clicked = 17;
  const auto k = std::find(panel->PointEntries().begin(), panel->PointEntries().end(), clicked) -
                 panel->PointEntries().begin();
  QTest::mouseMove(chart->Widget(), chart->PointPosition(static_cast<int>(k)));
  EXPECT_EQ(QToolTip::text(), QStringLiteral("%1\nЗолото: %2\nЗдоровье: %3")
                                  .arg(panel->Model()->EntryName(clicked))
                                  .arg(Value(clicked, kGold))
                                  .arg(Value(clicked, kHealth)));
  // A click on a point selects its entry in the list and in the grid.
  QTest::mouseClick(chart->Widget(), Qt::LeftButton, {}, chart->PointPosition(static_cast<int>(k)));
  EXPECT_EQ(grid->CurrentRow(), clicked + 1);
  EXPECT_EQ(grid->CurrentColumn(), kGold);
  EXPECT_EQ(panel->Proxy()->mapToSource(panel->View()->currentIndex()).row(), clicked);

  // A computed column, sorted like any other.
  panel->AddComputedColumn({QStringLiteral("Половина здоровья"), QStringLiteral("Здоровье / 2")});
  const int computed = panel->Model()->FirstComputed();
  EXPECT_EQ(panel->Model()->headerData(computed, Qt::Horizontal, Qt::DisplayRole).toString(),
            QStringLiteral("Половина здоровья"));
  EXPECT_EQ(*panel->Model()->Number(3, computed), Value(3, kHealth) / 2.0);
  // Kept per table: another tab has none, and coming back brings it again.
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  EXPECT_EQ(panel->Model()->columnCount(), ColCounts[kSpells]);
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kCreatures);
  ASSERT_EQ(panel->Model()->columnCount(), computed + 1);

  // A formula edit over a column of the grid: the panel shows it, and one
  // undo takes it back.
  grid->SetCurrentCell(kHealth, 1);
  grid->ExtendRange(kHealth, EntryCount(kCreatures));
  const std::int32_t before = Value(3, kHealth);
  RangeEdit edit;
  edit.operation = RangeEdit::Operation::Formula;
  edit.formula = QStringLiteral("min(value * 2, 60000)");
  dialogs.range_edit_answers.push_back(edit);
  const std::size_t steps = form->History()->Count();
  QTest::keyClick(grid->CellEditor(), Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(dialogs.range_edit_summaries.size(), 1);
  EXPECT_TRUE(dialogs.range_edit_summaries[0].contains(QStringLiteral("из 66")))
      << dialogs.range_edit_summaries[0].toStdString();
  EXPECT_EQ(form->History()->Count(), steps + 1);
  EXPECT_EQ(Value(3, kHealth), std::min(before * 2, 60000));
  EXPECT_EQ(*panel->Model()->Number(3, kHealth), std::min(before * 2, 60000));
  EXPECT_EQ(*panel->Model()->Number(3, computed), std::min(before * 2, 60000) / 2.0);
  form->History()->Undo();
  EXPECT_EQ(Value(3, kHealth), before);
  EXPECT_EQ(*panel->Model()->Number(3, kHealth), before);
  EXPECT_EQ(panel->Model()->index(3, kHealth).data().toString(), QString::number(before));
}

// A computed column of numbers near the largest double on the horizontal
// axis: every point is drawn on an axis scaled by a power of ten, which its
// title names, and the footer gives finite figures written short.
TEST_F(BalanceWindowTest, NumbersNearTheLargestDoubleAreChartedAndSummedUp) {
  BalancePanel* panel = ShowPanel();
  panel->AddComputedColumn(
      {QStringLiteral("Огромное"), QStringLiteral("Атака > 0 ? 1e308 : -1e308")});
  const int computed = panel->Model()->FirstComputed();
  panel->XColumn()->setCurrentIndex(panel->XColumn()->findData(computed));
  panel->YColumn()->setCurrentIndex(panel->YColumn()->findData(kHealth));

  std::vector<double> numbers;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
    numbers.push_back(Value(entry, kAttack) > 0 ? 1e308 : -1e308);
  std::sort(numbers.begin(), numbers.end());
  ASSERT_LT(numbers.front(), 0);  // both signs, so that a sum could overflow either way
  ASSERT_GT(numbers.back(), 0);

  const BalanceChartData& data = panel->ChartData();
  ASSERT_EQ(data.now.size(), EntryCount(kCreatures));
  EXPECT_TRUE(data.note.isEmpty()) << data.note.toStdString();
  EXPECT_TRUE(data.x_title.contains(QStringLiteral("1e308"))) << data.x_title.toStdString();
  BalanceChart* chart = panel->Chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_TRUE(std::isfinite(chart->XRange().x()) && std::isfinite(chart->XRange().y()));
  for (const QPointF& point : data.now) {
    EXPECT_GE(point.x(), chart->XRange().x());
    EXPECT_LE(point.x(), chart->XRange().y());
  }

  const auto footer = [&](int row) {
    return panel->Footer()->model()->index(row, computed).data().toString();
  };
  EXPECT_EQ(footer(0), QStringLiteral("-1e+308"));
  EXPECT_EQ(footer(1), QStringLiteral("1e+308"));
  double mean = 0;
  for (const double number : numbers)
    mean += number / static_cast<double>(numbers.size());
  const std::size_t half = numbers.size() / 2;
  const double median = numbers[half - 1] / 2 + numbers[half] / 2;
  for (const auto& [row, expected] : {std::pair{2, mean}, std::pair{3, median}}) {
    bool number = false;
    const double shown = footer(row).toDouble(&number);
    EXPECT_TRUE(number && std::isfinite(shown)) << footer(row).toStdString();
    EXPECT_NEAR(shown, expected, std::abs(expected) * 1e-5 + 1e300) << footer(row).toStdString();
    EXPECT_LE(footer(row).size(), 12) << footer(row).toStdString();
  }
}

// Hidden, the panel works nothing out: a tab switch and an edit leave its
// computed column unknown until it shows again, and then it is up to date.
TEST_F(BalanceWindowTest, ComputedColumnsAreWorkedOutOnlyWhileThePanelShows) {
  BalancePanel* panel = ShowPanel();
  panel->AddComputedColumn({QStringLiteral("Двойное"), QStringLiteral("Здоровье * 2")});
  const int computed = panel->Model()->FirstComputed();
  EXPECT_EQ(panel->Model()->Number(3, computed), Value(3, kHealth) * 2.0);

  Named<QAction>(form, "ShowPanel")->trigger();
  ASSERT_FALSE(panel->isVisible());
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kCreatures);
  RangeEditPlan plan;
  plan.changes.push_back({{kCreatures, 3, kHealth}, 1234});
  CarryOut(*form->Document(), plan);
  EXPECT_FALSE(panel->Model()->Number(3, computed).has_value());

  Named<QAction>(form, "ShowPanel")->trigger();
  ASSERT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->Model()->Number(3, computed), 2468.0);
}

// Computed columns kept from before in a form that no longer compiles stay,
// each with its error; the others are worked out, and nothing is dropped
// when the columns are stored again.
class BalanceStoredColumnsTest : public BalanceWindowTest {
 protected:
  void SetUp() override {
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    settings->setValue(
        QStringLiteral("balanceColumns/creatures"),
        QStringList{QStringLiteral("Старое"), QStringLiteral("row[\"Мин. урон\"] * 2"),
                    QStringLiteral("Новое"), QStringLiteral("Мин_урон * 2")});
    settings->sync();
    BalanceWindowTest::SetUp();
  }
};

TEST_F(BalanceStoredColumnsTest, KeepsFormulasFromBeforeWithTheirError) {
  constexpr int kMinDamage = 3;
  BalancePanel* panel = ShowPanel();
  ASSERT_EQ(panel->Model()->Computed().size(), 2u);
  const int first = panel->Model()->FirstComputed();
  EXPECT_TRUE(
      panel->Model()->ComputedError(0).contains(QStringLiteral("«row» — из прежних формул")))
      << panel->Model()->ComputedError(0).toStdString();
  EXPECT_FALSE(panel->Model()->Number(3, first).has_value());
  EXPECT_TRUE(panel->Model()->ComputedError(1).isEmpty());
  EXPECT_EQ(panel->Model()->Number(3, first + 1), Value(3, kMinDamage) * 2.0);

  panel->AddComputedColumn({QStringLiteral("Третье"), QStringLiteral("Атака")});
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kCreatures);
  const std::vector<ComputedColumn> kept = panel->Model()->Computed();
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].formula, QStringLiteral("row[\"Мин. урон\"] * 2"));
  EXPECT_EQ(kept[2].name, QStringLiteral("Третье"));
}

}  // namespace

namespace {

// The list, its footer and the chart's tips write a number one way: whole
// numbers bare, others with at most two decimals and no trailing zeros.
TEST(BalanceNumberText, OneFormForEveryNumber) {
  const struct {
    double number;
    const char* text;
  } cases[] = {
      {26, "26"},    {8.5, "8.5"},   {8.504, "8.5"},  {1.0 / 3, "0.33"}, {-2.0 / 3, "-0.67"},
      {-0.001, "0"}, {-128, "-128"}, {99.999, "100"}, {1e16, "1e+16"},   {4294967295, "4294967295"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BalanceNumberText(c.number), QString::fromLatin1(c.text)) << c.number;
}

}  // namespace
