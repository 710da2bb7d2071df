// The main window driven as the user drives it: dialogs answered from code,
// keystrokes into the cell editor, clicks on the tabs, and files of our own
// making in a temporary folder.

#include "ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#endif

#include "document/changes_model.h"
#include "samplegen/sample_image.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_grid.h"
#include "tests/support/os_helpers.h"
#include "tests/ui/window_fixtures.h"
#include "ui/changes_panel.h"

namespace {

// Every record field of the three tables, as written into a blank file.
Bytes Records(const TableSet& tables) {
  return SaveTables(tables, Bytes(ExpectedFileSize, 0));
}

// A value every edited field can hold that differs from `value`.
std::int32_t OtherValue(std::int32_t value) {
  return value == 42 ? 43 : 42;
}

class MainFormTest : public WindowTest {
 protected:
  // The user clicks a tab.
  void ClickTab(int index) {
    QTest::mouseClick(Named<QTabBar>(form, "tc_Tabs"), Qt::LeftButton, Qt::NoModifier,
                      Named<QTabBar>(form, "tc_Tabs")->tabRect(index).center());
    ASSERT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), index);
  }

  // The user moves to a cell and types `text` over what it holds, key by key.
  void TypeInto(int column, int row, const QString& text) {
    Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(column, row);
    QLineEdit* editor = Named<TStringGrid>(form, "sg_Table")->CellEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
  }

  // Types a value other than the field's into the cell of `entry` and `column`
  // of the table on show, and stores it in `expected` as a commit would.
  template <typename Table>
  void TypeNewValue(Table& expected, int entry, int column) {
    const std::int32_t value = OtherValue(ColumnValue(expected, entry, column));
    TypeInto(column, entry + 1, QString::number(value));
    StoreColumn(expected, entry, column, value);
  }

  std::string Cell(int column, int row) const {
    return Named<TStringGrid>(form, "sg_Table")->CellText(column, row);
  }
  CellMark Mark(int column, int row) const {
    return Named<TStringGrid>(form, "sg_Table")->Mark(column, row);
  }

  // The grid as a fill from `tables` shapes it for `index`.
  static MemoryGrid Filled(TableIndex index, const TableSet& tables) {
    MemoryGrid grid;
    FillActiveTable(index, tables, grid);
    return grid;
  }

  void ExpectGridShows(TableIndex index, const TableSet& tables) const {
    const MemoryGrid expected = Filled(index, tables);
    for (int row = 1; row < RowCounts[index]; ++row) {
      for (int column = 0; column < ColCounts[index]; ++column)
        ASSERT_EQ(Cell(column, row), expected.CellText(column, row)) << column << "," << row;
    }
  }

  void ExpectHeaderRow(TableIndex index) const {
    for (int column = 0; column < ColCounts[index]; ++column)
      EXPECT_EQ(Cell(column, 0), std::string(HeaderCaptions[index][column]));
  }

  // Every file and folder under the test's folder, with each file's bytes, to
  // show that a refused Open or Save As created, changed and left nothing.
  std::map<QString, Bytes> FolderTree() const {
    std::map<QString, Bytes> tree;
    QDirIterator it(dir.path(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      tree[path] = it.fileInfo().isDir() ? Bytes{} : ReadBytes(path);
    }
    return tree;
  }
};

// --- The window before any file ---------------------------------------------

TEST_F(MainFormTest, MenuCaptionsAndShortcut) {
  EXPECT_EQ(Named<QMenu>(form, "mm_File")->title(), QStringLiteral("&Файл"));
  EXPECT_EQ(Named<QAction>(form, "Open")->text(), QStringLiteral("&Открыть..."));
  EXPECT_EQ(Named<QAction>(form, "Open")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(Named<QAction>(form, "mm_SaveAs")->text(), QStringLiteral("&Сохранить как..."));
  EXPECT_TRUE(Named<QAction>(form, "mm_Line")->isSeparator());
  EXPECT_EQ(Named<QAction>(form, "mm_Exit")->text(), QStringLiteral("&Выход"));
  EXPECT_EQ(Named<QMenu>(form, "mm_Help")->title(), QStringLiteral("&Справка"));
  EXPECT_EQ(Named<QAction>(form, "mm_About")->text(), QStringLiteral("&О программе"));
  // Items added later go between Save As and the separator.
  const QList<QAction*> items = Named<QMenu>(form, "mm_File")->actions();
  ASSERT_GE(items.size(), 4);
  EXPECT_EQ(items[0], Named<QAction>(form, "Open"));
  EXPECT_EQ(items[1], Named<QAction>(form, "mm_SaveAs"));
  EXPECT_EQ(items[items.size() - 2], Named<QAction>(form, "mm_Line"));
  EXPECT_EQ(items.back(), Named<QAction>(form, "mm_Exit"));
  EXPECT_TRUE(items.contains(Named<QMenu>(form, "mm_Recent")->menuAction()));
}

// Each part of the window known by a name of ours (Qt's own begin with "qt_"
// or "_q_") is the one object of that name: a part found by name is the
// right one.
TEST_F(MainFormTest, NoTwoPartsShareAName) {
  form->ShowChecksPanel(true);
  Named<QAction>(form, "ShowPanel")->trigger();
  std::map<QString, int> named;
  for (const QObject* part : form->findChildren<QObject*>()) {
    const QString name = part->objectName();
    if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
        !name.startsWith(QLatin1String("_q_")))
      ++named[name];
  }
  EXPECT_GE(named.size(), 46u);
  for (const auto& [name, count] : named)
    EXPECT_EQ(count, 1) << name.toStdString();
}

