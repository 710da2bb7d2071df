// The string grid on its own: cells addressed as the tables address them,
// texts that survive a reshape, and the editor that is always open.

#include "grid/string_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "grid/fixed_size_header.h"
#include "samplegen/sample_image.h"

namespace {

class StringGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(500, 300);
    grid.show();
  }

  TableDocument document;
  TStringGrid grid{&document};
};

TEST_F(StringGridTest, FixedRowAndColumnAreTheHeaders) {
  grid.SetCellText(0, 0, "Имя");
  grid.SetCellText(3, 0, "Сера");
  grid.SetCellText(3, 5, "-12");
  EXPECT_EQ(grid.CellText(0, 0), "Имя");
  GridModel* model = grid.Model();
  EXPECT_EQ(model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
            QStringLiteral("Сера"));
  // The names are the document's.
  EXPECT_EQ(model->headerData(4, Qt::Vertical, Qt::DisplayRole).toString(), QString());
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(3).image);
  EXPECT_EQ(model->headerData(4, Qt::Vertical, Qt::DisplayRole).toString().toStdString(),
            EntryNameText(document.Committed(), kCreatures, 4));
  EXPECT_EQ(model->index(4, 2).data().toString().toStdString(),
            FieldDisplayText(document.Committed(), kCreatures, 4, 3));
  // Only the other cells are in the model, so the fixed ones cannot be edited
  // and the current cell cannot move into them.
  EXPECT_EQ(model->rowCount(), 66);
  EXPECT_EQ(model->columnCount(), 13);
  grid.SetCurrentCell(0, 3);
  grid.SetCurrentCell(2, 0);
  EXPECT_EQ(grid.CurrentColumn(), 1);
  EXPECT_EQ(grid.CurrentRow(), 1);
  EXPECT_EQ(grid.CellText(20, 3), "");  // outside every shape
  grid.SetCellText(-1, 200, "x");       // ignored
}

TEST_F(StringGridTest, ReshapeKeepsTexts) {
  grid.SetCellText(10, 50, "keep");
  grid.SetCellText(2, 2, "stay");
  grid.SetShape(66, 4);
  EXPECT_EQ(grid.RowCount(), 66);
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.CellText(2, 2), "stay");
  grid.SetShape(83, 14);
  EXPECT_EQ(grid.CellText(10, 50), "keep");
  EXPECT_EQ(grid.Model()->index(49, 9).data().toString(), QStringLiteral("keep"));
}

TEST_F(StringGridTest, EveryKeystrokeReachesTheCell) {
  QSignalSpy edited(&grid, &TStringGrid::cellEdited);
  grid.SetCellText(4, 7, "55");
  grid.SetCurrentCell(4, 7);
  QLineEdit* editor = grid.CellEditor();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_1);  // entering the cell selected its text: replaced
  EXPECT_EQ(grid.CellText(4, 7), "1");
  QTest::keyClick(editor, Qt::Key_3);
  EXPECT_EQ(grid.CellText(4, 7), "13");
  // Typing in the middle stays in the middle.
  QTest::keyClick(editor, Qt::Key_Left);
  QTest::keyClick(editor, Qt::Key_2);
  EXPECT_EQ(grid.CellText(4, 7), "123");
  EXPECT_EQ(editor->cursorPosition(), 2);
  QTest::keyClick(editor, Qt::Key_Backspace);
  EXPECT_EQ(grid.CellText(4, 7), "13");
  ASSERT_EQ(edited.count(), 4);
  EXPECT_EQ(edited.last().at(0).toInt(), 4);
  EXPECT_EQ(edited.last().at(1).toInt(), 7);
  // Text written by the program is not an edit.
  grid.SetCellText(4, 7, "9");
  EXPECT_EQ(edited.count(), 4);
  // Enter and Escape leave the editor open, with its text in place.
  QTest::keyClick(editor, Qt::Key_Escape);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(grid.CellEditor(), editor);
  EXPECT_EQ(grid.CellText(4, 7), "9");
}

// The marks come from the document: text that is not a number, and a value
// that differs from the file. They show on the cells and on the editor.
TEST_F(StringGridTest, MarksShowInTheCellsAndOnTheEditor) {
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(3).image);
  const std::string attack = grid.CellText(2, 2);
  grid.SetCurrentCell(2, 2);
  grid.SetCellText(2, 2, "abc");
  grid.SetCellText(5, 6, std::to_string((std::stoi(grid.CellText(5, 6)) + 1) % 256));
  EXPECT_EQ(grid.CellEditor()->text(), QStringLiteral("abc"));
  const QModelIndex not_a_number = grid.Model()->index(1, 1);
  const QModelIndex changed = grid.Model()->index(5, 4);
  EXPECT_TRUE(not_a_number.data(Qt::BackgroundRole).isValid());
  EXPECT_FALSE(not_a_number.data(Qt::FontRole).isValid());
  EXPECT_FALSE(not_a_number.data(Qt::ToolTipRole).toString().isEmpty());
  EXPECT_TRUE(changed.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(changed.data(Qt::BackgroundRole).isValid());
  EXPECT_FALSE(grid.Model()->index(0, 0).data(Qt::BackgroundRole).isValid());
  EXPECT_NE(grid.CellEditor()->palette().color(QPalette::Base),
            grid.palette().color(QPalette::Base));
  grid.SetCellText(2, 2, std::to_string((std::stoi(attack) + 1) % 100));
  EXPECT_TRUE(grid.CellEditor()->font().bold());
  EXPECT_EQ(grid.CellEditor()->palette().color(QPalette::Base),
            grid.palette().color(QPalette::Base));
}

TEST_F(StringGridTest, ResetGridScrollShowsTheFirstCells) {
  grid.SetCurrentCell(13, 66);
  grid.scrollTo(grid.Model()->index(65, 12));
  ASSERT_GT(grid.TopRow(), 1);
  ASSERT_GT(grid.LeftColumn(), 1);
  grid.ResetGridScroll();
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_EQ(grid.LeftColumn(), 1);
  EXPECT_EQ(grid.CurrentColumn(), 13);  // the current cell stays
  EXPECT_EQ(grid.CurrentRow(), 66);
}

// A caption wider than its column, whose width stays, is cut with "…"; one
// that fits is shown whole.
class ShownHeader : public FixedSizeHeader {
 public:
  using FixedSizeHeader::FixedSizeHeader;
  QString Shown(int section) const {
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, section);
    return option.text;
  }
};

TEST(FixedSizeHeader, ACaptionTooWideForItsColumnEndsInAnEllipsis) {
  QStandardItemModel model(1, 2);
  model.setHorizontalHeaderLabels({QStringLiteral("Min. damage"), QStringLiteral("Gold")});
  QTableView view;
  auto* header = new ShownHeader(Qt::Horizontal, &view);
  view.setHorizontalHeader(header);
  view.setModel(&model);
  header->setMinimumSectionSize(8);
  header->resizeSection(0, header->fontMetrics().horizontalAdvance(QStringLiteral("Min. dam")));
  header->resizeSection(1, 400);
  const QString cut = header->Shown(0);
  EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
  EXPECT_TRUE(QStringLiteral("Min. damage").startsWith(cut.chopped(1))) << cut.toStdString();
  EXPECT_EQ(header->Shown(1), QStringLiteral("Gold"));
  EXPECT_EQ(header->sectionSize(0),
            header->fontMetrics().horizontalAdvance(QStringLiteral("Min. dam")));
}

}  // namespace
