// The File menu's items for mods: a patch exported and applied, and several
// change lists applied at once, driven through the menu with the dialogs
// answered from code.

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "document/comparison_file.h"
#include "formats/change_list.h"
#include "formats/patch_file.h"
#include "formats/patch_texts.h"
#include "tests/support/image_helpers.h"
#include "tests/ui/window_fixtures.h"
#include "ui/mod_commands.h"

namespace {

class ModFilesTest : public SampleWindowTest {
 protected:
  TableDocument& Document() const { return *form->Document(); }
  void WriteFile(const QString& name, const QByteArray& bytes) {
    ASSERT_TRUE(WriteBytes(Path(name), Bytes(bytes.begin(), bytes.end())));
  }
  // The sample with `value` written into `field`.
  Bytes WithField(const Bytes& image, const FieldRef& field, std::int32_t value) const {
    TableSet tables = LoadTablesFrom(image);
    StoreFieldValue(tables, field.table, field.entry, field.column, value);
    return WriteTablesInto(tables, image);
  }
};

// The exported patch, in the format its name asks for, turns the file on disk
// into the tables as they stand, the text still being typed included.
TEST_F(ModFilesTest, ExportPatchWritesTheEditsAgainstTheFileOnDisk) {
  const QList<QAction*> items = Named<QMenu>(form, "mm_File")->actions();
  const auto at = [&items](const QAction* action) { return items.indexOf(action); };
  EXPECT_LT(at(Named<QAction>(form, "ApplyChangeList")), at(Named<QAction>(form, "ExportPatch")));
  EXPECT_EQ(at(Named<QAction>(form, "ExportPatch")) + 1, at(Named<QAction>(form, "ApplyPatch")));
  EXPECT_LT(at(Named<QAction>(form, "ApplyPatch")), at(Named<QAction>(form, "mm_Line")));

  Document().Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    edit.SetText({kBuildings, 81, 1}, "4242");
  });
  grid->SetCurrentCell(3, 2);
  QTest::keyClicks(grid->CellEditor(), QStringLiteral("77"));
  const Bytes expected = WithField(WithField(source, {kBuildings, 81, 1}, 4242), {kCreatures, 1, 3},
                                   Document().ValueAfterCommit({kCreatures, 1, 3}));
  ASSERT_EQ(Document().Mark({kCreatures, 1, 3}), CellMark::Changed);  // typed, not committed
  for (const char* name : {"mod.ips", "mod.BPS"}) {
    dialogs.patch_save_answers.push_back(Path(QString::fromLatin1(name)));
    Named<QAction>(form, "ExportPatch")->trigger();
    const Bytes patch = ReadBytes(Path(QString::fromLatin1(name)));
    EXPECT_EQ(DetectPatchFormat(patch), name[4] == 'i' ? PatchFormat::kIps : PatchFormat::kBps);
    const PatchOutcome applied = ApplyPatch(patch, source);
    ASSERT_TRUE(applied.ok()) << name;
    EXPECT_TRUE(applied.bytes == expected) << name;
  }
  EXPECT_EQ(dialogs.patch_proposed_names.first(), QStringLiteral("mod.bps"));

  // Against a comparison file, another sample: the patch turns that file into
  // it with the tables as they stand, and nothing else of the open file comes
  // along (its names, the bytes between the records).
  const Bytes other = MakeSample(32).image;
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("other.exe")), other));
  dialogs.comparison_answers.push_back(Path(QStringLiteral("other.exe")));
  Named<QAction>(form, "CompareWith")->trigger();
  ASSERT_TRUE(Document().Comparison().IsOpen());
  for (const char* name : {"against.ips", "against.bps"}) {
    dialogs.patch_save_answers.push_back(Path(QString::fromLatin1(name)));
    Named<QAction>(form, "ExportPatch")->trigger();
    const PatchOutcome applied = ApplyPatch(ReadBytes(Path(QString::fromLatin1(name))), other);
    ASSERT_TRUE(applied.ok()) << name;
    EXPECT_EQ(applied.bytes.size(), other.size()) << name;
    EXPECT_EQ(ChangesOutsideRecords(other, applied).count, 0u) << name;
    EXPECT_TRUE(DiffTables(Document().TablesAfterCommit(), LoadTablesFrom(applied.bytes)).empty())
        << name;
  }
  dialogs.patch_save_answers.push_back(Path(QStringLiteral("mod.txt")));
  Named<QAction>(form, "ExportPatch")->trigger();
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("mod.txt"))));
}

