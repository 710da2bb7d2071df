// The recovery journal: what it holds comes back exactly into a fresh
// document, it follows the document's steps (written after a completed step,
// gone when the edits are undone or saved), a broken journal is set aside,
// and the edits of every editor of one file come back.

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <functional>
#include <random>

#include <gtest/gtest.h>
#include <zlib.h>

#include "document/caption_language.h"
#include "journal/journal_file.h"
#include "journal/recovery_journal.h"
#include "samplegen/sample_image.h"
#include "tests/support/file_helpers.h"

namespace {

// Runs the event loop until `done` or a generous limit; the result is `done`.
bool ProcessEventsUntil(const std::function<bool()>& done, int limit_ms = 10000) {
  const QDeadlineTimer deadline(limit_ms);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::vector<CellState> AllStates(const TableDocument& document) {
  std::vector<CellState> states;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column)
        states.push_back(document.StateOf({table, entry, column}));
  return states;
}

JournalContent ContentOf(const TableDocument& document) {
  const Bytes& image = document.File().image;
  return {document.File().path, static_cast<std::int64_t>(image.size()),
          static_cast<std::uint32_t>(crc32_z(0, image.data(), image.size())),
          QDateTime::currentDateTimeUtc(), JournalEntries(document)};
}

// Random committed values and typed texts (empty, separators, quotes, line
// ends, the typed mark itself, Cyrillic) read back into a fresh document of
// the same file give every field exactly as it was.
TEST(Journal, WhatItHoldsComesBackExactly) {
  const Bytes image = MakeSample(3).image;
  const std::vector<std::string> texts = {"",   "12x", "a,b;c\td", "\"q\"", "line\nend\r\n",
                                          ">",  "-0",  "Ратник",   "$FF",   "99999999999",
                                          "300"};
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    TableDocument edited;
    edited.OpenImage(QStringLiteral("/games/HMM2PL.exe"), image);
    for (int i = 0; i < 40; ++i) {
      const TableIndex table = static_cast<TableIndex>(random() % kTableCount);
      const FieldRef field{table, static_cast<int>(random() % EntryCount(table)),
                           1 + static_cast<int>(random() % (ColCounts[table] - 1))};
      if (random() % 2)
        edited.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
          edit.SetValue(field, static_cast<std::int32_t>(random()));
        });
      if (random() % 2)
        edited.Type(field, texts[random() % texts.size()]);
    }
    const QByteArray bytes = WriteJournal(ContentOf(edited));
    QString problem;
    const std::optional<JournalContent> read = ReadJournal(bytes, problem);
    ASSERT_TRUE(read) << problem.toStdString();
    EXPECT_EQ(read->file, edited.File().path);
    EXPECT_EQ(read->entries, JournalEntries(edited));

    TableDocument recovered;
    recovered.OpenImage(QStringLiteral("/games/HMM2PL.exe"), image);
    const ApplyResult result = RecoverJournal(recovered, *read, OnConflict::Refuse);
    EXPECT_TRUE(result.applied);
    EXPECT_TRUE(result.conflicts.isEmpty());
    EXPECT_EQ(AllStates(recovered), AllStates(edited));
  }
}

// A file changed since the journal: the conflicting field, its typed text
// too, stays as the file has it when the rest is applied, and goes in when
// everything is.
TEST(Journal, AChangedFileGoesThroughTheConflictCheck) {
  const Bytes image = MakeSample(5).image;
  TableDocument edited;
  edited.OpenImage(QStringLiteral("/a.exe"), image);
  const FieldRef stale{kCreatures, 2, 1};
  const FieldRef fine{kSpells, 1, 2};
  edited.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) { edit.SetValue(stale, 11); });
  edited.Type(stale, "12x");
  edited.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) { edit.SetValue(fine, 7); });
  const JournalContent content = ContentOf(edited);

  TableDocument changed;
  changed.OpenImage(QStringLiteral("/a.exe"), image);
  changed.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) { edit.SetValue(stale, 3); });
  // The fields as the changed file holds them: the journal goes over a file
  // saved with this change.
  const std::vector<CellState> before = AllStates(changed);
  EXPECT_FALSE(RecoverJournal(changed, content, OnConflict::Refuse).applied);
  EXPECT_EQ(AllStates(changed), before);

  ASSERT_TRUE(RecoverJournal(changed, content, OnConflict::Skip).applied);
  EXPECT_EQ(changed.StateOf(stale), (CellState{3, std::nullopt}));
  EXPECT_EQ(changed.StateOf(fine), edited.StateOf(fine));

  ASSERT_TRUE(RecoverJournal(changed, content, OnConflict::Overwrite).applied);
  EXPECT_EQ(changed.StateOf(stale), edited.StateOf(stale));
}

