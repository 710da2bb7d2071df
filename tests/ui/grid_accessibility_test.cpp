// What the grid tells beyond its painted text: each cell's hint as its tooltip
// and on the editor over it, and what a screen reader hears through Qt's
// accessibility interfaces, under the offscreen platform.

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/window_fixtures.h"

namespace {

class GridAccessibilityTest : public SampleWindowTest {
 protected:
  // The table as assistive technology sees it.
  QAccessibleTableInterface* Table() const {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(grid);
    return view ? view->tableInterface() : nullptr;
  }

  QString Name(int column, int row) const {
    return QString::fromStdString(grid->CellText(column, row));
  }
};

TEST_F(GridAccessibilityTest, ACellIsReadAsItsTextWithItsPlaceAndHint) {
  QAccessibleTableInterface* table = Table();
  ASSERT_NE(table, nullptr);
  const QString attack =
      QStringLiteral("Атака: целое со знаком, 1 байт, от -128 до 127");  // grid column 1
  QAccessibleInterface* cell = table->cellAt(2, 0);                      // grid cell (1, 3)
  ASSERT_NE(cell, nullptr);
  const QString value = Name(1, 3);
  EXPECT_EQ(cell->text(QAccessible::Name), value);
  EXPECT_EQ(cell->text(QAccessible::Description),
            Name(0, 3) + QStringLiteral(", Атака\n") + attack);

  // Typed text: the name follows it, the description tells what will be stored.
  grid->SetCurrentCell(1, 3);
  QLineEdit* editor = grid->CellEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("300"));
  cell = table->cellAt(2, 0);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("300"));
  const QString hint = attack + QStringLiteral("\n300 → будет сохранено 44");
  EXPECT_EQ(cell->text(QAccessible::Description), Name(0, 3) + QStringLiteral(", Атака\n") + hint);
  // The hint is the cell's tooltip, and the editor over the cell tells the same.
  EXPECT_EQ(grid->Model()->index(2, 0).data(Qt::ToolTipRole).toString(), hint);
  EXPECT_EQ(editor->toolTip(), hint);
  EXPECT_EQ(editor->accessibleDescription(), cell->text(QAccessible::Description));

  QTest::keyClicks(editor, QStringLiteral("x"));
  EXPECT_TRUE(editor->toolTip().endsWith(QStringLiteral("\nне число: останется ") + value));
}

// The name column's caption is painted on the view's corner, which Qt reports
// with no text; a row header carries it, and so does the corner button itself.
TEST_F(GridAccessibilityTest, TheNameColumnCaptionReachesAScreenReader) {
  QAccessibleTableInterface* table = Table();
  ASSERT_NE(table, nullptr);
  QAccessibleTableCellInterface* cell = table->cellAt(4, 2)->tableCellInterface();
  ASSERT_NE(cell, nullptr);
  const QList<QAccessibleInterface*> row_headers = cell->rowHeaderCells();
  ASSERT_EQ(row_headers.size(), 1);
  EXPECT_EQ(row_headers[0]->text(QAccessible::Name), Name(0, 5));
  EXPECT_EQ(row_headers[0]->text(QAccessible::Description), QStringLiteral("Название"));
  const QList<QAccessibleInterface*> column_headers = cell->columnHeaderCells();
  ASSERT_EQ(column_headers.size(), 1);
  EXPECT_EQ(column_headers[0]->text(QAccessible::Name), QStringLiteral("Мин. урон"));

  auto* corner = grid->findChild<QAbstractButton*>();
  ASSERT_NE(corner, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(corner)->text(QAccessible::Name),
            QStringLiteral("Название"));
  grid->SetCellText(0, 0, "Имя");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(corner)->text(QAccessible::Name),
            QStringLiteral("Имя"));
  EXPECT_EQ(row_headers[0]->text(QAccessible::Description), QStringLiteral("Имя"));
  // Qt hands out header cells that it neither caches nor frees; handing them
  // to its cache and taking them out again frees them.
  for (QAccessibleInterface* header : row_headers + column_headers)
    QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
}

}  // namespace
