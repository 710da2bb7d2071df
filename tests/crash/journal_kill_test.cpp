// Kills the journal's writes at random moments: a child edits the file back
// and forth between two states and writes its journal after each step, as the
// editor does; SIGKILL lands anywhere. Each journal left must always read
// whole, as the one state or the other: never cut, never a mix. The next start
// offers them all as one, and leaves no lock of an ended editor behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "journal/journal_file.h"
#include "journal/recovery_journal.h"
#include "samplegen/sample_image.h"
#include "storage/file_store.h"
#include "tests/support/file_helpers.h"

namespace {

// The two states: one field changed, or that field and a few hundred more,
// so that the journal's size changes between the writes.
void EditFirst(TableDocument& document) {
  document.Change(QStringLiteral("ввод"), [&](DocumentEdit& edit) {
    edit.SetValue({kCreatures, 0, 1}, 11);
  });
}
void EditSecond(TableDocument& document) {
  document.Change(QStringLiteral("вставку"), [&](DocumentEdit& edit) {
    for (int entry = 0; entry < EntryCount(kSpells); ++entry)
      for (int column = 1; column < ColCounts[kSpells]; ++column)
        edit.SetValue({kSpells, entry, column}, entry + column);
    edit.Type({kBuildings, 1, 2}, "12x");
  });
}

std::vector<JournalEntry> EntriesOf(const Bytes& image, const QString& path, bool second) {
  TableDocument document;
  document.OpenImage(path, image);
  EditFirst(document);
  if (second)
    EditSecond(document);
  return JournalEntries(document);
}

class JournalKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    file_ = dir_.filePath(QStringLiteral("HMM2PL.exe"));
    folder_ = dir_.filePath(QStringLiteral("journals"));
    image_ = MakeSample(11).image;
    ASSERT_TRUE(WriteBytes(file_, image_));
    ASSERT_TRUE(QDir().mkpath(folder_));
    first_ = EntriesOf(image_, file_, false);
    second_ = EntriesOf(image_, file_, true);
    ASSERT_NE(first_, second_);
  }

  // The child: the editor's document and journal, stepping between the two
  // states and writing after each step, `rounds` times or until killed.
  [[noreturn]] void RunEditor(int rounds) {
    int argc = 1;
    char name[] = "journal_kill_child";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    TableDocument document;
    auto* journal = new RecoveryJournal(&document, folder_);
    QString error;
    if (document.Open(file_, nullptr, error) != TableDocument::Outcome::Done)
      ::_exit(2);
    EditFirst(document);
    EditSecond(document);
    journal->WriteNow();
    journal->Flush();
    for (int i = 0; i < rounds; ++i) {
      if (i % 2)
        document.History().Redo();
      else
        document.History().Undo();
      journal->WriteNow();
      journal->Flush();
    }
    ::_exit(0);
  }

  // Runs `work` in a child with an application of its own, as an editor
  // runs, and waits for it; it ends without unlocking anything.
  void RunChild(const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
      int argc = 1;
      char name[] = "journal_child";
      char* argv[] = {name, nullptr};
      QCoreApplication application(argc, argv);
      ::_exit(work() ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // A journal of the first state, as a run before this one left it.
  void WriteFirstJournal() {
    RunChild([this] {
      TableDocument document;
      auto* journal = new RecoveryJournal(&document, folder_);
      QString error;
      if (document.Open(file_, nullptr, error) != TableDocument::Outcome::Done)
        return false;
      EditFirst(document);
      journal->WriteNow();
      journal->Flush();
      return true;
    });
    const QStringList journals = RecoveryJournal::JournalsOf(folder_, file_);
    ASSERT_EQ(journals.size(), 1);
    journal_ = journals[0];
  }

  QStringList Locks() const {
    return QDir(folder_).entryList({QStringLiteral("*.lock"), QStringLiteral("*.rmlock")},
                                   QDir::Files);
  }

  // What the lock files say of their holders, for a failure to show.
  std::string LockDescription() const {
    std::string description;
    for (const QString& name : Locks()) {
      QLockFile lock(QDir(folder_).filePath(name).chopped(5));
      qint64 pid = 0;
      QString host, application;
      description += name.toStdString();
      if (!lock.getLockInfo(&pid, &host, &application)) {
        description += " names no holder; ";
        continue;
      }
      const QFileInfo exe(QStringLiteral("/proc/%1/exe").arg(pid));
      description +=
          QStringLiteral(" names %1 of %2, %3 there: %4; ")
              .arg(pid)
              .arg(application)
              .arg(::kill(static_cast<pid_t>(pid), 0) == 0 ? QStringLiteral("a process is")
                                                           : QStringLiteral("no process is"))
              .arg(exe.symLinkTarget())
              .toStdString();
    }
    return description;
  }

  std::chrono::microseconds TimeEditor(int rounds) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0)
      RunEditor(rounds);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  QTemporaryDir dir_;
  QString file_, folder_, journal_;
  Bytes image_;
  std::vector<JournalEntry> first_, second_;
};

