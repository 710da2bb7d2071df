// Two editors of one file killed after edits and the editor started again:
// the journal's question comes, and Yes gives back exactly the edits that
// both made, as one step that shows as unsaved. A start with no file offers
// the journal written last.
//
// A killed editor is this test program run again as a child, with only the
// disabled test below, which makes its edits in a window of its own and then
// waits to be killed.

#include <QLineEdit>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <algorithm>
#include <span>

#include <gtest/gtest.h>

#include "journal_file.h"
#include "recovery_journal.h"
#include "window_fixtures.h"

// A field and its state, readably in a failure.
inline void PrintTo(const std::pair<FieldRef, CellState>& field, std::ostream* out) {
  *out << int(field.first.table) << '/' << field.first.entry + 1 << '/' << field.first.column << '='
       << field.second.committed;
  if (field.second.typed)
    *out << " typed \"" << *field.second.typed << '"';
}

namespace {

// What the child is told: the file to edit, the parent's journal folder, and
// which editor it is (0 or 1).
const char kFileVariable[] = "TREVALUNE_TEST_JOURNAL_FILE";
const char kFolderVariable[] = "TREVALUNE_TEST_JOURNAL_DIR";
const char kEditorVariable[] = "TREVALUNE_TEST_JOURNAL_EDITOR";

// The edits, in order. The first editor: a value in one table, whose tab is
// then left, so that the field takes it; then a number and a text that is
// none in another table, still typed in their cells when the editor dies. The
// second editor, on the same file at the same time: two numbers, typed.
struct Edit {
  TableIndex table;
  int column, row;
  const char* text;
  bool committed;
};
constexpr Edit kEdits[] = {
    {kCreatures, 1, 1, "5", true},    {kBuildings, 2, 3, "77", false},
    {kBuildings, 3, 4, "12x", false}, {kCreatures, 2, 2, "22", false},
    {kCreatures, 3, 3, "33", false},
};
constexpr int kFirstEditorEdits = 3;

void TypeInto(TMainForm& form, const Edit& edit) {
  if (form.ActiveTable() != edit.table)
    form.tc_Tabs->setCurrentIndex(edit.table);
  form.sg_Table->SetCurrentCell(edit.column, edit.row);
  QLineEdit* editor = form.sg_Table->CellEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClicks(editor, QString::fromUtf8(edit.text));
}

std::size_t JournalEntriesOnDisk(const QString& journal) {
  QFile file(journal);
  QString problem;
  const auto content =
      file.open(QIODevice::ReadOnly) ? ReadJournal(file.readAll(), problem) : std::nullopt;
  return content ? content->entries.size() : 0;
}

// Run only as the child: makes the edits, waits for the journal, says so and
// waits to be killed.
TEST(JournalChild, DISABLED_EditsAndWaitsToBeKilled) {
  const QString file = qEnvironmentVariable(kFileVariable);
  ASSERT_FALSE(file.isEmpty());
  qputenv("TREVALUNE_JOURNAL_DIR", qgetenv(kFolderVariable));
  const bool second = qEnvironmentVariable(kEditorVariable) == QStringLiteral("1");
  FakeDialogs dialogs;
  TMainForm form(&dialogs);
  form.show();
  form.OpenPath(file);
  ASSERT_TRUE(form.FileLoaded());
  const std::span edits =
      std::span(kEdits).subspan(second ? kFirstEditorEdits : 0,
                                second ? std::size(kEdits) - kFirstEditorEdits : kFirstEditorEdits);
  for (const Edit& edit : edits)
    TypeInto(form, edit);
  form.sg_Table->SetCurrentCell(1, 1);  // the last visit ends
  const QString journal = form.Journal()->CurrentJournal();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return JournalEntriesOnDisk(journal) == edits.size(); }, 30000));
  std::fputs("journal written\n", stdout);
  std::fflush(stdout);
  QTest::qWait(600000);
}

class JournalRecoveryTest : public WindowTest {
 protected:
  // The field of an edit, and what it holds once the edits are made.
  static FieldRef FieldOf(const Edit& edit) { return {edit.table, edit.row - 1, edit.column}; }
  static std::vector<std::pair<FieldRef, CellState>> Expected(const TableSet& file) {
    std::vector<std::pair<FieldRef, CellState>> expected;
    for (const Edit& edit : kEdits) {
      const FieldRef field = FieldOf(edit);
      if (edit.committed)
        expected.push_back({field, {std::stoi(edit.text), std::nullopt}});
      else
        expected.push_back(
            {field, {FieldValue(file, field.table, field.entry, field.column), edit.text}});
    }
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return expected;
  }
  // Every field the document holds other than the file does.
  std::vector<std::pair<FieldRef, CellState>> Unsaved() const {
    std::vector<std::pair<FieldRef, CellState>> unsaved;
    for (const JournalEntry& entry : JournalEntries(*form->Document()))
      unsaved.push_back({entry.field, form->Document()->StateOf(entry.field)});
    return unsaved;
  }
};

