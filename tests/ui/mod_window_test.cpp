// Working on a mod in the window: the panel "Изменения", a comparison file
// with its marks, F7 and the values taken from it, and a range edited at once.

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/comparison_file.h"
#include "grid/grid_panel.h"
#include "tests/support/image_helpers.h"
#include "tests/ui/window_fixtures.h"
#include "ui/changes_panel.h"
#include "ui/mod_commands.h"
#include "ui/range_edit_dialog.h"

namespace {

class ModWindowTest : public SampleWindowTest {
 protected:
  void TypeInto(int column, int row, const QString& text) {
    grid->SetCurrentCell(column, row);
    QLineEdit* editor = grid->CellEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
  }
  // A key pressed where the keyboard is: the cell editor.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(grid->CellEditor(), key, modifiers);
  }
  QString Row(int row, int column) const {
    return Named<ChangesPanel>(form, "ChangesPanel")->Model()->index(row, column).data().toString();
  }
  FieldRef Current() const {
    return {form->ActiveTable(), grid->CurrentRow() - 1, grid->CurrentColumn()};
  }
  bool Compared(int column, int row) const {
    return grid->Model()
        ->data(grid->Model()->index(row - 1, column - 1), GridModel::kComparedRole)
        .toBool();
  }
  TableDocument& Document() const { return *form->Document(); }
};

std::string Shown(const TableSet& tables, const FieldRef& field) {
  return FieldDisplayText(tables, field.table, field.entry, field.column);
}

TEST_F(ModWindowTest, ThePanelListsEditsShowsTheirCellAndRevertsThemAsOneStep) {
  ChangesPanel* panel = Named<ChangesPanel>(form, "ChangesPanel");
  ChangesModel* model = panel->Model();
  QAction* toggle = panel->toggleViewAction();
  ASSERT_TRUE(Named<QMenu>(form, "mm_View")->actions().contains(toggle));
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(model->Following());
  toggle->trigger();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(model->rowCount(), 0);

  const TableSet file = LoadTables(source);
  const std::string before = Shown(file, {kCreatures, 1, 1});
  const QString typed = before == "9" ? QStringLiteral("8") : QStringLiteral("9");
  TypeInto(1, 2, typed);
  ASSERT_EQ(model->rowCount(), 1);
  EXPECT_EQ(Row(0, ChangesModel::kTable), QStringLiteral("Существа"));
  EXPECT_EQ(Row(0, ChangesModel::kEntry), QStringLiteral("2"));
  EXPECT_EQ(Row(0, ChangesModel::kName),
            QString::fromStdString(EntryNameText(file, kCreatures, 1)));
  EXPECT_EQ(Row(0, ChangesModel::kField), QStringLiteral("Атака"));
  EXPECT_EQ(Row(0, ChangesModel::kInFile), QString::fromStdString(before));
  EXPECT_EQ(Row(0, ChangesModel::kNow), typed);
  QTest::keyClicks(grid->CellEditor(), QStringLiteral("z"));
  EXPECT_EQ(Row(0, ChangesModel::kNow), QStringLiteral("не число"));
  EXPECT_TRUE(model->index(0, ChangesModel::kNow)
                  .data(Qt::AccessibleTextRole)
                  .toString()
                  .contains(QStringLiteral("не число")));
  TypeInto(1, 2, typed);

  // Another table's edit: the list keeps both, in table order.
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kBuildings);
  TypeInto(2, 5, QStringLiteral("77777"));
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_EQ(Row(1, ChangesModel::kTable), QStringLiteral("Постройки"));

  // Hidden, the panel's list waits; shown again, it lists what changed
  // meanwhile, and follows again.
  toggle->trigger();
  ASSERT_FALSE(panel->isVisible());
  EXPECT_FALSE(model->Following());
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kCreatures);
  TypeInto(1, 2, QString::fromStdString(before));
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  TypeInto(1, 1, Shown(file, {kSpells, 0, 1}) == "5" ? QStringLiteral("6") : QStringLiteral("5"));
  toggle->trigger();
  const std::vector<FieldRef> shown_again{{kBuildings, 4, 2}, {kSpells, 0, 1}};
  EXPECT_EQ(model->Fields(), shown_again);
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kCreatures);
  TypeInto(1, 2, typed);
  ASSERT_EQ(model->rowCount(), 3);
  EXPECT_EQ(model->FieldAt(0), (FieldRef{kCreatures, 1, 1}));

  // Enter on the creature's row shows its tab and cell, the keyboard in the editor.
  QTableView* view = panel->View();
  view->setFocus();
  view->setCurrentIndex(model->index(0, 0));
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(form->ActiveTable(), kCreatures);
  EXPECT_EQ(grid->CurrentColumn(), 1);
  EXPECT_EQ(grid->CurrentRow(), 2);
  // Escape in the panel gives the keyboard back to the grid, the cell as it was.
  view->setFocus();
  ASSERT_TRUE(view->hasFocus());
  QTest::keyClick(view, Qt::Key_Escape);
  ASSERT_NE(grid->CellEditor(), nullptr);
  EXPECT_TRUE(grid->CellEditor()->hasFocus());
  EXPECT_EQ(grid->CurrentRow(), 2);
  QTest::keyClick(grid->CellEditor(), Qt::Key_Escape);
  EXPECT_TRUE(grid->CellEditor()->hasFocus());

  // No row selected: the button takes the current one.
  const std::size_t steps = form->History()->Count();
  view->selectionModel()->setCurrentIndex(model->index(1, 0), QItemSelectionModel::Clear);
  QTest::mouseClick(panel->RevertButton(), Qt::LeftButton);
  const std::vector<FieldRef> left{{kCreatures, 1, 1}, {kSpells, 0, 1}};
  EXPECT_EQ(model->Fields(), left);
  EXPECT_EQ(form->History()->Count(), steps + 1);
  form->History()->Undo();

  view->selectAll();
  QTest::mouseClick(panel->RevertButton(), Qt::LeftButton);
  EXPECT_EQ(model->rowCount(), 0);
  EXPECT_EQ(Shown(Document().Committed(), {kCreatures, 1, 1}), before);
  EXPECT_EQ(form->History()->Count(), steps + 1);
  form->History()->Undo();
  EXPECT_EQ(model->rowCount(), 3);
}

