// Finding an entry by name from the keyboard: Ctrl+F, typing, F3 and
// Shift+F3, Escape, in the main window with a sample file open.

#include "ui/find_bar.h"

#include <QApplication>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/ui/window_fixtures.h"

namespace {

class FindBarTest : public SampleWindowTest {
 protected:
  void SetUp() override {
    SampleWindowTest::SetUp();
    QApplication::setActiveWindow(form.get());
    bar = form->findChild<FindBar*>();
    ASSERT_NE(bar, nullptr);
  }

  QString Name(int row) const { return QString::fromStdString(grid->CellText(0, row)); }

  // The rows whose names contain `text` in any case, top to bottom.
  QList<int> RowsNaming(const QString& text) const {
    QList<int> rows;
    for (int row = 1; row < grid->RowCount(); ++row) {
      if (Name(row).toLower().contains(text.toLower()))
        rows.append(row);
    }
    return rows;
  }

  // Types `text` key by key. QTest::keyClicks knows Latin-1 keys only; a
  // Cyrillic letter comes as a key with no code of its own and the letter as
  // its text, as a Russian keyboard layout sends it.
  static void Type(QWidget* widget, const QString& text) {
    for (const QChar letter : text)
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
  }

  void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, key, modifiers);
  }

  FindBar* bar = nullptr;
};

TEST_F(FindBarTest, TypingF3AndShiftF3VisitTheMatchingRowsInTheCurrentColumn) {
  // Two letters from the middle of a name, typed in upper case: Cyrillic
  // matches whatever its case.
  const QString query = Name(30).mid(1, 2).toUpper();
  const QList<int> matches = RowsNaming(query);
  ASSERT_GE(matches.size(), 2) << query.toStdString();

  grid->SetCurrentCell(4, 50);
  EXPECT_FALSE(bar->isVisible());
  Press(grid->CellEditor(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(bar->isVisible());
  ASSERT_TRUE(bar->Field()->hasFocus());
  Type(bar->Field(), query);
  EXPECT_EQ(bar->Field()->text(), query);
  EXPECT_EQ(grid->CurrentRow(), matches.first());
  EXPECT_EQ(grid->CurrentColumn(), 4);
  EXPECT_TRUE(bar->Field()->hasFocus());  // the user may go on typing

  for (int n = 1; n <= matches.size(); ++n) {
    Press(bar->Field(), Qt::Key_F3);
    EXPECT_EQ(grid->CurrentRow(), matches[n % matches.size()]) << n;  // wraps to the first
  }
  Press(bar->Field(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(grid->CurrentRow(), matches.last());
  Press(bar->Field(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(grid->CurrentRow(), matches[matches.size() - 2]);
  EXPECT_EQ(grid->CurrentColumn(), 4);
  EXPECT_TRUE(Named<QStatusBar>(form, "sb_Info")->currentMessage().isEmpty());

  // Escape gives the keyboard back to the cell editor, where typing edits the
  // found cell; F3 goes on finding from there.
  const int found = grid->CurrentRow();
  Press(bar->Field(), Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  ASSERT_NE(grid->CellEditor(), nullptr);
  EXPECT_TRUE(grid->CellEditor()->hasFocus());
  QTest::keyClicks(grid->CellEditor(), QStringLiteral("12"));
  EXPECT_EQ(grid->CellText(4, found), "12");
  Press(grid->CellEditor(), Qt::Key_F3);
  EXPECT_EQ(grid->CurrentRow(), matches.last());
}

TEST_F(FindBarTest, NoMatchShowsInTheFieldAndMovesNothing) {
  grid->SetCurrentCell(2, 9);
  Press(grid->CellEditor(), Qt::Key_F, Qt::ControlModifier);
  const QColor normal = bar->Field()->palette().color(QPalette::Base);
  Type(bar->Field(), QStringLiteral("zzq"));
  ASSERT_TRUE(RowsNaming(QStringLiteral("zzq")).isEmpty());
  EXPECT_NE(bar->Field()->palette().color(QPalette::Base), normal);
  Press(bar->Field(), Qt::Key_F3);
  Press(bar->Field(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(grid->CurrentRow(), 9);
  EXPECT_EQ(grid->CurrentColumn(), 2);
  EXPECT_TRUE(Named<QStatusBar>(form, "sb_Info")->currentMessage().isEmpty());
  // Back to text that matches: the field looks as before.
  bar->Field()->selectAll();
  Type(bar->Field(), Name(40).left(3).toLower());
  EXPECT_EQ(bar->Field()->palette().color(QPalette::Base), normal);
  EXPECT_EQ(grid->CurrentRow(), RowsNaming(Name(40).left(3)).first());
  // Ctrl+F again selects the text, so typing starts a new search.
  Press(grid->CellEditor(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(bar->Field()->selectedText(), bar->Field()->text());
}

}  // namespace
