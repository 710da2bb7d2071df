// Two editors of one file killed after edits and the editor started again:
// the journal's question comes, and Yes gives back exactly the edits that
// both made, as one step that shows as unsaved. A start with no file offers
// the journal written last.
//
// A killed editor is this test program run again as a child, with only the
// disabled test below, which makes its edits in a window of its own and then
// waits to be killed.

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <span>

#include <gtest/gtest.h>

#include "journal/journal_file.h"
#include "journal/recovery_journal.h"
#include "tests/ui/window_fixtures.h"

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
// none in another table, still typed in their cells when the editor dies, the
// last one in the cell still being edited. The second editor, on the same
// file at the same time: two numbers, typed, the last one not left either.
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

// Goes to the edit's cell, ending the visit of the cell before.
void MoveTo(TMainForm& form, const Edit& edit) {
  if (form.ActiveTable() != edit.table)
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(edit.table);
  Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(edit.column, edit.row);
}

void TypeText(TMainForm& form, const Edit& edit) {
  QLineEdit* editor = Named<TStringGrid>(&form, "sg_Table")->CellEditor();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClicks(editor, QString::fromUtf8(edit.text));
}

std::optional<JournalContent> JournalOnDisk(const QString& journal) {
  QFile file(journal);
  QString problem;
  return file.open(QIODevice::ReadOnly) ? ReadJournal(file.readAll(), problem) : std::nullopt;
}

std::size_t JournalEntriesOnDisk(const QString& journal) {
  const auto content = JournalOnDisk(journal);
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
  for (const Edit& edit : edits.first(edits.size() - 1)) {
    MoveTo(form, edit);
    TypeText(form, edit);
  }
  const QString journal = form.Journal()->CurrentJournal();
  // The last cell's visit starts once the journal holds the others.
  const Edit& last = edits.back();
  MoveTo(form, last);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return JournalEntriesOnDisk(journal) == edits.size() - 1; }, 30000));
  // Typed, and Enter, which keeps the cell: the visit goes on, and what it
  // typed reaches the journal all the same.
  TypeText(form, last);
  QTest::keyClick(Named<TStringGrid>(&form, "sg_Table")->CellEditor(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto content = JournalOnDisk(journal);
        return content && content->entries.size() == edits.size() &&
               std::any_of(content->entries.begin(), content->entries.end(), [&](const auto& e) {
                 return e.field == FieldRef{last.table, last.row - 1, last.column} &&
                        e.typed == std::string(last.text);
               });
      },
      30000));
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
      QStringLiteral("Найдены несохранённые изменения файла «%1» (5\u00A0полей, ")
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