// `journal` with its list replaced by `body`, and the header's size and CRC
// of the list made to fit.
QByteArray WithBody(const QByteArray& journal, const QByteArray& body) {
  const qsizetype end = journal.indexOf("\n\n");
  const qsizetype line = journal.lastIndexOf("\nbody ", end);
  const auto crc = static_cast<std::uint32_t>(
      crc32_z(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<z_size_t>(body.size())));
  return journal.left(line) + "\nbody " + QByteArray::number(body.size()) + ' ' +
         QByteArray::number(crc, 16).rightJustified(8, '0') + "\n\n" + body;
}

// A journal of version 1, which named each field by its table's and column's
// Russian captions, in the change list's columns, reads as it did: the same
// fields, values and typed texts as the keys of today's journal give.
// The question names the time in the language's own way, and neither the
// count nor the date breaks across lines.
TEST(Journal, TheQuestionWritesItsDateAndCountInItsLanguage) {
  JournalContent content;
  content.file = QStringLiteral("/games/a.exe");
  content.written = QDateTime(QDate(2026, 12, 10), QTime(14, 37, 29));
  content.entries.resize(2);
  const QString russian = RecoveryQuestion(content, false);
  EXPECT_TRUE(russian.contains(QStringLiteral("(2\u00A0поля, 10.12.2026\u00A014:37:29)")))
      << russian.toStdString();

  QTranslator english;
  ASSERT_TRUE(english.load(QString::fromLatin1(kEnglishTranslationPath)));
  QCoreApplication::installTranslator(&english);
  const QString question = RecoveryQuestion(content, false);
  QCoreApplication::removeTranslator(&english);
  EXPECT_TRUE(question.contains(
      QStringLiteral("(2\u00A0fields, 10\u00A0December\u00A02026,\u00A014:37:29)")))
      << question.toStdString();
  EXPECT_TRUE(question.contains(QStringLiteral("“%1”").arg(QDir::toNativeSeparators(content.file))))
      << question.toStdString();
}

TEST(Journal, AJournalOfTheFirstVersionStillReads) {
  const QByteArray header =
      "Trevalune journal 1\n"
      "file /games/HMM2PL.exe\n"
      "size 1208393\n"
      "crc32 0a1b2c3d\n"
      "written 2026-03-01T10:20:30.000Z\n"
      "body 0 00000000\n\n";
  const QByteArray list =
      "Таблица,№,Название,Столбец,В файле,Новое,Набрано\r\n"
      "Существа,3,Жар Улнор,Атака,79,99,\r\n"
      "Постройки,1,\"Башня, верхняя\",Золото,1500,1500,>12x\r\n"
      "Заклинания,65,Свет,Альфа,-3,4,>\r\n";
  QString problem;
  const std::optional<JournalContent> read = ReadJournal(WithBody(header, list), problem);
  ASSERT_TRUE(read) << problem.toStdString();
  EXPECT_EQ(read->file, QStringLiteral("/games/HMM2PL.exe"));
  EXPECT_EQ(read->file_size, 1208393);
  EXPECT_EQ(read->file_crc, 0x0a1b2c3du);
  const std::vector<JournalEntry> expected = {
      {{kCreatures, 2, 1}, QStringLiteral("79"), QStringLiteral("99"), std::nullopt},
      {{kBuildings, 0, 1}, QStringLiteral("1500"), QStringLiteral("1500"), "12x"},
      {{kSpells, 64, 3}, QStringLiteral("-3"), QStringLiteral("4"), ""},
  };
  EXPECT_EQ(read->entries, expected);

  // Today's journal names the same fields by keys and reads them back alike.
  JournalContent again = *read;
  const std::optional<JournalContent> reread = ReadJournal(WriteJournal(again), problem);
  ASSERT_TRUE(reread) << problem.toStdString();
  EXPECT_EQ(reread->entries, expected);
}

class JournalFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    file_ = dir_.filePath(QStringLiteral("HMM2PL.exe"));
    ASSERT_TRUE(WriteBytes(file_, MakeSample(9).image));
    folder_ = dir_.filePath(QStringLiteral("journals"));
  }

  // A document with its journal, the file open.
  struct Editor {
    std::unique_ptr<TableDocument> document = std::make_unique<TableDocument>();
    RecoveryJournal* journal = nullptr;
  };
  Editor OpenEditor() {
    Editor editor;
    editor.journal = new RecoveryJournal(editor.document.get(), folder_);
    QString error;
    EXPECT_EQ(editor.document->Open(file_, nullptr, error), TableDocument::Outcome::Done);
    return editor;
  }
  void Edit(TableDocument& document, const FieldRef& field, std::int32_t value) {
    document.Change(QStringLiteral("ввод"),
                    [&](DocumentEdit& edit) { edit.SetValue(field, value); });
  }
  QStringList Journals() const { return RecoveryJournal::JournalsOf(folder_, file_); }
  static std::size_t EntriesOnDisk(const QString& journal) {
    QString problem;
    const auto content = ReadJournal(ReadAll(journal), problem);
    return content ? content->entries.size() : 0;
  }
  QStringList Locks() const {
    return QDir(folder_).entryList({QStringLiteral("*.lock")}, QDir::Files);
  }
  static QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  QString file_;
  QString folder_;
};

