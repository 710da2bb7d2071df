// Ranges, copy and paste, and the CSV items of the File menu, driven as the
// user drives them: keys and clicks into the grid, the clipboard as a
// spreadsheet fills it, and files answered through the dialogs.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "formats/change_list.h"
#include "formats/table_csv.h"
#include "tables/table_columns.h"
#include "tests/support/image_helpers.h"
#include "tests/support/text_refusals.h"
#include "tests/ui/window_fixtures.h"
#include "ui/grid_clipboard.h"

namespace {

class PasteTest : public SampleWindowTest {
 protected:
  std::string Cell(int column, int row) const {
    return Named<TStringGrid>(form, "sg_Table")->CellText(column, row);
  }
  QLineEdit* Editor() const { return Named<TStringGrid>(form, "sg_Table")->CellEditor(); }
  QRect Range() const { return Named<TStringGrid>(form, "sg_Table")->SelectedRange(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Editor(), key, modifiers);
  }
  QPoint CellCenter(int column, int row) const {
    return Named<TStringGrid>(form, "sg_Table")
        ->visualRect(Named<TStringGrid>(form, "sg_Table")->Model()->index(row - 1, column - 1))
        .center();
  }
  void Mouse(QEvent::Type type, int column, int row, Qt::KeyboardModifiers modifiers) {
    QWidget* viewport = Named<TStringGrid>(form, "sg_Table")->viewport();
    const QPoint at = CellCenter(column, row);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(viewport, &event);
  }
};

// A block from a spreadsheet near the grid's bottom right corner, its rows
// ended by CRLF, LF or a lone CR: the cells that fit go in as typed text (one
// of them not a number), the rest are left out and counted, the names and
// captions stay, and Save As stores the block.
TEST_F(PasteTest, ASpreadsheetBlockPastesFromTheCurrentCell) {
  const TableSet loaded = LoadTables(source);
  const std::string name_65 = Cell(0, 65);
  const std::string caption_13 = Cell(13, 0);
  const struct {
    const char* name;
    QString row_break;
  } breaks[] = {
      {"CRLF", QStringLiteral("\r\n")}, {"LF", QStringLiteral("\n")}, {"CR", QStringLiteral("\r")}};
  int first = 101;
  for (const auto& [name, row_break] : breaks) {
    SCOPED_TRACE(name);
    first += 100;  // each block differs from the one before
    Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(12, 65);
    QGuiApplication::clipboard()->setText(QStringList{QStringLiteral("%1\t202\t203").arg(first),
                                                      QStringLiteral("abc\t%1\t206").arg(first + 4),
                                                      QStringLiteral("7\t8\t9"), QString()}
                                              .join(row_break));
    dialogs.infos.clear();
    Key(Qt::Key_V, Qt::ControlModifier);

    EXPECT_EQ(Cell(12, 65), std::to_string(first));
    EXPECT_EQ(Cell(13, 65), "202");
    EXPECT_EQ(Cell(12, 66), "abc");
    EXPECT_EQ(Cell(13, 66), std::to_string(first + 4));
    EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->Mark(12, 66), CellMark::NotANumber);
    EXPECT_EQ(Cell(0, 65), name_65);
    EXPECT_EQ(Cell(13, 0), caption_13);
    ASSERT_EQ(dialogs.infos.size(), 1);
    EXPECT_TRUE(dialogs.infos[0].contains(QStringLiteral("5"))) << dialogs.infos[0].toStdString();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(Named<QStatusBar>(form, "sb_Info")->currentMessage().isEmpty());
    // The current cell keeps the editor, which shows the pasted text; the block is selected.
    EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentColumn(), 12);
    EXPECT_EQ(Editor()->text(), QString::number(first));
    EXPECT_EQ(Range(), QRect(QPoint(12, 65), QPoint(13, 66)));
  }

  dialogs.save_answers.push_back(Path(QStringLiteral("pasted.exe")));
  form->mm_SaveAsClick();
  TableSet expected = loaded;
  StoreColumn(expected.CrTable, 64, 12, first);
  StoreColumn(expected.CrTable, 64, 13, 202);
  StoreColumn(expected.CrTable, 65, 13, first + 4);  // "abc" keeps the field as it was
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("pasted.exe"))), SaveTables(expected, source));
}