TEST_F(JournalKillTest, AKillLeavesThePreviousOrTheNewJournal) {
  constexpr int kRounds = 40;
  constexpr int kKills = 100;
  WriteFirstJournal();
  const auto full = TimeEditor(kRounds);
  std::mt19937 random(7);
  std::uniform_int_distribution<long> delay(0, full.count());
  int seen[2] = {0, 0};
  QStringList known{journal_};
  // The editor's time was measured once; on a loaded machine a later run may
  // be slower, so kills are drawn from a longer span until one has landed
  // after a write of the second state (at most kKills more).
  for (int i = 0; i < kKills || (seen[1] == 0 && i < 2 * kKills); ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    const pid_t child = ::fork();
    if (child == 0)
      RunEditor(kRounds);
    const long wait = i < kKills ? delay(random) : full.count() / 2 + 2 * delay(random);
    std::this_thread::sleep_for(std::chrono::microseconds(wait));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    const QStringList journals = RecoveryJournal::JournalsOf(folder_, file_);
    ASSERT_TRUE(journals.contains(journal_)) << "the previous journal is gone";
    for (const QString& journal : journals) {
      if (known.contains(journal))
        continue;
      known << journal;
      QFile file(journal);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      QString problem;
      const std::optional<JournalContent> content = ReadJournal(file.readAll(), problem);
      ASSERT_TRUE(content) << problem.toStdString();
      ASSERT_TRUE(content->entries == first_ || content->entries == second_);
      ++seen[content->entries == second_];
    }
  }
  RecordProperty("first", seen[0]);
  RecordProperty("second", seen[1]);
  EXPECT_GT(seen[1], 0) << "no kill landed after a write of the second state";
  // Whatever a kill left beside them (a write's temporary file) is never taken
  // for a journal, at a start that comes later: a lock file a kill left half
  // made is taken over by then.
  for (const QString& lock : Locks()) {
    QFile aged(QDir(folder_).filePath(lock));
    ASSERT_TRUE(aged.open(QIODevice::ReadWrite));
    ASSERT_TRUE(aged.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60),
                                 QFileDevice::FileModificationTime));
  }
  QString message;
  const auto latest = RecoveryJournal::FindLatest(folder_, message);
  ASSERT_TRUE(latest) << LockDescription();
  EXPECT_EQ(latest->journals.size(), known.size());
  EXPECT_EQ(latest->content.entries, second_);
  EXPECT_TRUE(message.isEmpty()) << message.toStdString();

  // The next editor of the file declines them: no journal and no lock is left.
  RunChild([this] {
    TableDocument document;
    auto* journal = new RecoveryJournal(&document, folder_);
    QString error, message;
    RecoveryJournal::Offer offer;
    if (document.Open(file_, nullptr, error) != TableDocument::Outcome::Done ||
        journal->Check(offer, message) != RecoveryJournal::Found::Journal)
      return false;
    journal->Discard();
    journal->Flush();
    return true;
  });
  EXPECT_EQ(QDir(folder_).entryList({QStringLiteral("*.journal")}, QDir::Files), QStringList());
  EXPECT_EQ(Locks(), QStringList()) << LockDescription();
}

// Locks of editors that have ended, with no journal beside them, and takeover
// files nobody holds, with no lock beside them, go at the next start; those
// of running editors stay.
TEST_F(JournalKillTest, LocksOfEndedEditorsGoAtTheNextStart) {
  const QString ended = QDir(folder_).filePath(QStringLiteral("ended.journal.lock"));
  const pid_t child = ::fork();
  if (child == 0) {
    QLockFile lock(ended);
    ::_exit(lock.tryLock(0) ? 0 : 2);  // without unlocking
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(QFileInfo::exists(ended));
  QLockFile running(QDir(folder_).filePath(QStringLiteral("running.journal.lock")));
  ASSERT_TRUE(running.tryLock(0));
  // Takeover files whose lock is gone: one its maker left empty, one a
  // running process holds.
  QFile left(QDir(folder_).filePath(QStringLiteral("left.journal.lock.rmlock")));
  ASSERT_TRUE(left.open(QIODevice::WriteOnly));
  left.close();
  QLockFile held(QDir(folder_).filePath(QStringLiteral("held.journal.lock.rmlock")));
  ASSERT_TRUE(held.tryLock(0));

  // The next editor: its own lock stays beside its journal, as it is killed.
  TimeEditor(0);
  const QStringList locks = Locks();
  EXPECT_FALSE(locks.contains(QStringLiteral("ended.journal.lock")));
  EXPECT_TRUE(locks.contains(QStringLiteral("running.journal.lock")));
  EXPECT_FALSE(locks.contains(QStringLiteral("left.journal.lock.rmlock")));
  EXPECT_TRUE(locks.contains(QStringLiteral("held.journal.lock.rmlock")));
}

// An editor killed while it took over the lock of one killed before leaves
// the takeover's own lock file empty. Nobody is behind it, so the journal is
// offered at once, not after Qt's half a minute; while its maker holds it
// locked, it is left alone.
TEST_F(JournalKillTest, AnEmptyTakeoverLockOfAnEndedEditorIsNoBar) {
  WriteFirstJournal();
  const pid_t child = ::fork();
  if (child == 0)
    RunEditor(0);  // ends without unlocking: its lock names an ended process
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  QStringList journals = RecoveryJournal::JournalsOf(folder_, file_);
  journals.removeOne(journal_);
  ASSERT_EQ(journals.size(), 1);
  const QString takeover = journals[0] + QStringLiteral(".lock.rmlock");
  const int maker =
      ::open(QFile::encodeName(takeover).constData(), O_RDWR | O_CREAT | O_EXCL, 0666);
  ASSERT_GE(maker, 0);
  ASSERT_EQ(::flock(maker, LOCK_EX | LOCK_NB), 0);
  QString message;
  auto latest = RecoveryJournal::FindLatest(folder_, message);
  ASSERT_TRUE(latest);
  EXPECT_EQ(latest->journals, QStringList{journal_}) << "taken from under its maker";
  EXPECT_TRUE(QFileInfo::exists(takeover));
  ::close(maker);
  latest = RecoveryJournal::FindLatest(folder_, message);
  ASSERT_TRUE(latest) << LockDescription();
  EXPECT_EQ(latest->journals.size(), 2);
  EXPECT_TRUE(message.isEmpty()) << message.toStdString();
}

}  // namespace