// Each panel under the grid, shown from Вид: docked at the bottom, Enter on a
// row shows that row's cell, Escape from its list or its buttons gives the
// keyboard back to the grid, and Escape with a modifier does not.
TEST_F(ModWindowTest, EveryPanelUnderTheGridShowsARowsCellAndLeavesOnEscape) {
  TypeInto(1, 2, QStringLiteral("12345"));  // a row for "Изменения"
  const struct {
    const char* name;
    QKeySequence shortcut;
    bool has_rows;
  } cases[] = {{"ChangesPanel", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), true},
               {"ChecksPanel", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), false},
               {"BalancePanel", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), true}};
  for (const auto& panel_case : cases) {
    SCOPED_TRACE(panel_case.name);
    QAction* show = nullptr;
    for (QAction* action : form->findChildren<QAction*>())
      if (action->shortcut() == panel_case.shortcut)
        show = action;
    ASSERT_NE(show, nullptr);
    show->trigger();
    auto* panel = form->findChild<GridPanel*>(QString::fromLatin1(panel_case.name));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(form->dockWidgetArea(panel), Qt::BottomDockWidgetArea);
    auto* list = qobject_cast<QAbstractItemView*>(panel->focusProxy());
    ASSERT_NE(list, nullptr);

    QSignalSpy shown(panel, &GridPanel::showField);
    if (panel_case.has_rows) {
      ASSERT_GT(list->model()->rowCount(), 0);
      grid->SetCurrentCell(3, 9);
      list->setFocus();
      list->setCurrentIndex(list->model()->index(0, 0));
      QTest::keyClick(list, Qt::Key_Return);
      ASSERT_EQ(shown.count(), 1);
      const auto field = shown.takeFirst().at(0).value<FieldRef>();
      EXPECT_EQ(Current(), field);
    }

    QWidget* button = panel->findChild<QPushButton*>();
    for (QWidget* where : {static_cast<QWidget*>(list), button}) {
      if (!where)
        continue;
      grid->SetCurrentCell(2, 3);
      where->setFocus();
      ASSERT_TRUE(where->hasFocus());
      QTest::keyClick(where, Qt::Key_Escape, Qt::ShiftModifier);
      EXPECT_TRUE(where->hasFocus());
      QTest::keyClick(where, Qt::Key_Escape);
      ASSERT_NE(grid->CellEditor(), nullptr);
      EXPECT_TRUE(grid->CellEditor()->hasFocus());
      EXPECT_EQ(grid->CurrentColumn(), 2);
      EXPECT_EQ(grid->CurrentRow(), 3);
    }
    EXPECT_EQ(shown.count(), 0);
    show->trigger();
    EXPECT_FALSE(panel->isVisible());
  }
}