// One value, with or without a spreadsheet's line break, is the editor's own
// paste: it goes into the text as typing would.
TEST_F(PasteTest, OneValuePastesIntoTheTextOfTheCell) {
  for (const QString& clip : {QStringLiteral("12"), QStringLiteral("34\r\n"),
                              QStringLiteral("56\n"), QStringLiteral("78\r")}) {
    Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(3, 4);
    Key(Qt::Key_End);
    QGuiApplication::clipboard()->setText(clip);
    const std::string before = Cell(3, 4);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(3, 4), before + clip.trimmed().toStdString());
    EXPECT_EQ(Cell(3, 5), FieldDisplayText(LoadTables(source), kCreatures, 4, 3));
  }
  EXPECT_TRUE(dialogs.infos.isEmpty());
}

// Shift with the arrows, Shift+click and a drag stretch the range from the
// current cell, which keeps the editor; Ctrl+C copies the range as a
// spreadsheet takes it. Within one cell, Shift+Left/Right and Ctrl+C work in
// the text.
TEST_F(PasteTest, RangesFromKeysAndMouseCopyAsTabSeparatedText) {
  grid->SetCurrentCell(2, 3);
  QLineEdit* editor = Editor();
  Key(Qt::Key_Right, Qt::ShiftModifier);  // the whole text is selected: the range grows
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Up, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Range(), QRect(QPoint(2, 3), QPoint(3, 4)));
  EXPECT_EQ(Editor(), editor);
  EXPECT_EQ(grid->CurrentColumn(), 2);
  Key(Qt::Key_C, Qt::ControlModifier);
  const QString copied = QString::fromStdString(Cell(2, 3) + "\t" + Cell(3, 3) + "\n" + Cell(2, 4) +
                                                "\t" + Cell(3, 4) + "\n");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);

  // A plain arrow collapses the range; inside the text Shift+Left selects a character.
  Key(Qt::Key_Right);
  EXPECT_EQ(Range(), QRect(2, 3, 1, 1));
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Range(), QRect(2, 3, 1, 1));
  EXPECT_EQ(editor->selectedText(), editor->text().right(1));
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), editor->text().right(1));
  // At the text's start Shift+Left reaches the cells; column 1 is the last.
  Key(Qt::Key_Home);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Range(), QRect(QPoint(1, 3), QPoint(2, 3)));

  // Shift+click stretches the range to the cell clicked; the current cell stays.
  Mouse(QEvent::MouseButtonPress, 5, 6, Qt::ShiftModifier);
  Mouse(QEvent::MouseButtonRelease, 5, 6, Qt::ShiftModifier);
  EXPECT_EQ(Range(), QRect(QPoint(2, 3), QPoint(5, 6)));
  EXPECT_EQ(grid->CurrentRow(), 3);
  // A drag makes its first cell current and selects to where it ends.
  Mouse(QEvent::MouseButtonPress, 6, 8, Qt::NoModifier);
  EXPECT_EQ(Range(), QRect(6, 8, 1, 1));
  Mouse(QEvent::MouseMove, 4, 10, Qt::NoModifier);
  Mouse(QEvent::MouseButtonRelease, 4, 10, Qt::NoModifier);
  EXPECT_EQ(Range(), QRect(QPoint(4, 8), QPoint(6, 10)));
  EXPECT_EQ(grid->CurrentColumn(), 6);
  EXPECT_EQ(grid->CurrentRow(), 8);
  // Tab collapses it; the fixed row and column are never in it.
  Key(Qt::Key_Tab);
  EXPECT_EQ(Range(), QRect(7, 8, 1, 1));
  for (int i = 0; i < 20; ++i) {
    Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
  }
  EXPECT_EQ(Range(), QRect(QPoint(1, 1), QPoint(7, 8)));
  EXPECT_FALSE(RangeText(*grid, Range()).contains(QString::fromStdString(Cell(0, 1))));
}