// Вид → Язык: the menus, tabs, captions and Qt's own texts change at once,
// a new window starts in the language chosen last, and Russian comes back.
TEST_F(MainFormTest, TheLanguageChangesAtOnceAndIsRemembered) {
  const auto shown = [](TMainForm& window) {
    QCoreApplication::processEvents();  // the LanguageChange events are posted
    return QStringList{
        Named<QMenu>(&window, "mm_File")->title(),
        Named<QAction>(&window, "Open")->text(),
        Named<QMenu>(&window, "mm_Edit")->title(),
        Named<QAction>(&window, "mm_Undo")->text(),
        Named<QMenu>(&window, "mm_View")->title(),
        Named<QMenu>(&window, "mm_Language")->title(),
        Named<QMenu>(&window, "mm_Recent")->title(),
        Named<QTabBar>(&window, "tc_Tabs")->tabText(kSpells),
        QString::fromStdString(Named<TStringGrid>(&window, "sg_Table")->CellText(1, 0)),
        Named<ChangesPanel>(&window, "ChangesPanel")->windowTitle(),
        Named<ChangesPanel>(&window, "ChangesPanel")
            ->Model()
            ->headerData(0, Qt::Horizontal, Qt::DisplayRole)
            .toString(),
        QCoreApplication::translate("QPlatformTheme", "Cancel")};
  };
  const QStringList russian = {"&Файл", "&Открыть...", "&Правка",         "&Отменить",
                               "&Вид",  "&Язык",       "&Недавние файлы", "Заклинания",
                               "Атака", "Изменения",   "Таблица",         "Отмена"};
  const QStringList english = {"&File",  "&Open...",  "&Edit",         "&Undo",
                               "&View",  "&Language", "Recent &files", "Spells",
                               "Attack", "Changes",   "Table",         "Cancel"};
  // The choice reaches the settings file from the settings' own thread; a new
  // window (a restart) reads it from there.
  const auto written = [](const char* key) {
    return QTest::qWaitFor([key] {
      return QSettings(QStringLiteral("Trevalune"), QStringLiteral("Trevalune"))
                 .value(QStringLiteral("language")) == QLatin1String(key);
    });
  };
  EXPECT_EQ(shown(*form), russian);
  EXPECT_TRUE(Named<QAction>(form, "mm_Russian")->isChecked());
  Named<QAction>(form, "mm_English")->trigger();
  EXPECT_EQ(form->Language(), UiLanguage::English);
  EXPECT_EQ(shown(*form), english);
  EXPECT_TRUE(Named<QAction>(form, "mm_English")->isChecked());
  ASSERT_TRUE(written("en"));
  {
    TMainForm next(&dialogs, &store);
    next.show();
    EXPECT_EQ(shown(next), english);
  }
  Named<QAction>(form, "mm_Russian")->trigger();
  EXPECT_EQ(shown(*form), russian);
  ASSERT_TRUE(written("ru"));
  TMainForm after(&dialogs, &store);
  after.show();
  EXPECT_EQ(shown(after), russian);
}

TEST_F(MainFormTest, BeforeAnyFileTheTabsOnlyReshapeAndNothingIsReadOrWritten) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalune"));
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->RowCount(), 67);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColCount(), 14);
  ExpectHeaderRow(kCreatures);
  EXPECT_EQ(Cell(1, 1), "");
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentColumn(), 1);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentRow(), 1);
  EXPECT_NE(Named<TStringGrid>(form, "sg_Table")->CellEditor(), nullptr);
  EXPECT_TRUE(Named<QStatusBar>(form, "sb_Info")->currentMessage().isEmpty());
  ASSERT_EQ(Named<QTabBar>(form, "tc_Tabs")->count(), 3);
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->tabText(0), QStringLiteral("Существа"));
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->tabText(1), QStringLiteral("Постройки"));
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->tabText(2), QStringLiteral("Заклинания"));

  TypeInto(1, 1, QStringLiteral("5"));
  ClickTab(kBuildings);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->RowCount(), 83);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColCount(), 8);
  ExpectHeaderRow(kBuildings);
  ClickTab(kSpells);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->RowCount(), 66);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColCount(), 4);
  ExpectHeaderRow(kSpells);
  ClickTab(kCreatures);
  ExpectHeaderRow(kCreatures);
  EXPECT_EQ(Cell(1, 1), "5");  // kept, nothing read or filled
  EXPECT_EQ(Mark(1, 1), CellMark::None);
  EXPECT_EQ(form->CurrentTables(), nullptr);

  EXPECT_FALSE(Named<QAction>(form, "mm_SaveAs")->isEnabled());
  Named<QAction>(form, "mm_SaveAs")->trigger();  // disabled: nothing happens
  form->mm_SaveAsClick();                        // and the handler itself refuses
  EXPECT_TRUE(dialogs.save_proposed_names.isEmpty());
  EXPECT_EQ(store.reads + store.writes, 0);
}

// --- Open --------------------------------------------------------------------

TEST_F(MainFormTest, OpenShowsTheCreaturesAndEnablesSaveAs) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  TypeInto(1, 1, QStringLiteral("999"));  // typed before any file: never read
  OpenFile(path);

  EXPECT_EQ(dialogs.open_initial_names, QStringList{QStringLiteral("HMM2PL.exe")});
  EXPECT_EQ(dialogs.size_warnings, 0);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalune - ") + QDir::toNativeSeparators(path));
  EXPECT_EQ(form->TargetFileName(), path);
  EXPECT_TRUE(Named<QAction>(form, "mm_SaveAs")->isEnabled());
  const TableSet loaded = LoadTables(MakeSample(7).image);
  ExpectGridShows(kCreatures, loaded);
  ASSERT_NE(form->CurrentTables(), nullptr);
  EXPECT_EQ(Records(*form->CurrentTables()), Records(loaded));
  // The editor shows what its cell holds, and nothing is marked.
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->text().toStdString(), Cell(1, 1));
  EXPECT_EQ(Mark(1, 1), CellMark::None);

  // The next Open offers the path chosen last.
  form->OpenClick();
  EXPECT_EQ(dialogs.open_initial_names.last(), path);
}

TEST_F(MainFormTest, OpenWithSpellsOnShowSelectsCreaturesAndCommitsNothing) {
  OpenFile(WriteSample(QStringLiteral("a.exe"), 7));
  ClickTab(kSpells);
  TypeInto(2, 3, QStringLiteral("77"));
  Named<TStringGrid>(form, "sg_Table")->scrollToBottom();

  const QString other = WriteSample(QStringLiteral("b.exe"), 8);
  OpenFile(other);
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kCreatures);
  EXPECT_EQ(form->ActiveTable(), kCreatures);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->RowCount(), 67);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColCount(), 14);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->TopRow(), 1);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->LeftColumn(), 1);
  ExpectHeaderRow(kCreatures);
  const Bytes image = MakeSample(8).image;
  const TableSet loaded = LoadTables(image);
  ExpectGridShows(kCreatures, loaded);
  // The spell edit went nowhere: the new tables are exactly the new file's.
  EXPECT_EQ(Records(*form->CurrentTables()), Records(loaded));

  ClickTab(kSpells);
  ExpectGridShows(kSpells, loaded);
  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.exe"))), image);
}