TEST_F(ModWindowTest, AComparisonFileMarksCellsStepsThroughThemAndGivesItsValues) {
  const Bytes other_image = MakeSample(8).image;
  const TableSet mine = LoadTables(source);
  const TableSet other = LoadTables(other_image);
  std::vector<FieldRef> differing;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column)
        if (FieldValue(mine, table, entry, column) != FieldValue(other, table, entry, column))
          differing.push_back({table, entry, column});
  ASSERT_GT(differing.size(), 2u);

  // Of another size: asked as Open asks; No sets nothing.
  Bytes shorter = other_image;
  shorter.pop_back();
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("short.exe")), shorter));
  dialogs.comparison_answers.push_back(Path(QStringLiteral("short.exe")));
  Named<QAction>(form, "CompareWith")->trigger();
  EXPECT_EQ(dialogs.size_warnings, 1);
  EXPECT_FALSE(Document().Comparison().IsOpen());
  EXPECT_FALSE(Named<QAction>(form, "CloseComparison")->isEnabled());

  dialogs.comparison_answers.push_back(WriteSample(QStringLiteral("other.exe"), 8));
  Named<QAction>(form, "CompareWith")->trigger();
  ASSERT_TRUE(Document().Comparison().IsOpen());

  // F7 from the last field wraps to the first difference; Shift+F7 back to the last.
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  grid->SetCurrentCell(ColCounts[kSpells] - 1, RowCounts[kSpells] - 1);
  Press(Qt::Key_F7);
  EXPECT_EQ(Current(), differing.front());
  EXPECT_TRUE(Compared(Current().column, Current().entry + 1));
  const QString hint =
      grid->Model()->index(Current().entry, Current().column - 1).data(Qt::ToolTipRole).toString();
  EXPECT_TRUE(hint.endsWith(QStringLiteral("в файле для сравнения: ") +
                            QString::fromStdString(Shown(other, differing.front()))))
      << hint.toStdString();
  Press(Qt::Key_F7, Qt::ShiftModifier);
  EXPECT_EQ(Current(), differing.back());
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), differing.back().table);

  // The panel lists the differences with the other file's values.
  ChangesPanel* panel = Named<ChangesPanel>(form, "ChangesPanel");
  panel->toggleViewAction()->trigger();
  panel->CompareToggle()->setChecked(true);
  EXPECT_EQ(panel->Model()->rowCount(), static_cast<int>(differing.size()));
  EXPECT_EQ(panel->Model()->columnCount(), ChangesModel::kInComparison + 1);

  // The current cell takes the other file's value, as one step.
  const FieldRef last = differing.back();
  Named<QAction>(form, "TakeFromComparison")->trigger();
  EXPECT_EQ(grid->CellText(last.column, last.entry + 1), Shown(other, last));
  EXPECT_FALSE(Compared(last.column, last.entry + 1));
  EXPECT_EQ(panel->Model()->rowCount(), static_cast<int>(differing.size()) - 1);
  form->History()->Undo();
  EXPECT_EQ(grid->CellText(last.column, last.entry + 1), Shown(mine, last));

  // Its button, no row selected, the current row's field.
  const FieldRef second = differing[1];
  panel->View()->selectionModel()->setCurrentIndex(panel->Model()->index(1, 0),
                                                   QItemSelectionModel::Clear);
  QTest::mouseClick(panel->TakeButton(), Qt::LeftButton);
  EXPECT_EQ(Shown(Document().Committed(), second), Shown(other, second));
  EXPECT_EQ(panel->Model()->rowCount(), static_cast<int>(differing.size()) - 1);
  form->History()->Undo();

  Named<QAction>(form, "CloseComparison")->trigger();
  EXPECT_FALSE(Document().Comparison().IsOpen());
  EXPECT_FALSE(Compared(last.column, last.entry + 1));
  EXPECT_FALSE(panel->CompareToggle()->isChecked());
  EXPECT_FALSE(panel->CompareToggle()->isEnabled());

  // An Open ends it too.
  dialogs.comparison_answers.push_back(Path(QStringLiteral("other.exe")));
  Named<QAction>(form, "CompareWith")->trigger();
  ASSERT_TRUE(Document().Comparison().IsOpen());
  OpenFile(Path(QStringLiteral("HMM2PL.exe")));
  EXPECT_FALSE(Document().Comparison().IsOpen());
}