// A table file with mistakes changes nothing, and the message names each one.
TEST_F(PasteTest, ImportWithErrorsListsThemAllAndChangesNothing) {
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(kSpells);
  const QByteArray csv = QStringLiteral("№,Название,%1\n1,,abc\n999,,5\n2,,7\n")
                             .arg(QString::fromUtf8(HeaderCaptions[kSpells][1].data()))
                             .toUtf8();
  TableDocument scratch;
  scratch.OpenImage(QStringLiteral("x.exe"), source);
  const CsvIssues issues = ImportTableCsv(scratch, kSpells, csv);
  ASSERT_GE(issues.size(), 2);
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("bad.csv")), Bytes(csv.begin(), csv.end())));
  const std::string before = Cell(1, 2);

  dialogs.csv_open_answers.push_back(Path(QStringLiteral("bad.csv")));
  Named<QAction>(form, "ImportCsv")->trigger();
  ASSERT_EQ(dialogs.errors.size(), 1);
  for (const CsvIssue& issue : issues)
    EXPECT_TRUE(dialogs.errors[0].contains(CsvIssueMessage(issue)))
        << dialogs.errors[0].toStdString();
  EXPECT_TRUE(form->Document()->Changes().empty());
  EXPECT_EQ(Cell(1, 2), before);
}

// A file with thousands of bad rows: the box holds ten mistakes and how many
// more there are, its details the first hundred and the count of the rest.
TEST_F(PasteTest, ImportWithManyErrorsShowsTheFirstAndCountsTheRest) {
  QByteArray csv = "№,Название\n";
  for (int row = 0; row < 5000; ++row)
    csv += "67,x\n";
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("many.csv")), Bytes(csv.begin(), csv.end())));
  dialogs.csv_open_answers.push_back(Path(QStringLiteral("many.csv")));
  Named<QAction>(form, "ImportCsv")->trigger();
  ASSERT_EQ(dialogs.errors.size(), 1);
  ASSERT_EQ(dialogs.error_details.size(), 1);
  const QStringList shown = dialogs.errors[0].split(QLatin1Char('\n'));
  ASSERT_EQ(shown.size(), 12);  // the headline, ten mistakes, the count
  EXPECT_TRUE(shown[1].startsWith(QStringLiteral("строка 2, столбец 1: ")));
  EXPECT_EQ(shown[11], QStringLiteral("…и ещё 4990 ошибок"));
  const QStringList details = dialogs.error_details[0].split(QLatin1Char('\n'));
  ASSERT_EQ(details.size(), CsvIssues::kKept + 1);
  EXPECT_TRUE(details[CsvIssues::kKept - 1].startsWith(QStringLiteral("строка 101, ")));
  EXPECT_EQ(details.back(), QStringLiteral("…и ещё 4900 ошибок"));
  EXPECT_TRUE(form->Document()->Changes().empty());
}

