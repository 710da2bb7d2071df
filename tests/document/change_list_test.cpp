// Change lists: the difference of two files applied to the first gives every
// field of the second, a document's own changes read back as written, and one
// stale or broken row changes nothing unless forced (a stale one may also be
// skipped).

#include <QStringList>

#include <gtest/gtest.h>

#include "formats/change_list.h"
#include "samplegen/sample_image.h"
#include "tests/support/csv_issue_helpers.h"

namespace {

TEST(ChangeList, DiffAppliedToTheFirstFileGivesEveryFieldOfTheSecond) {
  for (std::uint32_t seed : {1u, 4u}) {
    const Bytes a = MakeSample(seed).image;
    const Bytes b = MakeSample(seed + 100).image;
    const TableSet from = LoadTablesFrom(a);
    const TableSet to = LoadTablesFrom(b);
    const std::vector<FieldChange> diff = DiffTables(from, to);
    ASSERT_FALSE(diff.empty());

    for (CsvSeparator separator : {CsvSeparator::Comma, CsvSeparator::Tab}) {
      TableDocument document;
      document.OpenImage(QStringLiteral("a.exe"), a);
      const ApplyResult result = ApplyChangeList(document, WriteChangeList(diff, from, separator));
      ASSERT_TRUE(result.applied)
          << (Messages(result.errors) + Messages(result.conflicts)).join('\n').toStdString();
      EXPECT_TRUE(DiffTables(document.Committed(), to).empty());
      // The document's own list is the same list.
      EXPECT_EQ(WriteChangeList(document, separator), WriteChangeList(diff, from, separator));
    }
  }
}

// Refused, the rest applied, or everything applied: the three ways with one
// conflicting field among three changes.
TEST(ChangeList, OneConflictIsRefusedSkippedOrOverwritten) {
  const Bytes a = MakeSample(2).image;
  TableDocument source;
  source.OpenImage(QStringLiteral("a.exe"), a);
  source.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    edit.SetText({kCreatures, 3, 1}, "17");
    edit.SetText({kSpells, 64, 3}, "-5");
  });
  source.Type({kBuildings, 0, 2}, "$FFFFFFFF");  // typed, not yet committed
  const QByteArray list = WriteChangeList(source);

  TableDocument target;
  target.OpenImage(QStringLiteral("a.exe"), a);
  target.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    edit.SetText({kSpells, 64, 3}, "-6");
  });  // no longer what the list expects
  const ApplyResult refused = ApplyChangeList(target, list);
  EXPECT_FALSE(refused.applied);
  EXPECT_TRUE(refused.errors.isEmpty());
  ASSERT_EQ(refused.conflicts.size(), 1);
  EXPECT_TRUE(CsvIssueMessage(refused.conflicts[0]).contains(QStringLiteral("«-6»")));
  EXPECT_EQ(target.Changes().size(), 1u);

  const ApplyResult skipped = ApplyChangeList(target, list, OnConflict::Skip);
  EXPECT_TRUE(skipped.applied);
  EXPECT_EQ(skipped.conflicts.size(), 1);
  EXPECT_EQ(target.ValueAfterCommit({kCreatures, 3, 1}), 17);
  EXPECT_EQ(target.ValueAfterCommit({kSpells, 64, 3}), -6);  // the conflicting field stays
  EXPECT_EQ(target.ValueAfterCommit({kBuildings, 0, 2}), -1);
  EXPECT_EQ(target.Changes().size(), 3u);

  const ApplyResult forced = ApplyChangeList(target, list, true);
  EXPECT_TRUE(forced.applied);
  EXPECT_EQ(target.ValueAfterCommit({kCreatures, 3, 1}), 17);
  EXPECT_EQ(target.ValueAfterCommit({kSpells, 64, 3}), -5);
  EXPECT_EQ(target.ValueAfterCommit({kBuildings, 0, 2}), -1);
}

TEST(ChangeList, BrokenRowsAreErrorsWithTheirPlaceEvenWhenForced) {
  TableDocument document;
  document.OpenImage(QStringLiteral("a.exe"), MakeSample(3).image);
  const QString list = QStringLiteral("Таблица,№,Столбец,В файле,Новое\r\n") +
                       QStringLiteral("Артефакты,1,Мана,1,2\r\n") +     // 2: no such table
                       QStringLiteral("Заклинания,0,Мана,1,2\r\n") +    // 3: no such row
                       QStringLiteral("Заклинания,1,Сила,1,2\r\n") +    // 4: no such column
                       QStringLiteral("Заклинания,1,Мана,1,два\r\n") +  // 5: not a number
                       QStringLiteral("Постройки,1,Руда,1,8457655238\r\n") +
                       QStringLiteral("Существа,1,Здоровье,1,\"87\u00A0156,0\"\r\n") +
                       QStringLiteral("Существа,1,Атака,1,-129\r\n") +
                       QStringLiteral("Заклинания,2,Мана,1,\"7,5\"\r\n");
  const ApplyResult result = ApplyChangeList(document, list.toUtf8(), true);
  EXPECT_FALSE(result.applied);
  const QStringList messages = Messages(result.errors);
  ASSERT_EQ(messages.size(), 8) << messages.join('\n').toStdString();
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("строка 2, столбец 1: ")));
  EXPECT_TRUE(messages[1].startsWith(QStringLiteral("строка 3, столбец 2: ")));
  EXPECT_TRUE(messages[2].startsWith(QStringLiteral("строка 4, столбец 3: ")));
  EXPECT_EQ(messages[3], QStringLiteral("строка 5, столбец 5: «два» не число"));
  EXPECT_EQ(messages.mid(4),
            QStringList({"строка 6, «Руда»: 8457655238 не помещается в поле (от 0 до 4294967295)",
                         "строка 7, «Здоровье»: 87156 не помещается в поле (от 0 до 65535)",
                         "строка 8, «Атака»: -129 не помещается в поле (от -128 до 127)",
                         "строка 9, столбец 5: «7,5» не целое число: дробная часть не нулевая"}));
  EXPECT_EQ(Messages(result.out_of_range), messages.mid(4, 3));
  EXPECT_TRUE(document.Changes().empty());

  // Without the other mistakes, the values past their fields go in limited
  // or wrapped when asked.
  const QString past = QStringLiteral("Таблица,№,Столбец,В файле,Новое\r\n") +
                       list.split(QStringLiteral("\r\n")).mid(5, 3).join(QStringLiteral("\r\n"));
  const struct {
    OutOfRange handling;
    std::int32_t ore, health, attack;
  } handlings[] = {{OutOfRange::Limit, -1, 65535, -128},
                   {OutOfRange::Wrap, -132279354, 21620, 127}};
  for (const auto& h : handlings) {
    const ApplyResult applied =
        ApplyChangeList(document, past.toUtf8(), OnConflict::Overwrite, h.handling);
    EXPECT_TRUE(applied.applied) << Messages(applied.errors).join('\n').toStdString();
    EXPECT_EQ(applied.out_of_range.Total(), 3);
    EXPECT_EQ(document.ValueAfterCommit({kBuildings, 0, 3}), h.ore);
    EXPECT_EQ(document.ValueAfterCommit({kCreatures, 0, 5}), h.health);
    EXPECT_EQ(document.ValueAfterCommit({kCreatures, 0, 1}), h.attack);
  }
}

}  // namespace