// Written a while after a completed step or a keystroke; removed by undoing
// back to the file and by a Save As; the next Open offers it.
TEST_F(JournalFolderTest, FollowsTheStepsOfTheDocument) {
  Editor editor = OpenEditor();
  TableDocument& document = *editor.document;
  const FieldRef field{kBuildings, 4, 2};
  const QString own = editor.journal->CurrentJournal();
  // No lock before there is something to write: an Open never waits for it.
  EXPECT_TRUE(Locks().isEmpty());

  // Keystrokes, the visit going on (Enter keeps the cell): the text typed so
  // far is written all the same, with no step completed.
  document.Type(field, "4");
  document.Type(field, "45");
  const auto typed_on_disk = [&] {
    QString problem;
    const auto content = ReadJournal(ReadAll(own), problem);
    return content && content->entries.size() == 1 && content->entries[0].field == field &&
           content->entries[0].typed == "45";
  };
  EXPECT_TRUE(ProcessEventsUntil(typed_on_disk));
  EXPECT_EQ(Locks(), QStringList{QFileInfo(own).fileName() + QStringLiteral(".lock")});
  document.Type(field, "4");
  document.History().EndVisit();
  EXPECT_TRUE(ProcessEventsUntil([&] { return EntriesOnDisk(own) == 1 && !typed_on_disk(); }));

  Edit(document, {kSpells, 0, 1}, 1234);
  EXPECT_TRUE(ProcessEventsUntil([&] { return EntriesOnDisk(own) == 2; }));
  document.History().Undo();
  document.History().Undo();
  EXPECT_TRUE(ProcessEventsUntil([&] { return !QFileInfo::exists(own); }));
  document.History().Redo();
  editor.journal->WriteNow();
  editor.journal->Flush();
  EXPECT_EQ(EntriesOnDisk(own), 1u);

  // Another document opening the file later finds it and can put it back.
  editor.document.reset();
  Editor next = OpenEditor();
  RecoveryJournal::Offer offer;
  QString message;
  ASSERT_EQ(next.journal->Check(offer, message), RecoveryJournal::Found::Journal);
  EXPECT_FALSE(offer.file_changed);
  EXPECT_TRUE(RecoveryQuestion(offer.content, false)
                  .startsWith(QStringLiteral("Найдены несохранённые изменения файла «")));
  next.document->Change(QStringLiteral("восстановление"), [&](DocumentEdit&) {
    EXPECT_TRUE(RecoverJournal(*next.document, offer.content, OnConflict::Refuse).applied);
  });
  EXPECT_EQ(next.document->CellText(field), "4");

  // Save As: the copy holds the edits, so neither file has a journal.
  const QString copy = dir_.filePath(QStringLiteral("copy.exe"));
  QString error;
  next.journal->WriteNow();
  ASSERT_EQ(next.document->SaveAs(copy, nullptr, error), TableDocument::Outcome::Done);
  next.journal->Flush();
  EXPECT_EQ(Journals(), QStringList());
  EXPECT_EQ(RecoveryJournal::JournalsOf(folder_, copy), QStringList());
  EXPECT_EQ(Locks(), QStringList());
}