// --- Edits, tab switches and Save As ----------------------------------------

TEST_F(MainFormTest, BuildingEditSurvivesTabSwitchesAndIsSavedWithBuildingsOnShow) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  ClickTab(kBuildings);
  const std::int32_t value = OtherValue(ColumnValue(form->CurrentTables()->BlTable, 4, 2));
  TypeInto(2, 5, QString::number(value));
  ClickTab(kSpells);
  ClickTab(kBuildings);
  EXPECT_EQ(Cell(2, 5), std::to_string(value));

  const QString copy = Path(QStringLiteral("copy.exe"));
  SaveAs(copy);
  ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  TableSet expected = LoadTables(source);
  StoreColumn(expected.BlTable, 4, 2, value);
  const Bytes saved = ReadBytes(copy);
  EXPECT_EQ(saved, SaveTables(expected, source));
  const std::vector<std::size_t> changed = DifferingOffsets(source, saved);
  ASSERT_FALSE(changed.empty());
  EXPECT_LE(changed.back() - changed.front(), 3u);  // one field, nothing else
  EXPECT_EQ(ReadBytes(path), source);               // the source is untouched
  EXPECT_EQ(form->TargetFileName(), copy);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalune - ") + QDir::toNativeSeparators(copy));
}

TEST_F(MainFormTest, EditsInEveryTableAreWrittenAtOneSaveAs) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  TableSet expected = LoadTables(source);

  TypeNewValue(expected.CrTable, 10, 1);
  ClickTab(kSpells);
  TypeNewValue(expected.SpTable, 64, 2);
  ClickTab(kBuildings);
  const std::int32_t gold = OtherValue(ColumnValue(expected.BlTable, 81, 1));
  TypeInto(1, 82, QStringLiteral("$%1").arg(gold, 0, 16));  // hexadecimal is a number too
  StoreColumn(expected.BlTable, 81, 1, gold);

  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.exe"))), SaveTables(expected, source));
}

TEST_F(MainFormTest, SaveAsRightAfterTypingWritesTheTypedValue) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 2, 5);
  // Straight from the keyboard to Save As: the cell is never left.
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_Return);
  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.exe"))), SaveTables(expected, source));
}

TEST_F(MainFormTest, TextThatIsNotANumberKeepsTheFieldUntilTheTabIsLeft) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  const std::string before = Cell(3, 2);
  TypeInto(3, 2, QStringLiteral("12x"));
  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.exe"))), source);
  EXPECT_EQ(Cell(3, 2), "12x");  // still shows what was typed
  ClickTab(kBuildings);
  ClickTab(kCreatures);
  EXPECT_EQ(Cell(3, 2), before);
}

TEST_F(MainFormTest, SaveAsCancelledChangesNothing) {
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const TableSet before = *form->CurrentTables();
  TypeInto(1, 1, QStringLiteral("55"));
  const QStringList entries = FolderEntries(dir.path());
  form->mm_SaveAsClick();  // no answer queued: cancelled
  EXPECT_EQ(dialogs.save_proposed_names.size(), 1);
  EXPECT_EQ(FolderEntries(dir.path()), entries);
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(Cell(1, 1), "55");
  EXPECT_EQ(Records(*form->CurrentTables()), Records(before));
}

TEST_F(MainFormTest, EachSaveAsProposesAFreshNameAndCopiesTheLastSavedFile) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 0, 1);
  SaveAs(Path(QStringLiteral("one.exe")));
  // The first copy is the current file now: delete the source to prove it.
  ASSERT_TRUE(QFile::remove(path));
  TypeNewValue(expected.CrTable, 1, 2);
  SaveAs(Path(QStringLiteral("two.exe")));
  ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("two.exe"))), SaveTables(expected, source));

  const QRegularExpression pattern(QStringLiteral("^HMM2PL_[0-9A-F]{8}$"));
  ASSERT_EQ(dialogs.save_proposed_names.size(), 2);
  for (const QString& name : dialogs.save_proposed_names)
    EXPECT_TRUE(pattern.match(name).hasMatch()) << name.toStdString();
  EXPECT_NE(dialogs.save_proposed_names[0], dialogs.save_proposed_names[1]);
}

TEST_F(MainFormTest, SaveAsOntoTheCurrentFileSavesInPlace) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  OpenFile(path);
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 65, 13);
  SaveAs(path);
  ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  EXPECT_EQ(ReadBytes(path), SaveTables(expected, source));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalune - ") + QDir::toNativeSeparators(path));
  EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("HMM2PL.exe")});
}

TEST_F(MainFormTest, SaveAsThroughASymbolicLinkSavesTheTargetInPlace) {
  if (NoSymbolicLinks())
    GTEST_SKIP() << NoSymbolicLinks();
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  const QString link = Path(QStringLiteral("link.exe"));
  ASSERT_TRUE(QFile::link(path, link));
  OpenFile(path);
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 3, 4);
  SaveAs(link);
  ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadBytes(path), SaveTables(expected, source));
}

TEST_F(MainFormTest, SaveAsThroughAHardLinkLosesNothing) {
  const QString path = WriteSample(QStringLiteral("HMM2PL.exe"));
  const Bytes source = ReadBytes(path);
  const QString hard = Path(QStringLiteral("hard.exe"));
  ASSERT_TRUE(MakeHardLink(path, hard));
  OpenFile(path);
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 5, 6);
  SaveAs(hard);
  ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  // The chosen name holds the saved file; the file is replaced as a whole, so
  // the other name keeps the file as it was.
  EXPECT_EQ(ReadBytes(hard), SaveTables(expected, source));
  EXPECT_EQ(ReadBytes(path), source);
  EXPECT_EQ(form->TargetFileName(), hard);
}

// --- Cell marks ----------------------------------------------------------------