TEST_F(ModWindowTest, CtrlEEditsTheSelectedRangeAsOneStep) {
  const TableSet file = LoadTables(source);
  TypeInto(2, 3, QStringLiteral("abc"));
  grid->SetCurrentCell(2, 1);
  grid->ExtendRange(3, 4);  // 2 columns, 4 rows
  int changing = 0;
  for (int row = 1; row <= 4; ++row)
    for (int column = 2; column <= 3; ++column)
      if (!(column == 2 && row == 3) && FieldValue(file, kCreatures, row - 1, column) != 7)
        ++changing;

  const std::size_t steps = form->History()->Count();
  dialogs.range_edit_answers.push_back({RangeEdit::Operation::Set, 7, 0, 0, false});
  Press(Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(dialogs.range_edit_summaries.size(), 1);
  EXPECT_TRUE(dialogs.range_edit_summaries[0].startsWith(
      QStringLiteral("Изменится ячеек: %1 из 8.").arg(changing)))
      << dialogs.range_edit_summaries[0].toStdString();
  EXPECT_TRUE(dialogs.range_edit_summaries[0].contains(QStringLiteral("Не числа")));
  for (int row = 1; row <= 4; ++row)
    for (int column = 2; column <= 3; ++column)
      EXPECT_EQ(grid->CellText(column, row), column == 2 && row == 3 ? "abc" : "7");
  EXPECT_EQ(form->History()->Count(), steps + 1);
  form->History()->Undo();
  EXPECT_EQ(grid->CellText(3, 4), Shown(file, {kCreatures, 3, 3}));
  EXPECT_EQ(grid->CellText(2, 3), "abc");
}

// A file cut inside the spell records, opened after the size question: a
// cell whose record lies past the end is grey, says so in its hint, and takes
// nothing from any command of the window, which says so where it tells what
// it did; a cell inside the file takes the same commands as ever, and Save As
// writes exactly its byte.
TEST_F(ModWindowTest, ACellPastTheEndOfAShortFileTakesNoEditAndSaysSo) {
  Bytes image = source;
  image.resize(1029057 + 22 * 40 + 3);  // spell 40 cut after its Level byte
  const QString cut = Path(QStringLiteral("short.exe"));
  ASSERT_TRUE(WriteBytes(cut, image));
  dialogs.size_answers.push_back(true);
  OpenFile(cut);
  ASSERT_EQ(form->TargetFileName(), cut);
  dialogs.comparison_answers.push_back(WriteSample(QStringLiteral("other.exe"), 8));
  Named<QAction>(form, "CompareWith")->trigger();
  ASSERT_TRUE(Document().Comparison().IsOpen());
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);

  const QModelIndex past = grid->Model()->index(50, 0);  // Level of spell 51
  EXPECT_TRUE(past.data(GridModel::kPastEndRole).toBool());
  EXPECT_EQ(past.data(Qt::BackgroundRole).value<QBrush>().color(), kPastEndColor);
  EXPECT_TRUE(past.data(Qt::ToolTipRole).toString().contains(QStringLiteral("за концом файла")));
  EXPECT_FALSE(past.flags().testFlag(Qt::ItemIsEditable));
  const QModelIndex inside = grid->Model()->index(38, 0);  // Level of spell 39
  EXPECT_FALSE(inside.data(GridModel::kPastEndRole).toBool());
  EXPECT_TRUE(inside.flags().testFlag(Qt::ItemIsEditable));

  const QString told_past_end = QStringLiteral("Ячеек за концом файла");
  const struct {
    const char* what;
    std::function<void()> run;
    bool tells;  // says how many cells past the end it left alone
  } commands[] = {
      {"typing", [&] { QTest::keyClicks(grid->CellEditor(), QStringLiteral("9")); }, false},
      // Qt's own road for an edit, which a delegate's commit takes.
      {"the model's setData",
       [&] {
         GridModel* model = grid->Model();
         model->setData(model->index(grid->CurrentRow() - 1, 0), QStringLiteral("9"), Qt::EditRole);
       },
       false},
      {"a block pasted",
       [&] {
         QGuiApplication::clipboard()->setText(QStringLiteral("9\n9\n"));
         Press(Qt::Key_V, Qt::ControlModifier);
       },
       true},
      // The editor's own paste, and one value with a spreadsheet's line break
      // after it, which the grid puts into the editor itself.
      {"one value pasted",
       [&] {
         QGuiApplication::clipboard()->setText(QStringLiteral("9"));
         grid->CellEditor()->selectAll();
         Press(Qt::Key_V, Qt::ControlModifier);
       },
       false},
      {"one value and a line break pasted",
       [&] {
         QGuiApplication::clipboard()->setText(QStringLiteral("9\r\n"));
         grid->CellEditor()->selectAll();
         Press(Qt::Key_V, Qt::ControlModifier);
       },
       false},
      {"a range edit",
       [&] {
         dialogs.range_edit_answers.push_back({RangeEdit::Operation::Set, 9, 0, 0, false});
         Press(Qt::Key_E, Qt::ControlModifier);
       },
       true},
      {"the comparison file's values",
       [&] {
         grid->ExtendRange(1, grid->CurrentRow() + 1);
         Named<QAction>(form, "TakeFromComparison")->trigger();
       },
       true},
  };
  for (const auto& command : commands) {
    for (const int row : {39, 51}) {
      SCOPED_TRACE(std::string(command.what) + ", row " + std::to_string(row));
      grid->SetCurrentCell(1, row);
      const bool past_end = row == 51;
      EXPECT_EQ(grid->CellEditor()->isReadOnly(), past_end);
      const std::string before = grid->CellText(1, row);
      const std::size_t steps = form->History()->Index();
      dialogs.infos.clear();
      dialogs.range_edit_summaries.clear();
      command.run();
      const QString told = (dialogs.infos + dialogs.range_edit_summaries).join(QLatin1Char('\n'));
      if (past_end) {
        EXPECT_EQ(grid->CellText(1, row), before);
        EXPECT_EQ(grid->CellEditor()->text().toStdString(), before);
        EXPECT_EQ(grid->Mark(1, row), CellMark::None);
        EXPECT_EQ(form->History()->Index(), steps);
        EXPECT_EQ(told.contains(told_past_end), command.tells) << told.toStdString();
      } else {
        EXPECT_NE(grid->CellText(1, row), before);
        EXPECT_EQ(form->History()->Index(), steps + 1);
        EXPECT_FALSE(told.contains(told_past_end)) << told.toStdString();
        form->History()->Undo();
      }
      grid->CollapseRange();
    }
  }

  // Save As writes the one edit made inside the file, and nothing stays bold.
  grid->SetCurrentCell(1, 39);
  grid->CellEditor()->selectAll();
  QTest::keyClicks(grid->CellEditor(), QStringLiteral("201"));
  SaveAs(Path(QStringLiteral("saved.exe")));
  Bytes expected = image;
  expected[1029057 + 22 * 38] = 201;
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("saved.exe"))), expected);
  EXPECT_TRUE(Document().Changes().empty());
  EXPECT_EQ(grid->Mark(1, 39), CellMark::None);
}