// An applied patch is one step whose fields show as edits; a patch for
// another file is refused, and one with other bytes asks whether to take its
// table changes alone.
TEST_F(ModFilesTest, ApplyPatchIsOneStepOfTableChanges) {
  const FieldRef attack{kCreatures, 4, 1};
  const FieldRef mana{kSpells, 10, 2};
  const std::int32_t attack_now = Document().ValueAfterCommit(attack);
  const std::int32_t mana_now = Document().ValueAfterCommit(mana);
  Bytes modded =
      WithField(WithField(source, attack, attack_now == 9 ? 8 : 9), mana, mana_now == 30 ? 31 : 30);
  const auto write_patch = [&](const QString& name, const Bytes& from, const Bytes& to) {
    const PatchOutcome patch = MakeBpsPatch(from, to);
    ASSERT_TRUE(patch.ok());
    ASSERT_TRUE(WriteBytes(Path(name), patch.bytes));
  };
  write_patch(QStringLiteral("mod.bps"), source, modded);
  write_patch(QStringLiteral("other.bps"), MakeSample(8).image, modded);
  Bytes with_code = modded;
  with_code[200] ^= 0x5A;
  write_patch(QStringLiteral("code.bps"), source, with_code);

  dialogs.patch_open_answers.push_back(Path(QStringLiteral("other.bps")));
  Named<QAction>(form, "ApplyPatch")->trigger();
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_TRUE(dialogs.errors[0].contains(PatchRefusalText(PatchRefusal::kWrongSource)));

  // No to the question: nothing; Yes: the table changes, not byte 200.
  for (const bool yes : {false, true}) {
    dialogs.patch_open_answers.push_back(Path(QStringLiteral("code.bps")));
    dialogs.yes_no_answers.push_back(yes);
    Named<QAction>(form, "ApplyPatch")->trigger();
    ASSERT_FALSE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.questions.back().contains(QStringLiteral("1 байт вне записей таблиц")))
        << dialogs.questions.back().toStdString();
    EXPECT_EQ(Document().Changes().size(), yes ? 2u : 0u);
  }
  EXPECT_TRUE(ImageWithEdits(Document()) == modded);
  Named<QAction>(form, "mm_Undo")->trigger();
  EXPECT_TRUE(Document().Changes().empty());

  // An edit the patch does not touch stays.
  const FieldRef gold{kBuildings, 7, 1};
  Document().Change(QStringLiteral("правка"),
                    [&](DocumentEdit& edit) { edit.SetValue(gold, 123456); });
  dialogs.patch_open_answers.push_back(Path(QStringLiteral("mod.bps")));
  Named<QAction>(form, "ApplyPatch")->trigger();
  EXPECT_EQ(Named<QAction>(form, "mm_Undo")->text(), QStringLiteral("&Отменить применение патча"));
  EXPECT_EQ(Document().Mark(attack), CellMark::Changed);
  EXPECT_EQ(grid->CellText(1, 5), FieldDisplayText(LoadTablesFrom(modded), kCreatures, 4, 1));
  SaveAs(Path(QStringLiteral("saved.exe")));
  EXPECT_TRUE(ReadBytes(Path(QStringLiteral("saved.exe"))) == WithField(modded, gold, 123456));
  EXPECT_EQ(dialogs.errors.size(), 1);
}