// The three answers to the question, at a start with no file (which offers
// the journal written last) and at an Open of its file. Восстановить puts the
// edits back as one unsaved step; Отбросить deletes the journal. Put off (Esc,
// the box closed), the question leaves the journal exactly as it was, through
// this editor's own edits, its own journal and a Save As, and asks again at
// the next Open and the next start.
TEST_F(JournalRecoveryTest, EachAnswerToTheQuestion) {
  const QString file = WriteSample(QStringLiteral("HMM2PL.exe"));
  const FieldRef kept_field{kSpells, 2, 2};
  const FieldRef own_field{kCreatures, 0, 1};
  QString journal;
  {
    FakeDialogs other_dialogs;
    TMainForm earlier(&other_dialogs);
    earlier.OpenPath(file);
    earlier.Document()->Change(QStringLiteral("ввод"),
                               [&](DocumentEdit& edit) { edit.SetValue(kept_field, 9); });
    earlier.Journal()->WriteNow();
    journal = earlier.Journal()->CurrentJournal();
  }
  const Bytes kept = ReadBytes(journal);
  ASSERT_FALSE(kept.empty());
  const QString folder = QFileInfo(journal).absolutePath();
  const std::int32_t in_file = FieldValue(LoadTablesFrom(MakeSample(7).image), kept_field.table,
                                          kept_field.entry, kept_field.column);
  ASSERT_NE(in_file, 9);

  using Answer = UserDialogs::RecoveryAnswer;
  const struct {
    bool at_start;
    Answer answer;
  } cases[] = {
      {true, Answer::Restore},  {true, Answer::Discard},  {true, Answer::NotNow},
      {false, Answer::Restore}, {false, Answer::Discard}, {false, Answer::NotNow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.at_start ? "at the start, " : "at an Open, ") << static_cast<int>(c.answer));
    // The journal as the killed editor left it, and nothing else.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(WriteBytes(journal, kept));
    {
      FakeDialogs start_dialogs;
      start_dialogs.recovery_answers = {c.answer};
      TMainForm started(&start_dialogs);
      if (c.at_start)
        started.OfferLatestJournal();
      else
        started.OpenPath(file);
      ASSERT_EQ(start_dialogs.questions.size(), 1);
      EXPECT_TRUE(start_dialogs.questions[0].contains(QDir::toNativeSeparators(file)));
      EXPECT_TRUE(start_dialogs.errors.isEmpty()) << start_dialogs.errors.join('\n').toStdString();
      const bool opened = !c.at_start || c.answer == Answer::Restore;
      ASSERT_EQ(started.FileLoaded(), opened);
      if (opened) {
        EXPECT_EQ(started.TargetFileName(), file);
        EXPECT_EQ(started.Document()->StateOf(kept_field),
                  (CellState{c.answer == Answer::Restore ? 9 : in_file, std::nullopt}));
        EXPECT_EQ(started.History()->IsClean(), c.answer != Answer::Restore);
      }
      if (c.answer == Answer::Restore) {
        // Once this editor's journal holds the edits, the old one goes.
        started.Journal()->WriteNow();
        started.Journal()->Flush();
        EXPECT_FALSE(QFileInfo::exists(journal));
        EXPECT_EQ(RecoveryJournal::JournalsOf(folder, file),
                  QStringList{started.Journal()->CurrentJournal()});
        continue;
      }
      if (c.answer == Answer::Discard) {
        started.Journal()->Flush();  // removed on the journal's thread
        EXPECT_FALSE(QFileInfo::exists(journal));
        continue;
      }
      EXPECT_EQ(ReadBytes(journal), kept);
      if (c.at_start) {
        // Opening the file asks again; put off again, it opens as it is.
        start_dialogs.recovery_answers = {Answer::NotNow};
        started.OpenPath(file);
        EXPECT_EQ(start_dialogs.questions.size(), 2);
        ASSERT_TRUE(started.FileLoaded());
        EXPECT_EQ(started.Document()->StateOf(kept_field), (CellState{in_file, std::nullopt}));
      }
      // This editor's own edits go to its own journal, beside the one kept.
      started.Document()->Change(QStringLiteral("ввод"),
                                 [&](DocumentEdit& edit) { edit.SetValue(own_field, 5); });
      started.Journal()->WriteNow();
      started.Journal()->Flush();
      EXPECT_EQ(ReadBytes(journal), kept);
      EXPECT_EQ(RecoveryJournal::JournalsOf(folder, file).size(), 2);
      // A Save As to a copy takes away only its own.
      start_dialogs.save_answers.push_back(Path(QStringLiteral("copy.exe")));
      started.mm_SaveAsClick();
      ASSERT_EQ(started.TargetFileName(), Path(QStringLiteral("copy.exe")));
      started.Journal()->Flush();
      EXPECT_EQ(RecoveryJournal::JournalsOf(folder, file), QStringList{journal});
      EXPECT_EQ(ReadBytes(journal), kept);
    }
    if (c.answer != Answer::NotNow)
      continue;
    // The next start offers it again, and gives it back.
    FakeDialogs next_dialogs;
    next_dialogs.recovery_answers = {Answer::Restore};
    TMainForm next(&next_dialogs);
    next.OfferLatestJournal();
    EXPECT_EQ(next_dialogs.questions.size(), 1);
    ASSERT_TRUE(next.FileLoaded());
    EXPECT_EQ(next.Document()->StateOf(kept_field), (CellState{9, std::nullopt}));
  }
}