// The dialog itself takes the amount in every form a cell takes, and says
// that one too large is out of range rather than no number. OK is on only
// while the operation can be carried out: here, any amount but 13.
TEST(RangeEditDialogTest, TakesEveryNumberFormACellTakes) {
  RangeEditDialog dialog([](const RangeEdit& edit) {
    return UserDialogs::RangeEditPreview{QString::number(edit.amount), edit.amount != 13};
  });
  QLineEdit* amount = dialog.findChildren<QLineEdit*>().value(0);
  QLabel* summary = nullptr;
  for (QLabel* label : dialog.findChildren<QLabel*>())
    if (label->wordWrap())
      summary = label;
  const QDialogButtonBox* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(amount, nullptr);
  ASSERT_NE(summary, nullptr);
  ASSERT_NE(buttons, nullptr);
  const QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  for (const char* text : {"$10", "0x10", "16"}) {
    amount->setText(QString::fromLatin1(text));
    ASSERT_TRUE(dialog.Edit().has_value()) << text;
    EXPECT_EQ(dialog.Edit()->amount, 16) << text;
    EXPECT_EQ(summary->text(), QStringLiteral("16")) << text;
    EXPECT_TRUE(ok->isEnabled()) << text;
  }
  amount->setText(QStringLiteral("13"));
  EXPECT_FALSE(ok->isEnabled());
  // A percentage takes decimals too; the other amounts do not.
  auto* operation = dialog.findChild<QComboBox*>();
  ASSERT_NE(operation, nullptr);
  operation->setCurrentIndex(operation->findData(static_cast<int>(RangeEdit::Operation::Multiply)));
  amount->setText(QStringLiteral("12,5"));
  ASSERT_TRUE(dialog.Edit().has_value());
  EXPECT_EQ(dialog.Edit()->amount, 12);
  EXPECT_EQ(dialog.Edit()->hundredths, 50);
  operation->setCurrentIndex(operation->findData(static_cast<int>(RangeEdit::Operation::Add)));
  EXPECT_FALSE(dialog.Edit().has_value());
  amount->setText(QStringLiteral("20000000000"));
  EXPECT_FALSE(dialog.Edit().has_value());
  EXPECT_TRUE(summary->text().contains(QStringLiteral("вне допустимого диапазона")))
      << summary->text().toStdString();
  EXPECT_FALSE(ok->isEnabled());
}

}  // namespace