TEST_F(JournalRecoveryTest, AfterAKillYesGivesBackExactlyTheEdits) {
  const QString file = WriteSample(QStringLiteral("HMM2PL.exe"));
  QProcess editors[2];
  for (int k = 0; k < 2; ++k) {
    QProcess& editor = editors[k];
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kFileVariable), file);
    environment.insert(QString::fromLatin1(kFolderVariable), RecoveryJournal::DefaultFolder());
    environment.insert(QString::fromLatin1(kEditorVariable), QString::number(k));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    editor.setProcessEnvironment(environment);
    editor.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"),
                  QStringLiteral("--gtest_filter=JournalChild.DISABLED_EditsAndWaitsToBeKilled")});
    ASSERT_TRUE(editor.waitForStarted());
    QByteArray said;
    while (!said.contains("journal written") && editor.waitForReadyRead(60000))
      said += editor.readAllStandardOutput();
    ASSERT_TRUE(said.contains("journal written")) << k << ": " << said.toStdString();
  }
  for (QProcess& editor : editors) {
    editor.kill();  // SIGKILL
    ASSERT_TRUE(editor.waitForFinished());
    EXPECT_EQ(editor.exitStatus(), QProcess::CrashExit);
  }

  dialogs.yes_no_answers = {true};
  form->OpenPath(file);
  ASSERT_EQ(dialogs.questions.size(), 1);
  EXPECT_TRUE(dialogs.questions[0].startsWith(
      QStringLiteral("Найдены несохранённые изменения файла «%1» (5 полей, ")
          .arg(QDir::toNativeSeparators(file))));
  EXPECT_TRUE(dialogs.questions[0].endsWith(QStringLiteral("). Восстановить их?")));
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
  EXPECT_EQ(Unsaved(), Expected(form->SavedTables()));
  // One step, unsaved; undone, the file is as it was.
  EXPECT_FALSE(form->History()->IsClean());
  form->History()->Undo();
  EXPECT_TRUE(form->History()->IsClean());
  EXPECT_TRUE(Unsaved().empty());
}

// A start with no file asks about the journal written last: Yes opens its
// file with the edits back, No removes it and opens nothing.
TEST_F(JournalRecoveryTest, AStartWithNoFileOffersTheLatestJournal) {
  const QString file = WriteSample(QStringLiteral("HMM2PL.exe"));
  QString journal;
  {
    FakeDialogs other_dialogs;
    TMainForm earlier(&other_dialogs);
    earlier.OpenPath(file);
    earlier.Document()->Change(QStringLiteral("ввод"), [&](DocumentEdit& edit) {
      edit.SetValue({kSpells, 2, 2}, 9);
    });
    earlier.Journal()->WriteNow();
    journal = earlier.Journal()->CurrentJournal();
  }
  ASSERT_TRUE(QFileInfo::exists(journal));

  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    const QByteArray kept = [&] {
      QFile read(journal);
      return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    }();
    FakeDialogs start_dialogs;
    start_dialogs.yes_no_answers = {yes};
    TMainForm started(&start_dialogs);
    started.OfferLatestJournal();
    ASSERT_EQ(start_dialogs.questions.size(), 1);
    EXPECT_TRUE(start_dialogs.questions[0].contains(QDir::toNativeSeparators(file)));
    EXPECT_EQ(started.FileLoaded(), yes);
    if (!yes) {
      EXPECT_FALSE(QFileInfo::exists(journal));
      QFile restore(journal);
      ASSERT_TRUE(restore.open(QIODevice::WriteOnly));
      restore.write(kept);
    } else {
      EXPECT_EQ(started.TargetFileName(), file);
      EXPECT_EQ(started.Document()->StateOf({kSpells, 2, 2}), (CellState{9, std::nullopt}));
      EXPECT_FALSE(started.History()->IsClean());
    }
  }
}