TEST_F(MainFormTest, MarksFollowEachKeystroke) {
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const std::string original = Cell(1, 1);
  Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(1, 1);
  QLineEdit* editor = Named<TStringGrid>(form, "sg_Table")->CellEditor();
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  EXPECT_EQ(Mark(1, 1), CellMark::NotANumber);  // the empty text is not a number
  QTest::keyClick(editor, Qt::Key_Minus);
  EXPECT_EQ(Mark(1, 1), CellMark::NotANumber);
  EXPECT_EQ(editor->palette().color(QPalette::Base), Named<TStringGrid>(form, "sg_Table")
                                                         ->Model()
                                                         ->index(0, 0)
                                                         .data(Qt::BackgroundRole)
                                                         .value<QBrush>()
                                                         .color());
  // After the minus: a number whose negative is not the value in the file.
  QTest::keyClicks(editor, QString::number(OtherValue(-std::stoi(original))));
  EXPECT_EQ(Mark(1, 1), CellMark::Changed);
  EXPECT_TRUE(editor->font().bold());
  editor->selectAll();
  QTest::keyClicks(editor, QString::fromStdString(original));
  EXPECT_EQ(Mark(1, 1), CellMark::None);
  EXPECT_FALSE(editor->font().bold());
  // 256 more wraps to the same byte: stored unchanged, so not marked.
  editor->selectAll();
  QTest::keyClicks(editor, QString::number(std::stoi(original) + 256));
  EXPECT_EQ(Mark(1, 1), CellMark::None);
}

TEST_F(MainFormTest, ChangedMarksStayAcrossTabSwitchesAndClearOnSave) {
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const std::string original = Cell(2, 3);
  TypeInto(2, 3, QString::number(OtherValue(std::stoi(original))));
  TypeInto(3, 3, QStringLiteral("abc"));
  EXPECT_EQ(Mark(2, 3), CellMark::Changed);
  EXPECT_EQ(Mark(3, 3), CellMark::NotANumber);
  ClickTab(kSpells);
  EXPECT_EQ(Mark(2, 3), CellMark::None);  // the spell grid has its own cells
  ClickTab(kCreatures);
  EXPECT_EQ(Mark(2, 3), CellMark::Changed);  // committed, still not in the file
  EXPECT_EQ(Mark(3, 3), CellMark::None);     // refilled with the stored value

  TypeInto(3, 3, QStringLiteral("abc"));
  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(Mark(2, 3), CellMark::None);        // saved
  EXPECT_EQ(Mark(3, 3), CellMark::NotANumber);  // still would not be stored
  ClickTab(kBuildings);
  ClickTab(kCreatures);
  EXPECT_EQ(Mark(2, 3), CellMark::None);
  EXPECT_EQ(Cell(2, 3), std::to_string(OtherValue(std::stoi(original))));
}

// --- The grid as the user handles it ----------------------------------------------

// With the window shown, the editor really holds the keyboard focus; a click
// elsewhere must not pass it on along the Tab chain to the next cell.
TEST_F(MainFormTest, AClickLandsOnTheCellUnderIt) {
  form->resize(870, 640);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  for (const int tab : {1, 2, 0, 2, 1}) {
    ClickTab(tab);
    QApplication::processEvents();
    TStringGrid* grid = Named<TStringGrid>(form, "sg_Table");
    grid->SetCurrentCell(2, 1);
    ASSERT_EQ(grid->CurrentColumn(), 2);
    // Where the caption of column 1 is drawn, the cells of column 1 lie.
    const int x = grid->horizontalHeader()->sectionViewportPosition(0) + 10;
    const int y = grid->verticalHeader()->sectionViewportPosition(2) + 5;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    EXPECT_EQ(grid->CurrentColumn(), 1) << "tab " << tab;
    EXPECT_EQ(grid->CurrentRow(), 3) << "tab " << tab;
    ASSERT_NE(grid->CellEditor(), nullptr);
    EXPECT_TRUE(grid->CellEditor()->hasFocus()) << "tab " << tab;
  }
}

// After a tab switch the editor shows the new table's cell, and nothing is
// marked on any tab of a file just opened: the sample has building costs above
// the signed range, shown in digits the parse refuses, that still hold exactly
// the file's values.
TEST_F(MainFormTest, TheEditorShowsTheNewTableAfterATabSwitch) {
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const TableSet loaded = LoadTables(MakeSample(7).image);
  // A cell inside every table's shape keeps its editor; one outside moves in.
  for (const auto& [column, row] : {std::pair{2, 3}, std::pair{12, 66}}) {
    Named<TStringGrid>(form, "sg_Table")
        ->SetCurrentCell(column, 70);  // no row 70 in the creature shape
    Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(column, row);
    int shown_column = column;
    int shown_row = row;
    for (const int tab : {2, 1, 0}) {
      ClickTab(tab);
      const auto index = static_cast<TableIndex>(tab);
      const MemoryGrid expected = Filled(index, loaded);
      shown_column = std::min(shown_column, ColCounts[index] - 1);
      shown_row = std::min(shown_row, RowCounts[index] - 1);
      ASSERT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentColumn(), shown_column);
      ASSERT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentRow(), shown_row);
      ASSERT_NE(Named<TStringGrid>(form, "sg_Table")->CellEditor(), nullptr);
      EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->text().toStdString(),
                expected.CellText(shown_column, shown_row))
          << "tab " << tab << ", cell (" << column << ", " << row << ")";
      // Typing replaces the number shown, as on entering a cell.
      EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->selectedText(),
                Named<TStringGrid>(form, "sg_Table")->CellEditor()->text());
      for (int r = 1; r < RowCounts[index]; ++r) {
        for (int c = 1; c < ColCounts[index]; ++c)
          ASSERT_EQ(Mark(c, r), CellMark::None)
              << "tab " << tab << " (" << c << ", " << r << ") " << Cell(c, r);
      }
    }
  }
}