// Several lists chosen at once: a field they set differently asks which list
// wins (or cancels, changing nothing), the merge is one step, and the report
// item saves where each change came from.
TEST_F(ModFilesTest, SeveralListsAskWhichWinsAndReportWhereChangesCameFrom) {
  const FieldRef contested{kCreatures, 2, 1};
  const FieldRef agreed{kSpells, 3, 1};
  const std::int32_t now = Document().ValueAfterCommit(contested);
  const std::int32_t earlier = now == 11 ? 13 : 11;
  const std::int32_t later = now == 12 ? 14 : 12;
  const auto list_setting = [&](std::int32_t contested_value) {
    TableDocument made;
    made.OpenImage(QStringLiteral("a.exe"), source);
    made.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
      edit.SetValue(contested, contested_value);
      edit.SetValue(agreed, Document().ValueAfterCommit(agreed) == 5 ? 6 : 5);
    });
    return WriteChangeList(made);
  };
  WriteFile(QStringLiteral("a.csv"), list_setting(earlier));
  WriteFile(QStringLiteral("b.csv"), list_setting(later));
  const QStringList both = {Path(QStringLiteral("a.csv")), Path(QStringLiteral("b.csv"))};
  EXPECT_FALSE(Named<QAction>(form, "SaveListsReport")->isEnabled());

  using Answer = UserDialogs::ListsAnswer;
  const struct {
    Answer answer;
    std::int32_t value;
    const char* from;
  } cases[] = {{Answer::Cancel, now, nullptr},
               {Answer::PreferEarlier, earlier, "a.csv"},
               {Answer::PreferLater, later, "b.csv"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    form->OpenPath(Path(QStringLiteral("HMM2PL.exe")));  // the file as it was
    dialogs.csv_open_many_answers.push_back(both);
    dialogs.lists_answers.push_back(c.answer);
    Named<QAction>(form, "ApplyChangeList")->trigger();
    ASSERT_FALSE(dialogs.lists_questions.isEmpty());
    EXPECT_TRUE(dialogs.lists_questions.back().contains(QStringLiteral("%1 — %2, %3 — %4")
                                                            .arg(QDir::toNativeSeparators(both[0]))
                                                            .arg(earlier)
                                                            .arg(QDir::toNativeSeparators(both[1]))
                                                            .arg(later)))
        << dialogs.lists_questions.back().toStdString();
    EXPECT_EQ(Document().ValueAfterCommit(contested), c.value);
    EXPECT_EQ(Document().Changes().size(), c.from ? 2u : 0u);
    if (!c.from)
      continue;
    EXPECT_EQ(Named<QAction>(form, "mm_Undo")->text(),
              QStringLiteral("&Отменить применение списков изменений"));
    ASSERT_TRUE(Named<QAction>(form, "SaveListsReport")->isEnabled());
    dialogs.csv_save_answers.push_back(Path(QStringLiteral("report.csv")));
    Named<QAction>(form, "SaveListsReport")->trigger();
    const Bytes report = ReadBytes(Path(QStringLiteral("report.csv")));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(report.data()),
                                           static_cast<qsizetype>(report.size()));
    EXPECT_TRUE(
        text.contains(QStringLiteral(",%1,%2\r\n")
                          .arg(c.value)
                          .arg(QDir::toNativeSeparators(Path(QString::fromLatin1(c.from))))))
        << text.toStdString();
  }
  EXPECT_TRUE(dialogs.errors.isEmpty());
}

// Values past their fields, in a table or a change list, ask once with their
// number and the first of them: cancelled, nothing changes; limited or
// wrapped, they go in as one step.
TEST_F(ModFilesTest, ValuesPastTheirFieldsAskWhetherToLimitOrWrapThem) {
  const FieldRef attack{kCreatures, 3, 1};
  const FieldRef health{kCreatures, 3, 5};
  WriteFile(QStringLiteral("creatures.csv"), "№,Атака,Здоровье\r\n4,300,87156\r\n");
  WriteFile(QStringLiteral("changes.csv"),
            QStringLiteral("Таблица,№,Столбец,В файле,Новое\r\nСущества,4,Атака,%1,300\r\n"
                           "Существа,4,Здоровье,%2,87156\r\n")
                .arg(Document().ValueAfterCommit(attack))
                .arg(Document().ValueAfterCommit(health))
                .toUtf8());
  using Answer = UserDialogs::OutOfRangeAnswer;
  const struct {
    QAction* command;
    const char* file;
    Answer answer;
    std::int32_t attack, health;
  } cases[] = {
      {Named<QAction>(form, "ImportCsv"), "creatures.csv", Answer::Cancel, 0, 0},
      {Named<QAction>(form, "ImportCsv"), "creatures.csv", Answer::Limit, 127, 65535},
      {Named<QAction>(form, "ApplyChangeList"), "changes.csv", Answer::Cancel, 0, 0},
      {Named<QAction>(form, "ApplyChangeList"), "changes.csv", Answer::Wrap, 44, 21620},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ' ' + std::to_string(static_cast<int>(c.answer)));
    form->OpenPath(Path(QStringLiteral("HMM2PL.exe")));
    dialogs.csv_open_answers.push_back(Path(QString::fromLatin1(c.file)));
    dialogs.out_of_range_answers.push_back(c.answer);
    const qsizetype asked = dialogs.out_of_range_questions.size();
    c.command->trigger();
    ASSERT_EQ(dialogs.out_of_range_questions.size(), asked + 1);
    const QString question = dialogs.out_of_range_questions.back();
    EXPECT_TRUE(question.startsWith(
        QStringLiteral("Значений, которые не помещаются в своё поле: 2.\n") +
        QStringLiteral("строка 2, «Атака»: 300 не помещается в поле (от -128 до 127)")))
        << question.toStdString();
    if (c.answer == Answer::Cancel) {
      EXPECT_TRUE(Document().Changes().empty());
      EXPECT_FALSE(Named<QAction>(form, "mm_Undo")->isEnabled());
      continue;
    }
    EXPECT_EQ(Document().ValueAfterCommit(attack), c.attack);
    EXPECT_EQ(Document().ValueAfterCommit(health), c.health);
    EXPECT_EQ(Document().Changes().size(), 2u);
    Named<QAction>(form, "mm_Undo")->trigger();
    EXPECT_TRUE(Document().Changes().empty());
  }
  EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
}

}  // namespace
