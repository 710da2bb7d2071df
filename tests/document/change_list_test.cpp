// Change lists: the difference of two files applied to the first gives every
// field of the second, a document's own changes read back as written, and one
// stale or broken row changes nothing unless forced (a stale one may also be
// skipped).

#include <QStringList>

#include <gtest/gtest.h>

#include "../support/csv_issue_helpers.h"
#include "change_list.h"
#include "sample_image.h"

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
  source.SetFieldText({kCreatures, 3, 1}, "17");
  source.SetFieldText({kSpells, 64, 3}, "-5");
  source.EditCell({kBuildings, 0, 2}, "$FFFFFFFF");  // typed, not yet committed
  const QByteArray list = WriteChangeList(source);

  TableDocument target;
  target.OpenImage(QStringLiteral("a.exe"), a);
  target.SetFieldText({kSpells, 64, 3}, "-6");  // no longer what the list expects
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
                       QStringLiteral("Артефакты,1,Мана,1,2\r\n") +    // 2: no such table
                       QStringLiteral("Заклинания,0,Мана,1,2\r\n") +   // 3: no such row
                       QStringLiteral("Заклинания,1,Сила,1,2\r\n") +   // 4: no such column
                       QStringLiteral("Заклинания,1,Мана,1,два\r\n");  // 5: not a number
  const ApplyResult result = ApplyChangeList(document, list.toUtf8(), true);
  EXPECT_FALSE(result.applied);
  const QStringList messages = Messages(result.errors);
  ASSERT_EQ(messages.size(), 4) << messages.join('\n').toStdString();
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("строка 2, столбец 1: ")));
  EXPECT_TRUE(messages[1].startsWith(QStringLiteral("строка 3, столбец 2: ")));
  EXPECT_TRUE(messages[2].startsWith(QStringLiteral("строка 4, столбец 3: ")));
  EXPECT_EQ(messages[3], QStringLiteral("строка 5, столбец 5: «два» не число"));
  EXPECT_TRUE(document.Changes().empty());
}

}  // namespace