// The file changed since the journal: the question says so, and the field
// that no longer holds its old value goes through the conflict question; the
// rest is applied as one step.
TEST_F(JournalRecoveryTest, AChangedFileIsSaidAndItsConflictsAsked) {
  const QString file = WriteSample(QStringLiteral("HMM2PL.exe"));
  const FieldRef stale{kCreatures, 0, 1};
  const FieldRef fine{kSpells, 4, 2};
  QByteArray journal;
  QString journal_path;
  {
    FakeDialogs other_dialogs;
    TMainForm earlier(&other_dialogs);
    earlier.OpenPath(file);
    earlier.Document()->Change(QStringLiteral("ввод"), [&](DocumentEdit& edit) {
      edit.SetValue(stale, 21);
      edit.SetValue(fine, 22);
    });
    journal = earlier.Journal()->Snapshot();
    journal_path = earlier.Journal()->CurrentJournal();
  }
  // Another program changes the stale field in the file.
  Bytes image = ReadBytes(file);
  TableSet tables = LoadTablesFrom(image);
  StoreFieldValue(tables, stale.table, stale.entry, stale.column, 3);
  ASSERT_TRUE(WriteBytes(file, WriteTablesInto(tables, image)));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(journal_path).path()));
  ASSERT_TRUE(WriteBytes(journal_path, Bytes(journal.begin(), journal.end())));

  dialogs.yes_no_answers = {true};
  dialogs.conflict_answers = {UserDialogs::ConflictAnswer::ApplyRest};
  form->OpenPath(file);
  ASSERT_EQ(dialogs.questions.size(), 1);
  EXPECT_TRUE(dialogs.questions[0].contains(QStringLiteral("Файл изменён")));
  ASSERT_EQ(dialogs.conflict_questions.size(), 1);
  // The field is named as the user knows it, not by the journal's own lines.
  const QString& conflicts = dialogs.conflict_questions[0];
  EXPECT_TRUE(conflicts.contains(QStringLiteral("«Существа» № 1 «")) &&
              conflicts.contains(QStringLiteral("»: в файле должно быть «")) &&
              !conflicts.contains(QStringLiteral("строка")))
      << conflicts.toStdString();
  const TableDocument& document = *form->Document();
  EXPECT_EQ(document.StateOf(stale), (CellState{3, std::nullopt}));
  EXPECT_EQ(document.StateOf(fine), (CellState{22, std::nullopt}));
  form->History()->Undo();
  EXPECT_TRUE(form->History()->IsClean());
}

// A journal folder that cannot be written is said, with the reason, once a
// file, when the first write fails; the editor goes on and Save As works.
TEST_F(JournalRecoveryTest, AJournalFolderThatCannotBeWrittenIsSaidWithItsReason) {
  const QString file = WriteSample(QStringLiteral("HMM2PL.exe"));
  const QByteArray kept = qgetenv("TREVALUNE_JOURNAL_DIR");
#ifdef Q_OS_WIN
  // Windows says a path through a file leads to no folder.
  const QString why = QStringLiteral("папка не существует");
  const QStringList folders{file, file + QStringLiteral("/journals")};
#else
  const QString why = QStringLiteral("часть пути не является папкой");
  const QStringList folders{file, file + QStringLiteral("/journals"), QStringLiteral("/dev/null")};
#endif
  for (const QString& folder : folders) {
    SCOPED_TRACE(folder.toStdString());
    qputenv("TREVALUNE_JOURNAL_DIR", folder.toLocal8Bit());
    FakeDialogs own_dialogs;
    TMainForm window(&own_dialogs);
    qputenv("TREVALUNE_JOURNAL_DIR", kept);
    window.OpenPath(file);
    for (const std::int32_t value : {9, 10}) {
      window.Document()->Change(QStringLiteral("ввод"), [&](DocumentEdit& edit) {
        edit.SetValue({kSpells, 2, 2}, value);
      });
      window.Journal()->WriteNow();
      window.Journal()->Flush();
      QTest::qWait(50);
    }
    EXPECT_EQ(own_dialogs.infos, QStringList());
    ASSERT_EQ(own_dialogs.errors.size(), 1);
    EXPECT_TRUE(own_dialogs.errors[0].contains(
        QStringLiteral("папка журнала недоступна для записи: ") + why))
        << own_dialogs.errors[0].toStdString();
    own_dialogs.save_answers.push_back(Path(QStringLiteral("copy.exe")));
    window.mm_SaveAsClick();
    EXPECT_EQ(window.TargetFileName(), Path(QStringLiteral("copy.exe")));
    EXPECT_EQ(own_dialogs.errors.size(), 1);
  }
}

}  // namespace