// Each editor of a file keeps its own journal; one that has gone leaves its
// journal to the next Open, which offers what every editor left, merged. A
// start with no file passes over the journals of running editors.
TEST_F(JournalFolderTest, EveryEditorOfAFileLeavesItsEdits) {
  const FieldRef fields[] = {{kCreatures, 0, 1}, {kCreatures, 1, 2}, {kCreatures, 2, 3}};
  Editor first = OpenEditor();
  Edit(*first.document, fields[0], 11);
  first.journal->WriteNow();
  first.journal->Flush();

  Editor second = OpenEditor();
  RecoveryJournal::Offer offer;
  QString message;
  EXPECT_EQ(second.journal->Check(offer, message), RecoveryJournal::Found::Nothing);
  Edit(*second.document, fields[1], 22);
  second.journal->WriteNow();
  second.journal->Flush();
  QString broken;
  EXPECT_FALSE(RecoveryJournal::FindLatest(folder_, broken));
  const QString first_journal = first.journal->CurrentJournal();
  first.document.reset();
  Edit(*second.document, fields[2], 33);
  second.journal->WriteNow();
  second.journal->Flush();
  second.document.reset();
  EXPECT_EQ(Journals().size(), 2);

  // A lock file that names no owner was left by an editor killed while it
  // made it: its journal is passed over while the lock may still be in the
  // making, taken over once it has stayed so for a while.
  QFile empty(first_journal + QStringLiteral(".lock"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  auto latest = RecoveryJournal::FindLatest(folder_, broken);
  ASSERT_TRUE(latest);
  EXPECT_EQ(latest->content.entries.size(), 2u);
  ASSERT_TRUE(empty.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60),
                                QFileDevice::FileModificationTime));
  empty.close();
  latest = RecoveryJournal::FindLatest(folder_, broken);
  ASSERT_TRUE(latest);
  EXPECT_EQ(latest->content.file, file_);
  EXPECT_EQ(latest->content.entries.size(), 3u);
  EXPECT_TRUE(broken.isEmpty());

  Editor third = OpenEditor();
  ASSERT_EQ(third.journal->Check(offer, message), RecoveryJournal::Found::Journal);
  third.document->Change(QStringLiteral("восстановление"), [&](DocumentEdit&) {
    EXPECT_TRUE(RecoverJournal(*third.document, offer.content, OnConflict::Refuse).applied);
  });
  const std::int32_t values[] = {11, 22, 33};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(third.document->StateOf(fields[i]), (CellState{values[i], std::nullopt}));
  // Once the third editor's journal holds them, the others go.
  third.journal->WriteNow();
  third.journal->Flush();
  EXPECT_EQ(Journals(), QStringList{third.journal->CurrentJournal()});
  EXPECT_EQ(EntriesOnDisk(third.journal->CurrentJournal()), 3u);
}

// Every kind of damage is set aside with a message, at an Open and at a start
// with no file, and what is set aside is exactly what was there.
TEST_F(JournalFolderTest, ABrokenJournalIsSetAside) {
  QByteArray good;
  QString old_journal;
  {
    Editor editor = OpenEditor();
    Edit(*editor.document, {kSpells, 3, 2}, 5);
    good = editor.journal->Snapshot();
    old_journal = editor.journal->CurrentJournal();
  }
  ASSERT_FALSE(good.isEmpty());
  QByteArray other_version = good;
  other_version.replace("journal " + QByteArray::number(kJournalVersion) + '\n',
                        "journal " + QByteArray::number(kJournalVersion + 1) + '\n');
  QByteArray flipped = good;
  flipped[flipped.size() - 3] = static_cast<char>(flipped[flipped.size() - 3] ^ 1);
  const QByteArray list = good.mid(good.indexOf("\n\n") + 2);
  QByteArray bad_row = list;
  bad_row.replace(QByteArrayLiteral("spells"), QByteArrayLiteral("spellz"));
  QByteArray bad_typed = list;
  bad_typed.replace(QByteArrayLiteral("\r\n"), QByteArrayLiteral(",x\r\n"));
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"empty", {}},
      {"cut in the header", good.left(30)},
      {"cut in the list", good.left(good.size() - 5)},
      {"one bit flipped", flipped},
      {"garbage", QByteArray(4096, '\xA7')},
      {"another version", other_version},
      {"the header alone", WithBody(good, {})},
      {"a row naming no field", WithBody(good, bad_row)},
      {"a column too many", WithBody(good, bad_typed)},
  };
  for (const auto& broken : cases) {
    for (const bool at_open : {true, false}) {
      SCOPED_TRACE(std::string(broken.name) + (at_open ? " at an Open" : " at a start"));
      QDir().mkpath(folder_);
      const QString& journal = old_journal;
      ASSERT_TRUE(WriteBytes(journal, Bytes(broken.bytes.begin(), broken.bytes.end())));
      QString message;
      if (at_open) {
        Editor editor = OpenEditor();
        RecoveryJournal::Offer offer;
        EXPECT_EQ(editor.journal->Check(offer, message), RecoveryJournal::Found::Broken);
      } else {
        EXPECT_FALSE(RecoveryJournal::FindLatest(folder_, message));
      }
      EXPECT_TRUE(message.contains(QStringLiteral("отложен"))) << message.toStdString();
      EXPECT_FALSE(QFileInfo::exists(journal));
      EXPECT_EQ(ReadAll(journal + QStringLiteral(".broken")), broken.bytes);
    }
  }
}

}  // namespace
