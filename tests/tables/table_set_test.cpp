#include "tables/table_set.h"

#include <gtest/gtest.h>

#include "samplegen/sample_image.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_grid.h"

namespace {

class TableSetTest : public ::testing::Test {
 protected:
  Sample sample = MakeSample(21);
  TableSet current = LoadTables(sample.image);
  TableSet saved = current;
  MemoryGrid grid;
};

TEST_F(TableSetTest, CommitReachesOnlyTheActiveTable) {
  FillActiveTable(kBuildings, current, grid);
  grid.SetCellText(1, 1, "77");
  CommitActiveTable(kCreatures, current, grid);  // reads the building text as creature cells
  EXPECT_EQ(ColumnValue(current.BlTable, 0, 1), ColumnValue(saved.BlTable, 0, 1));
  CommitActiveTable(kBuildings, current, grid);
  EXPECT_EQ(ColumnValue(current.BlTable, 0, 1), 77);
  CommitActiveTable(3, current, grid);  // no such table: nothing happens
}

TEST_F(TableSetTest, MarksTextThatWouldNotBeStored) {
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, "abc"), CellMark::NotANumber);
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, ""), CellMark::NotANumber);
  EXPECT_EQ(MarkCell(kSpells, current, saved, 3, 65, "12 "), CellMark::NotANumber);
}

TEST_F(TableSetTest, MarksValuesThatDifferFromTheFile) {
  const std::int32_t attack = ColumnValue(current.CrTable, 0, 1);
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, std::to_string(attack)), CellMark::None);
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, std::to_string(attack + 256)),
            CellMark::None);  // wraps to the same byte
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, std::to_string(attack + 1)),
            CellMark::Changed);
  // A committed edit stays marked while the text shows it, until it is saved.
  StoreColumn(current.CrTable, 0, 1, attack + 1);
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, std::to_string(attack + 1)),
            CellMark::Changed);
  saved = current;
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 1, std::to_string(attack + 1)), CellMark::None);
}

TEST_F(TableSetTest, ALargeUnsignedValueAsShownIsNotMarked) {
  // Shown as 4294967295, which the parse refuses: the field keeps the value it shows.
  StoreColumn(current.BlTable, 0, 1, -1);
  saved = current;
  EXPECT_EQ(MarkCell(kBuildings, current, saved, 1, 1, "4294967295"), CellMark::None);
  EXPECT_EQ(MarkCell(kBuildings, current, saved, 1, 1, "-1"), CellMark::None);
  // Any other text beyond the signed range would not be stored.
  EXPECT_EQ(MarkCell(kBuildings, current, saved, 1, 1, "4294967294"), CellMark::NotANumber);
  // A committed large value differs from the file: marked changed, not red.
  saved = LoadTables(sample.image);
  EXPECT_EQ(MarkCell(kBuildings, current, saved, 1, 1, "4294967295"), CellMark::Changed);
}

TEST_F(TableSetTest, FixedCellsAreNeverMarked) {
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 0, 1, "abc"), CellMark::None);
  EXPECT_EQ(MarkCell(kCreatures, current, saved, 1, 0, "abc"), CellMark::None);
  EXPECT_EQ(MarkCell(kSpells, current, saved, 4, 1, "abc"), CellMark::None);
  EXPECT_EQ(MarkCell(kSpells, current, saved, 1, 66, "abc"), CellMark::None);
}

// The field access by index that CSV and change lists use must store what a
// commit of the grid stores, cell by cell, in every table.
TEST_F(TableSetTest, FieldAccessByIndexAgreesWithCommit) {
  for (TableIndex index = 0; index < kTableCount; ++index) {
    for (int entry = 0; entry < EntryCount(index); ++entry) {
      for (int column = 1; column < ColCounts[index]; ++column)
        grid.SetCellText(column, entry + 1, std::to_string(entry * 1000 + column * 77 - 300));
    }
    TableSet by_grid = current;
    CommitActiveTable(index, by_grid, grid);
    TableSet by_field = current;
    for (int entry = 0; entry < EntryCount(index); ++entry) {
      for (int column = 1; column < ColCounts[index]; ++column)
        StoreFieldValue(by_field, index, entry, column, entry * 1000 + column * 77 - 300);
    }
    for (int entry = 0; entry < EntryCount(index); ++entry) {
      for (int column = 1; column < ColCounts[index]; ++column)
        ASSERT_EQ(FieldValue(by_field, index, entry, column),
                  FieldValue(by_grid, index, entry, column));
    }
  }
}

}  // namespace