// A list whose one field no longer holds its "В файле" value: cancelled,
// applied but for that field, or applied whole, as the user answers.
TEST_F(PasteTest, ApplyingAListWithAConflictFollowsTheAnswer) {
  TableDocument source_document;
  source_document.OpenImage(QStringLiteral("a.exe"), source);
  source_document.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    edit.SetText({kCreatures, 3, 1}, "17");
    edit.SetText({kSpells, 64, 3}, "-5");
  });
  const QByteArray list = WriteChangeList(source_document);
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("list.csv")), Bytes(list.begin(), list.end())));
  const FieldRef kept{kCreatures, 3, 1};
  const FieldRef conflicting{kSpells, 64, 3};
  using Answer = UserDialogs::ConflictAnswer;
  for (const Answer answer : {Answer::Cancel, Answer::ApplyRest, Answer::ApplyAll}) {
    dialogs.open_answers.push_back(Path(QStringLiteral("HMM2PL.exe")));
    form->OpenClick();
    TableDocument* document = form->Document();
    const std::int32_t original = document->ValueAfterCommit(kept);
    document->Change(QStringLiteral("правка"),
                     [&](DocumentEdit& edit) { edit.SetText(conflicting, "-6"); });
    dialogs.csv_open_answers.push_back(Path(QStringLiteral("list.csv")));
    dialogs.conflict_answers.push_back(answer);
    dialogs.conflict_questions.clear();
    Named<QAction>(form, "ApplyChangeList")->trigger();
    ASSERT_EQ(dialogs.conflict_questions.size(), 1);
    EXPECT_TRUE(dialogs.conflict_questions[0].contains(QStringLiteral("«-6»")));
    EXPECT_EQ(document->ValueAfterCommit(kept), answer == Answer::Cancel ? original : 17);
    EXPECT_EQ(document->ValueAfterCommit(conflicting), answer == Answer::ApplyAll ? -5 : -6);
    EXPECT_EQ(Cell(1, 4), FieldDisplayText(document->Committed(), kCreatures, 3, 1));  // on show
  }
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

// Export writes the table on show, typed text included; the items sit
// between Save As and the separator and wait for a file.
TEST_F(PasteTest, ExportWritesTheTableOnShowWithTypedText) {
  const QList<QAction*> items = Named<QMenu>(form, "mm_File")->actions();
  const auto at = [&items](const QAction* action) { return items.indexOf(action); };
  EXPECT_LT(at(Named<QAction>(form, "mm_SaveAs")), at(Named<QAction>(form, "ExportCsv")));
  EXPECT_EQ(at(Named<QAction>(form, "ExportCsv")) + 3, at(Named<QAction>(form, "ApplyChangeList")));
  EXPECT_LT(at(Named<QAction>(form, "ApplyChangeList")), at(Named<QAction>(form, "mm_Line")));
  Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(2, 2);
  QTest::keyClicks(Editor(), QStringLiteral("9x"));
  dialogs.csv_save_answers.push_back(Path(QStringLiteral("creatures.csv")));
  Named<QAction>(form, "ExportCsv")->trigger();
  EXPECT_EQ(dialogs.csv_proposed_names, QStringList{QStringLiteral("creatures.csv")});
  QFile written(Path(QStringLiteral("creatures.csv")));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), ExportTableCsv(*form->Document(), kCreatures, CsvSeparator::Comma));
  EXPECT_TRUE(ExportTableCsv(*form->Document(), kCreatures, CsvSeparator::Comma).contains("9x"));

  TMainForm fresh(&dialogs, &store);
  EXPECT_FALSE(Named<QAction>(&fresh, "ImportCsv")->isEnabled());
}

// A text file that cannot be read is refused at once with trevalune-cli's own
// message (see its test over the same table), and nothing changes.
TEST_F(PasteTest, ImportAndApplyRefuseWhatTheyCannotRead) {
  for (const TextRefusal& refusal : MakeTextRefusals(dir.path())) {
    if (!refusal.window)
      continue;
    SCOPED_TRACE(refusal.path.toStdString());
    for (QAction* command :
         {Named<QAction>(form, "ImportCsv"), Named<QAction>(form, "ApplyChangeList")}) {
      dialogs.errors.clear();
      dialogs.csv_open_answers.push_back(refusal.path);
      command->trigger();
      EXPECT_EQ(dialogs.errors, QStringList{ReadFailure(refusal)});
      EXPECT_TRUE(form->Document()->Changes().empty());
    }
  }
}

}  // namespace