// The real question: two buttons, Восстановить (the default) and Отбросить,
// in the window's language and nothing else in sight; Esc and closing the box
// (its close button, Alt+F4) put it off.
TEST(RecoveryQuestionBox, TwoButtonsAndEscOrClosingPutItOff) {
  using Answer = UserDialogs::RecoveryAnswer;
  enum class Act { kRestore, kDiscard, kEnter, kEscape, kClose };
  const QStringList russian{QStringLiteral("Восстановить"), QStringLiteral("Отбросить")};
  const QStringList english{QStringLiteral("Restore"), QStringLiteral("Discard")};
  const struct {
    UiLanguage language;
    Act act;
    Answer answer;
  } cases[] = {
      {UiLanguage::Russian, Act::kRestore, Answer::Restore},
      {UiLanguage::Russian, Act::kDiscard, Answer::Discard},
      {UiLanguage::Russian, Act::kEnter, Answer::Restore},
      {UiLanguage::Russian, Act::kEscape, Answer::NotNow},
      {UiLanguage::Russian, Act::kClose, Answer::NotNow},
      {UiLanguage::English, Act::kDiscard, Answer::Discard},
      {UiLanguage::English, Act::kEscape, Answer::NotNow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << LanguageKey(c.language).toStdString() << ", act " << static_cast<int>(c.act));
    QtUserDialogs dialogs;
    TMainForm form(&dialogs);
    form.SetLanguage(c.language);
    form.show();
    QStringList shown;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible())
        return;
      answer.stop();
      QPushButton* by_caption[2] = {};
      for (QAbstractButton* button : box->buttons()) {
        if (!button->isVisible())
          continue;
        // Each reached by Alt and a letter of its own.
        EXPECT_TRUE(button->text().contains(QLatin1Char('&'))) << button->text().toStdString();
        const QString caption = button->text().remove(QLatin1Char('&'));
        shown << caption;
        for (int i = 0; i < 2; ++i)
          if (caption == (c.language == UiLanguage::English ? english : russian)[i])
            by_caption[i] = qobject_cast<QPushButton*>(button);
      }
      switch (c.act) {
        case Act::kRestore:
        case Act::kDiscard:
          if (QPushButton* button = by_caption[c.act == Act::kRestore ? 0 : 1])
            button->click();
          else
            box->close();
          break;
        case Act::kEnter:
          QTest::keyClick(box, Qt::Key_Return);
          break;
        case Act::kEscape:
          QTest::keyClick(box, Qt::Key_Escape);
          break;
        case Act::kClose:
          box->close();
          break;
      }
    });
    answer.start();
    EXPECT_EQ(dialogs.AskRecovery(&form, QStringLiteral("Найдены несохранённые изменения")),
              c.answer);
    shown.sort();
    QStringList expected = c.language == UiLanguage::English ? english : russian;
    expected.sort();
    EXPECT_EQ(shown, expected);
    form.SetLanguage(UiLanguage::Russian);  // kept for the windows of later tests
  }
}

// The file changed since the journal: the question says so, and the field
// that no longer holds its old value goes through the conflict question; the
// rest is applied as one step, or, that question cancelled, nothing.
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

  // Cancelled, the conflicts' question puts nothing back and leaves the
  // journal for the next time, whatever this editor does next.
  dialogs.yes_no_answers = {true, true};
  dialogs.conflict_answers = {UserDialogs::ConflictAnswer::Cancel,
                              UserDialogs::ConflictAnswer::ApplyRest};
  form->OpenPath(file);
  ASSERT_EQ(dialogs.conflict_questions.size(), 1);
  EXPECT_TRUE(form->History()->IsClean());
  form->Document()->Change(QStringLiteral("ввод"), [&](DocumentEdit& edit) {
    edit.SetValue({kBuildings, 0, 1}, 7);
  });
  form->Journal()->WriteNow();
  form->Journal()->Flush();
  EXPECT_EQ(ReadBytes(journal_path), Bytes(journal.begin(), journal.end()));
  form->History()->Undo();  // back to the file: this editor's journal goes
  form->Journal()->WriteNow();
  form->Journal()->Flush();

  form->OpenPath(file);
  ASSERT_EQ(dialogs.questions.size(), 2);
  EXPECT_TRUE(dialogs.questions[1].contains(QStringLiteral("Файл изменён")));
  ASSERT_EQ(dialogs.conflict_questions.size(), 2);
  // The field is named as the user knows it, not by the journal's own lines.
  const QString& conflicts = dialogs.conflict_questions[1];
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