// Ctrl+Z and Ctrl+Y in the cell editor go to the document's history, never to
// the editor's own: an undo brings back the cell of the step, in its own tab,
// exactly as it was (typed text that wrapped or did not parse included), and
// the Edit menu names what it would undo or redo. An Open forgets every step.
TEST_F(MainFormTest, UndoAndRedoFromTheEditorShowTheTabAndCellOfTheStep) {
  const Bytes source = MakeSample(7).image;
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const TableSet loaded = LoadTables(source);
  const std::string creature = FieldDisplayText(loaded, kCreatures, 39, 3);
  const std::string building = FieldDisplayText(loaded, kBuildings, 4, 2);
  const QList<QAction*> menus = Named<QMenuBar>(form, "MainMenu")->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[1], Named<QMenu>(form, "mm_Edit")->menuAction());  // Файл, Правка, Вид, Справка
  EXPECT_EQ(menus[2], Named<QMenu>(form, "mm_View")->menuAction());
  EXPECT_FALSE(Named<QAction>(form, "mm_Undo")->isEnabled());

  // Too large for the field: wraps when committed, onto a value other than the file's.
  const QString too_large = QString::number(65536 + OtherValue(std::stoi(creature)));
  TypeInto(3, 40, too_large);
  ClickTab(kBuildings);
  ClickTab(kCreatures);
  const std::string wrapped = Cell(3, 40);
  ASSERT_NE(wrapped, too_large.toStdString());
  ASSERT_NE(wrapped, creature);
  ClickTab(kBuildings);
  TypeInto(2, 5, QStringLiteral("12x"));  // not a number: the field keeps its value
  EXPECT_EQ(Named<QAction>(form, "mm_Undo")->text(), QStringLiteral("&Отменить ввод"));
  EXPECT_FALSE(Named<QAction>(form, "mm_Redo")->isEnabled());
  const auto press = [this](QKeyCombination keys) {
    QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), keys.key(),
                    keys.keyboardModifiers());
  };

  press(Qt::CTRL | Qt::Key_Z);
  EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kBuildings);
  EXPECT_EQ(Cell(2, 5), building);
  EXPECT_EQ(Mark(2, 5), CellMark::None);
  press(Qt::CTRL | Qt::Key_Z);
  ASSERT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kCreatures);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentColumn(), 3);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentRow(), 40);
  EXPECT_TRUE(
      Named<TStringGrid>(form, "sg_Table")
          ->viewport()
          ->rect()
          .contains(Named<TStringGrid>(form, "sg_Table")
                        ->visualRect(Named<TStringGrid>(form, "sg_Table")->currentIndex())));
  EXPECT_EQ(Cell(3, 40), creature);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->text().toStdString(), creature);
  EXPECT_EQ(Mark(3, 40), CellMark::None);
  EXPECT_FALSE(Named<QAction>(form, "mm_Undo")->isEnabled());
  EXPECT_EQ(Named<QAction>(form, "mm_Redo")->text(), QStringLiteral("&Повторить ввод"));

  press(Qt::CTRL | Qt::Key_Y);  // the text as typed, marked
  EXPECT_EQ(Cell(3, 40), too_large.toStdString());
  EXPECT_EQ(Mark(3, 40), CellMark::Changed);
  press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
  ASSERT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kBuildings);
  EXPECT_EQ(Cell(2, 5), "12x");
  EXPECT_EQ(Mark(2, 5), CellMark::NotANumber);
  ClickTab(kCreatures);
  EXPECT_EQ(Cell(3, 40), wrapped);

  OpenFile(Path(QStringLiteral("HMM2PL.exe")));
  EXPECT_FALSE(Named<QAction>(form, "mm_Undo")->isEnabled());
  press(Qt::CTRL | Qt::Key_Z);  // neither the document nor the editor undoes anything
  SaveAs(Path(QStringLiteral("copy.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy.exe"))), source);
}

// Save As keeps the history: an undo after it makes the cell differ from the
// file just written, and marks it again.
TEST_F(MainFormTest, UndoAfterSaveAsMarksTheCellAgain) {
  const Bytes source = MakeSample(7).image;
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  TableSet expected = LoadTables(source);
  TypeNewValue(expected.CrTable, 0, 1);
  SaveAs(Path(QStringLiteral("copy.exe")));
  ASSERT_EQ(Mark(1, 1), CellMark::None);
  Named<QAction>(form, "mm_Undo")->trigger();
  EXPECT_EQ(Mark(1, 1), CellMark::Changed);
  SaveAs(Path(QStringLiteral("copy2.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy2.exe"))), source);
  Named<QAction>(form, "mm_Redo")->trigger();
  EXPECT_EQ(Mark(1, 1), CellMark::Changed);
  SaveAs(Path(QStringLiteral("copy3.exe")));
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("copy3.exe"))),
            ReadBytes(Path(QStringLiteral("copy.exe"))));
}

// Revert sets the selected cells (or the current cell) back to the file's
// values, committed or typed alike, as one step.
TEST_F(MainFormTest, RevertSetsCellsBackFromTheFileAsOneStep) {
  const Bytes source = MakeSample(7).image;
  EXPECT_FALSE(Named<QAction>(form, "mm_Revert")->isEnabled());
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const TableSet loaded = LoadTables(source);
  TableSet expected = loaded;
  TypeNewValue(expected.CrTable, 0, 1);
  ClickTab(kBuildings);
  ClickTab(kCreatures);  // (1, 1) committed
  TypeInto(2, 2, QStringLiteral("abc"));
  TypeNewValue(expected.CrTable, 2, 3);
  QItemSelectionModel* selection = Named<TStringGrid>(form, "sg_Table")->selectionModel();
  Named<TStringGrid>(form, "sg_Table")
      ->SetCurrentCell(1, 1);  // the range (1, 1) to (2, 2), with Shift and arrows
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_Down,
                  Qt::ShiftModifier);
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_Right,
                  Qt::ShiftModifier);
  ASSERT_EQ(selection->selectedIndexes().size(), 4);
  Named<QAction>(form, "mm_Revert")->trigger();
  EXPECT_EQ(Named<QAction>(form, "mm_Undo")->text(),
            QStringLiteral("&Отменить возврат значений из файла"));
  for (const auto& [column, row] : {std::pair{1, 1}, std::pair{2, 2}}) {
    EXPECT_EQ(Cell(column, row), FieldDisplayText(loaded, kCreatures, row - 1, column));
    EXPECT_EQ(Mark(column, row), CellMark::None);
  }
  EXPECT_EQ(Mark(3, 3), CellMark::Changed);  // not selected: kept

  Named<QAction>(form, "mm_Undo")->trigger();  // both come back at once
  EXPECT_EQ(Mark(1, 1), CellMark::Changed);
  EXPECT_EQ(Cell(2, 2), "abc");
  selection->clearSelection();
  Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(3, 3);
  // No selection: the current cell, from the grid's menu even on the editor.
  QLineEdit* editor = Named<TStringGrid>(form, "sg_Table")->CellEditor();
  const QPoint centre = editor->rect().center();
  QContextMenuEvent right_click(QContextMenuEvent::Mouse, centre, editor->mapToGlobal(centre));
  QApplication::sendEvent(editor, &right_click);
  ASSERT_TRUE(Named<QMenu>(form, "pm_Grid")->isVisible());
  ASSERT_TRUE(Named<QMenu>(form, "pm_Grid")->actions().contains(Named<QAction>(form, "mm_Revert")));
  Named<QAction>(form, "mm_Revert")->trigger();
  Named<QMenu>(form, "pm_Grid")->close();
  EXPECT_EQ(Mark(3, 3), CellMark::None);
  EXPECT_EQ(Cell(2, 2), "abc");
  SaveAs(Path(QStringLiteral("copy.exe")));
  StoreColumn(expected.CrTable, 2, 3, ColumnValue(loaded.CrTable, 2, 3));
  EXPECT_EQ(Records(LoadTables(ReadBytes(Path(QStringLiteral("copy.exe"))))), Records(expected));
}

