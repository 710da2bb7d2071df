// The balance panel in the window: sorted and filtered by a user, a point of
// its chart clicked, a computed column added, and a formula edit that one
// undo takes back, against a comparison file.

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsPathItem>
#include <QHeaderView>
#include <QLineEdit>
#include <QScatterSeries>
#include <QTableView>
#include <QTest>
#include <algorithm>

#include <gtest/gtest.h>

#include "balance_commands.h"
#include "balance_module.h"
#include "balance_panel.h"
#include "comparison_file.h"
#include "window_fixtures.h"

namespace {

constexpr int kHealth = 5, kGold = 8;

class BalanceWindowTest : public SampleWindowTest {
 protected:
  BalancePanel* ShowPanel() {
    RegisterBalance();  // linked here, not loaded from the module
    form->balance_commands_->ShowPanel->trigger();
    auto* panel = qobject_cast<BalancePanel*>(form->balance_commands_->Panel());
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
  panel->Condition()->setText(QStringLiteral("Здоровье >"));  // not a formula: all shown
  EXPECT_EQ(panel->Proxy()->rowCount(), EntryCount(kCreatures));
  panel->Condition()->clear();

  // The chart: Золото across, Здоровье up; the comparison file's points and
  // a line to each point that moved.
  panel->XColumn()->setCurrentIndex(panel->XColumn()->findData(kGold));
  panel->YColumn()->setCurrentIndex(panel->YColumn()->findData(kHealth));
  QScatterSeries* points = panel->Points();
  ASSERT_EQ(points->count(), EntryCount(kCreatures));
  EXPECT_EQ(panel->ComparisonPoints()->count(), EntryCount(kCreatures));
  EXPECT_TRUE(panel->ComparisonPoints()->isVisible());
  EXPECT_FALSE(panel->Moves()->path().isEmpty());

  // A click on a point selects its entry in the list and in the grid.
  const int clicked = 17;
  const auto k = std::find(panel->PointEntries().begin(), panel->PointEntries().end(), clicked) -
                 panel->PointEntries().begin();
  QChartView* view = panel->ChartView();
  const QPointF scene = view->chart()->mapToPosition(points->at(static_cast<int>(k)), points);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(scene));
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
  form->tc_Tabs->setCurrentIndex(kSpells);
  EXPECT_EQ(panel->Model()->columnCount(), ColCounts[kSpells]);
  form->tc_Tabs->setCurrentIndex(kCreatures);
  ASSERT_EQ(panel->Model()->columnCount(), computed + 1);

  // A formula edit over a column of the grid: the panel shows it, and one
  // undo takes it back.
  grid->SetCurrentCell(kHealth, 1);
  grid->ExtendRange(kHealth, EntryCount(kCreatures));
  const std::int32_t before = Value(3, kHealth);
  RangeEdit edit;
  edit.operation = RangeEdit::Operation::Formula;
  edit.formula = QStringLiteral("Math.min(value * 2, 60000)");
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

}  // namespace