// After a tab switch scrolls the grid to the top, the current cell may lie off
// screen; a keystroke first brings it into view.
TEST_F(MainFormTest, TypingShowsTheCurrentCellFirst) {
  form->resize(870, 640);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  TStringGrid* grid = Named<TStringGrid>(form, "sg_Table");
  const auto on_screen = [grid] {
    const QRect cell = grid->visualRect(grid->currentIndex());
    return grid->viewport()->rect().contains(cell);
  };
  TypeInto(3, 60, QStringLiteral("1"));
  ASSERT_TRUE(on_screen());
  ClickTab(kBuildings);
  ASSERT_EQ(grid->CurrentRow(), 60);
  ASSERT_FALSE(on_screen());
  QTest::keyClicks(grid->CellEditor(), QStringLiteral("777"));
  EXPECT_TRUE(on_screen());
  EXPECT_EQ(Cell(3, 60), "777");
}

// Ctrl+Tab, Ctrl+PgDn and their reverses step through the tabs, running the
// tab handlers; F10 opens the File menu; Ctrl+Shift+S is Save As.
TEST_F(MainFormTest, TheKeyboardReachesTheTabsAndTheMenu) {
  QApplication::setActiveWindow(form.get());
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  TableSet loaded = LoadTables(MakeSample(7).image);
  TypeNewValue(loaded.CrTable, 0, 1);
  const std::vector<std::pair<QKeyCombination, int>> steps = {
      {Qt::CTRL | Qt::Key_PageDown, 1},
      {Qt::CTRL | Qt::Key_Tab, 2},
      {Qt::CTRL | Qt::Key_Tab, 0},
      {Qt::CTRL | Qt::Key_PageUp, 2},
      {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 1},
      {Qt::CTRL | Qt::Key_PageUp, 0}};
  for (const auto& [keys, tab] : steps) {
    QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), keys.key(),
                    keys.keyboardModifiers());
    ASSERT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), tab);
    ExpectGridShows(static_cast<TableIndex>(tab), loaded);  // committed, reshaped, filled
  }
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_F10);
  EXPECT_TRUE(Named<QMenu>(form, "mm_File")->isVisible());
  Named<QMenu>(form, "mm_File")->close();
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_S,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialogs.save_proposed_names.size(), 1);
}

// Both file dialogs start in the folder of the file chosen last in either;
// at first the folder the program started in, the home folder when that is gone.
TEST_F(MainFormTest, DialogsStartInTheFolderOfTheLastChosenFile) {
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("later"))));
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  SaveAs(Path(QStringLiteral("later/copy.exe")));
  SaveAs(Path(QStringLiteral("later/copy2.exe")));
  ASSERT_TRUE(QDir(Path(QStringLiteral("later"))).removeRecursively());
  OpenFile(Path(QStringLiteral("HMM2PL.exe")));
  EXPECT_EQ(dialogs.dialog_folders, (QStringList{QDir::currentPath(), dir.path(),
                                                 Path(QStringLiteral("later")), QDir::homePath()}));
}

// Tab and Shift+Tab move along the row (from the last column on to the next
// row), Up and Down between rows; the editor follows, shows its cell and
// takes the keys typed next.
TEST_F(MainFormTest, KeysMoveTheEditorBetweenCells) {
  OpenFile(WriteSample(QStringLiteral("HMM2PL.exe")));
  const struct {
    int from_column, from_row;
    Qt::Key key;
    int column, row;
  } moves[] = {{1, 1, Qt::Key_Tab, 2, 1},
               {2, 1, Qt::Key_Backtab, 1, 1},
               {1, 1, Qt::Key_Down, 1, 2},
               {1, 2, Qt::Key_Up, 1, 1},
               {13, 1, Qt::Key_Tab, 1, 2}};
  for (const auto& m : moves) {
    SCOPED_TRACE(testing::Message() << m.key << " from " << m.from_column << "," << m.from_row);
    Named<TStringGrid>(form, "sg_Table")->SetCurrentCell(m.from_column, m.from_row);
    QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), m.key,
                    m.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    ASSERT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentColumn(), m.column);
    ASSERT_EQ(Named<TStringGrid>(form, "sg_Table")->CurrentRow(), m.row);
    EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->CellEditor()->text().toStdString(),
              Cell(m.column, m.row));
    QTest::keyClicks(Named<TStringGrid>(form, "sg_Table")->CellEditor(), QStringLiteral("7"));
    EXPECT_EQ(Cell(m.column, m.row).back(), '7');
  }
}

TEST_F(MainFormTest, ColumnWidthsAcrossTabSwitches) {
  Named<TStringGrid>(form, "sg_Table")->SetColumnWidth(2, 111);
  Named<TStringGrid>(form, "sg_Table")->SetColumnWidth(9, 120);
  ClickTab(kSpells);
  ClickTab(kCreatures);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColumnWidth(0), 150);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColumnWidth(2), 111);  // stayed in the shape
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColumnWidth(9), 80);  // dropped out and came back
}

TEST_F(MainFormTest, CtrlOOpensAndExitClosesWithoutAQuestion) {
  QApplication::setActiveWindow(form.get());
  dialogs.open_answers.push_back(WriteSample(QStringLiteral("HMM2PL.exe")));
  QTest::keyClick(Named<TStringGrid>(form, "sg_Table")->CellEditor(), Qt::Key_O,
                  Qt::ControlModifier);
  EXPECT_EQ(dialogs.open_initial_names.size(), 1);
  EXPECT_TRUE(Named<QAction>(form, "mm_SaveAs")->isEnabled());
  TypeInto(1, 1, QStringLiteral("1"));
  const QStringList entries = FolderEntries(dir.path());
  Named<QAction>(form, "mm_Exit")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(store.writes, 0);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(FolderEntries(dir.path()), entries);
}

TEST_F(MainFormTest, AboutIsCentredOverTheWindowAndNotModal) {
  QWidget about(form.get(), Qt::Tool | Qt::FramelessWindowHint);
  about.resize(284, 124);
  form->SetAboutForm(&about);
  form->move(100, 100);
  Named<QAction>(form, "mm_About")->trigger();
  EXPECT_TRUE(about.isVisible());
  EXPECT_FALSE(about.isModal());
  const QRect frame = form->frameGeometry();
  EXPECT_EQ(about.pos(), QPoint(frame.left() + (frame.width() - 284) / 2,
                                frame.top() + (frame.height() - 124) / 2));
  // Again while it shows: the same window, placed anew.
  form->move(40, 60);
  Named<QAction>(form, "mm_About")->trigger();
  EXPECT_EQ(about.pos().x(),
            form->frameGeometry().left() + (form->frameGeometry().width() - 284) / 2);
  // The main window goes on working beside it.
  ClickTab(kSpells);
  EXPECT_EQ(Named<TStringGrid>(form, "sg_Table")->ColCount(), 4);
}

// --- Bad files at Open ----------------------------------------------------------------

class OpenRefusedTest : public MainFormTest {
 protected:
  // A file is loaded, the buildings are on show with an edit not yet committed.
  void SetUp() override {
    MainFormTest::SetUp();
    good = WriteSample(QStringLiteral("HMM2PL.exe"));
    OpenGoodAndEdit();
  }

  void OpenGoodAndEdit() {
    OpenFile(good);
    ClickTab(kBuildings);
    TypeInto(3, 3, QStringLiteral("123"));
    tables_before = *form->CurrentTables();
  }

  void ExpectNothingChanged() {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Trevalune - ") + QDir::toNativeSeparators(good));
    EXPECT_EQ(form->TargetFileName(), good);
    EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kBuildings);
    EXPECT_EQ(form->ActiveTable(), kBuildings);
    EXPECT_EQ(Cell(3, 3), "123");
    EXPECT_EQ(Records(*form->CurrentTables()), Records(tables_before));
    EXPECT_TRUE(Named<QAction>(form, "mm_SaveAs")->isEnabled());
  }

  // The program goes on working: the edit can still be saved.
  void ExpectStillUsable() {
    SaveAs(Path(QStringLiteral("after.exe")));
    TableSet expected = LoadTables(MakeSample(7).image);
    StoreColumn(expected.BlTable, 2, 3, 123);
    EXPECT_EQ(ReadBytes(Path(QStringLiteral("after.exe"))),
              SaveTables(expected, MakeSample(7).image));
  }

  QString good;
  TableSet tables_before;
};

// Each choice that cannot be loaded (one byte off the size with the question
// answered No, or an error naming the file) leaves the window, its tables,
// the edit not yet committed and every file as they were; the edit can still
// be saved.
TEST_F(OpenRefusedTest, RefusedChoicesLeaveEverything) {
  const auto size_off_by = [this](int delta) {
    Bytes image = MakeSample(9).image;
    image.resize(image.size() + delta, 0);
    const QString odd = Path(QStringLiteral("odd%1.exe").arg(delta));
    EXPECT_TRUE(WriteBytes(odd, image));
    return odd;
  };
  const QString empty = Path(QStringLiteral("empty.exe"));
  ASSERT_TRUE(WriteBytes(empty, {}));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.exe")));
  const QString locked = WriteSample(QStringLiteral("locked.exe"), 9);
  // Unreadable: without read rights, or on Windows held by another program.
  ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
  const HeldWithoutSharing held(locked);
  const struct {
    QString path;
    bool asks_size;
    bool read_fails;
  } cases[] = {{size_off_by(-1), true, false},
               {size_off_by(1), true, false},
               {empty, false, false},
               {Path(QStringLiteral("folder.exe")), false, false},
               {Path(QStringLiteral("missing.exe")), false, false},
               {locked, false, false},
               {WriteSample(QStringLiteral("other.exe"), 9), false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString() + (c.read_fails ? ", read fails" : ""));
    if (c.path == locked && RunningAsSuperuser())
      continue;  // the superuser reads every file
    const std::map<QString, Bytes> files = FolderTree();
    const int warnings = dialogs.size_warnings;
    const auto errors = dialogs.errors.size();
    if (c.asks_size)
      dialogs.size_answers.push_back(false);
    store.fail_reads = c.read_fails;
    OpenFile(c.path);
    store.fail_reads = false;
    EXPECT_EQ(dialogs.size_warnings, warnings + (c.asks_size ? 1 : 0));
    ASSERT_EQ(dialogs.errors.size(), errors + (c.asks_size ? 0 : 1));
    if (!c.asks_size) {
      EXPECT_TRUE(dialogs.errors.last().contains(QDir::toNativeSeparators(c.path)))
          << dialogs.errors.last().toStdString();
    }
    ExpectNothingChanged();
    EXPECT_EQ(FolderTree(), files);
    ExpectStillUsable();
    OpenGoodAndEdit();
  }
}

TEST_F(OpenRefusedTest, SizeOneByteOffAndYesLoadsTheFile) {
  for (const int delta : {-1, 1}) {
    Bytes image = MakeSample(9).image;
    image.resize(image.size() + delta, 0);
    const QString odd = Path(QStringLiteral("odd%1.exe").arg(delta));
    ASSERT_TRUE(WriteBytes(odd, image));
    dialogs.size_answers.push_back(true);
    OpenFile(odd);
    EXPECT_EQ(form->TargetFileName(), odd);
    EXPECT_EQ(Named<QTabBar>(form, "tc_Tabs")->currentIndex(), kCreatures);
    ExpectGridShows(kCreatures, LoadTables(image));
    // Saved unedited, the copy is the file byte for byte, size included.
    const QString copy = Path(QStringLiteral("copy%1.exe").arg(delta));
    SaveAs(copy);
    EXPECT_EQ(ReadBytes(copy), image);
  }
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

// --- Save As that cannot be done ----------------------------------------------------

class SaveAsRefusedTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    current = WriteSample(QStringLiteral("HMM2PL.exe"));
    source = ReadBytes(current);
    OpenAndEdit();
  }

  void OpenAndEdit() {
    OpenFile(current);
    edited = OtherValue(ColumnValue(form->CurrentTables()->CrTable, 0, 2));
    TypeInto(2, 1, QString::number(edited));  // on show, not yet committed
    ClickTab(kBuildings);                     // now committed
    ClickTab(kCreatures);
    TypeInto(3, 1, QStringLiteral("abc"));
    tables_before = *form->CurrentTables();
    saved_before = form->SavedTables();
  }

  // The failed Save As reported itself and left every state as it was.
  void ExpectRefused(const QString& destination) {
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.last().contains(QDir::toNativeSeparators(destination)))
        << dialogs.errors.last().toStdString();
    EXPECT_EQ(form->TargetFileName(), current);
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("Trevalune - ") + QDir::toNativeSeparators(current));
    EXPECT_EQ(Records(*form->CurrentTables()), Records(tables_before));
    EXPECT_EQ(Records(form->SavedTables()), Records(saved_before));
    EXPECT_EQ(Mark(2, 1), CellMark::Changed);
    EXPECT_EQ(Mark(3, 1), CellMark::NotANumber);
    EXPECT_EQ(Cell(3, 1), "abc");
  }

  // A later Save As to a good place writes every edit.
  void ExpectStillUsable() {
    const QString copy = Path(QStringLiteral("good.exe"));
    SaveAs(copy);
    TableSet expected = LoadTables(source);
    StoreColumn(expected.CrTable, 0, 2, edited);
    EXPECT_EQ(ReadBytes(copy), SaveTables(expected, source));
  }

  QString current;
  Bytes source;
  std::int32_t edited = 0;
  TableSet tables_before;
  TableSet saved_before;
};

// When the current file has gone, or another program changed it, Save As
// explains that and offers the copy held in memory: No writes nothing, Yes
// writes that copy with every edit, through the same safe write.
TEST_F(SaveAsRefusedTest, CurrentFileGoneOrChangedOffersTheCopyInMemory) {
  const Bytes other = MakeSample(11).image;
  const std::vector<std::pair<const char*, std::function<void()>>> mishaps = {
      {"удалён", [&] { ASSERT_TRUE(QFile::remove(current)); }},
      {"изменён", [&] { ASSERT_TRUE(WriteBytes(current, other)); }},
  };
  for (const auto& [what, mishap] : mishaps) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(WriteBytes(current, source));
    mishap();
    const Bytes current_now = ReadBytes(current);
    const QString destination = Path(QStringLiteral("copy.exe"));
    dialogs.questions.clear();
    SaveAs(destination);  // No
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.last().contains(QDir::toNativeSeparators(current)));
    EXPECT_TRUE(dialogs.questions.last().contains(QDir::toNativeSeparators(destination)));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(destination));
    EXPECT_EQ(ReadBytes(current), current_now);
    EXPECT_EQ(form->TargetFileName(), current);
    EXPECT_EQ(Records(*form->CurrentTables()), Records(tables_before));
    EXPECT_EQ(Cell(3, 1), "abc");

    dialogs.yes_no_answers.push_back(true);
    SaveAs(destination);
    TableSet expected = LoadTables(source);
    StoreColumn(expected.CrTable, 0, 2, edited);
    EXPECT_EQ(ReadBytes(destination), SaveTables(expected, source));
    EXPECT_EQ(ReadBytes(current), current_now);  // the other program's file is left alone
    EXPECT_EQ(form->TargetFileName(), destination);
    ASSERT_TRUE(QFile::remove(destination));
    current = Path(QStringLiteral("HMM2PL.exe"));
    ASSERT_TRUE(WriteBytes(current, source));
    OpenAndEdit();
  }
}

// Each destination that cannot be written: the error names it (and says why
// where the disk is full), every state of the window and every file stay as
// they were, and a later Save As to a good place writes every edit.
TEST_F(SaveAsRefusedTest, RefusedDestinationsLeaveEverything) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.exe")));
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("existing.exe")), MakeSample(12).image));
  const QString locked = Path(QStringLiteral("locked"));
  ASSERT_TRUE(QDir().mkdir(locked));
  ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  const struct {
    QString destination;
    bool disk_full;
  } cases[] = {{Path(QStringLiteral("no/such/folder/copy.exe")), false},
               {Path(QStringLiteral("folder.exe")), false},
               {Path(QStringLiteral("existing.exe")), true},
               {current, true},
               {locked + QStringLiteral("/copy.exe"), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination.toStdString() + (c.disk_full ? ", disk full" : ""));
    if (c.destination.startsWith(locked) && RunningAsSuperuser())
      continue;  // the superuser writes into every folder
#ifdef Q_OS_WIN
    if (c.destination.startsWith(locked))
      continue;  // a folder's rights are not a file attribute on Windows
#endif
    const std::map<QString, Bytes> files = FolderTree();
    dialogs.errors.clear();
    store.disk_full = c.disk_full;
    SaveAs(c.destination);
    store.disk_full = false;
    ExpectRefused(c.destination);
    if (c.disk_full) {
      EXPECT_TRUE(dialogs.errors.last().contains(QStringLiteral("на диске недостаточно места")))
          << dialogs.errors.last().toStdString();
    }
    EXPECT_EQ(FolderTree(), files);
    ExpectStillUsable();
    OpenAndEdit();
  }
  QFile::setPermissions(locked,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A real small file system, where the test may mount one (as root on Linux).
TEST_F(SaveAsRefusedTest, SmallFileSystemRunsFull) {
#ifdef __linux__
  const QString mount_point = Path(QStringLiteral("small"));
  ASSERT_TRUE(QDir().mkpath(mount_point));
  const QByteArray where = QFile::encodeName(mount_point);
  if (!RunningAsSuperuser() || ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=512k") != 0)
    GTEST_SKIP() << "no small file system can be mounted here";
  struct Unmount {
    QByteArray where;
    ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
  } unmount{where};

  // 300 KiB are taken already: the executable cannot fit beside them.
  const QString destination = mount_point + QStringLiteral("/HMM2PL_copy.exe");
  const Bytes existing(300 * 1024, 0x5A);
  ASSERT_TRUE(WriteBytes(destination, existing));
  SaveAs(destination);
  ExpectRefused(destination);
  EXPECT_TRUE(dialogs.errors.last().contains(QStringLiteral(": на диске недостаточно места. ")))
      << dialogs.errors.last().toStdString();
  EXPECT_EQ(ReadBytes(destination), existing);
  EXPECT_EQ(QDir(mount_point).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("HMM2PL_copy.exe")});
  EXPECT_EQ(ReadBytes(current), source);
  dialogs.errors.clear();
  ExpectStillUsable();
#else
  GTEST_SKIP() << "mounts a file system the Linux way";
#endif
}

}  // namespace
