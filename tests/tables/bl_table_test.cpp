#include "bl_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "../support/file_layout.h"
#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "cp1251.h"
#include "sample_image.h"

namespace {

// Where each entry's name comes from.
enum class Block { Main, Extra, Shared, Level, Growth, Shrine };
struct NameSource {
  Block block;
  int index;  // within the block, or the level for Block::Level
};

// The name sources of the 82 entries in entry order, written as runs of
// consecutive indices within one block.
std::vector<NameSource> ExpectedNameSources() {
  struct Run {
    Block block;
    int first;
    int last;
  };
  const Run runs[] = {{Block::Main, 0, 56},    {Block::Level, 1, 5},    {Block::Extra, 0, 5},
                      {Block::Shared, 0, 4},   {Block::Shared, 6, 10},  {Block::Growth, 0, 0},
                      {Block::Shared, 11, 11}, {Block::Shared, 13, 13}, {Block::Shrine, 0, 0}};
  std::vector<NameSource> sources;
  for (const Run& run : runs) {
    for (int index = run.first; index <= run.last; ++index)
      sources.push_back({run.block, index});
  }
  return sources;
}

std::string ExpectedName(const Sample& sample, NameSource source) {
  switch (source.block) {
    case Block::Main:
      return sample.building_names[source.index];
    case Block::Extra:
      return sample.extra_names[source.index];
    case Block::Shared:
      return sample.shared_names[source.index];
    case Block::Level:
      return sample.shared_names[0] + " " + std::to_string(source.index) + Utf8ToCp1251(" ур.");
    case Block::Growth:
      return Utf8ToCp1251("Прирост воинов 1 ур.");
    case Block::Shrine:
      return Utf8ToCp1251("Темная святыня");
  }
  return {};
}

class BlTableTest : public ::testing::Test {
 protected:
  Sample sample = MakeSample(11);
  TableSet tables = LoadTables(sample.image);
  TBlTable& table = tables.BlTable;
  MemoryGrid grid;
};

TEST_F(BlTableTest, EveryEntryHasItsOffsetNameAndRecord) {
  const std::vector<NameSource> names = ExpectedNameSources();
  ASSERT_EQ(names.size(), TBlTable::Count);
  ASSERT_EQ(layout::BuildingRecords().size(), TBlTable::Count);
  for (std::uint8_t e = 0; e < TBlTable::Count; ++e) {
    const std::size_t offset = layout::BuildingRecords()[e];
    EXPECT_EQ(table.GetOffset(e), static_cast<std::int32_t>(offset)) << "entry " << int(e);
    EXPECT_EQ(table.GetName(e).view(), ExpectedName(sample, names[e])) << "entry " << int(e);
    const TBlRecord record = table.GetRecord(e);
    EXPECT_TRUE(std::equal(record.Bytes.begin(), record.Bytes.end(), sample.image.begin() + offset))
        << "entry " << int(e);
  }
}

TEST_F(BlTableTest, OpenThenSaveWithoutEditsKeepsTheFile) {
  FillBlGrid(table, grid);
  CommitBlGrid(table, grid);
  EXPECT_EQ(SaveTables(tables, sample.image), sample.image);
}

TEST_F(BlTableTest, CommitFollowsTheNumberParse) {
  struct Case {
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {{"-1", "4294967295"},
                        {"-2147483648", "2147483648"},
                        {"$FFFFFFFF", "4294967295"},
                        {"0xFFFFFFFF", "4294967295"},
                        {"2147483648", "5"},
                        {"4294967295", "5"},
                        {"", "5"},
                        {"12 ", "5"},
                        {"12.5", "5"},
                        {"1 000", "5"},
                        {"abc", "5"},
                        {" 12", "12"},
                        {"+12", "12"}};
  for (const Case& c : cases) {
    for (int column = 1; column < 8; ++column) {
      table.SetRecord(3, TBlRecord{});
      StoreColumn(table, 3, column, 5);
      FillBlGrid(table, grid);
      grid.SetCellText(column, 4, c.typed);
      CommitBlGrid(table, grid);
      FillBlGrid(table, grid);
      EXPECT_EQ(grid.CellText(column, 4), c.shown) << "column " << column << " '" << c.typed << "'";
    }
  }
}

TEST_F(BlTableTest, EditsChangeOnlyTheirFieldsAndNeverThePassedOverRecords) {
  FillBlGrid(table, grid);
  for (int row = 1; row <= 82; ++row) {
    for (int column = 1; column < 8; ++column)
      grid.SetCellText(column, row, "$12345678");
  }
  CommitBlGrid(table, grid);
  const Bytes saved = SaveTables(tables, sample.image);

  std::set<std::size_t> record_bytes;
  for (std::size_t offset : layout::BuildingRecords()) {
    for (std::size_t i = 0; i < layout::kBuildingRecordSize; ++i)
      record_bytes.insert(offset + i);
  }
  for (std::size_t offset : DifferingOffsets(sample.image, saved)) {
    EXPECT_TRUE(record_bytes.count(offset)) << "byte " << offset << " outside every record";
  }
  for (std::size_t offset : layout::BuildingRecords()) {
    EXPECT_EQ(saved[offset], 0x78);
    EXPECT_EQ(saved[offset + 27], 0x12);
  }
  // The sample marks the records passed over (0xEE in the first run, 0xDD in
  // the second); they keep every byte.
  ASSERT_EQ(layout::PassedOverRecords().size(), 17u);
  for (std::size_t offset : layout::PassedOverRecords()) {
    EXPECT_TRUE(std::equal(saved.begin() + offset, saved.begin() + offset + 28,
                           sample.image.begin() + offset));
    EXPECT_TRUE(sample.image[offset + 5] == 0xEE || sample.image[offset + 5] == 0xDD);
  }
}

TEST(BlTableNames, LongBaseNameCutsTheLevelNames) {
  Sample sample = MakeSample(3);
  // A base name of 252 bytes, written over the shared block.
  const std::string base(252, '\xC1');
  std::copy(base.begin(), base.end(), sample.image.begin() + layout::kSharedNames);
  sample.image[layout::kSharedNames + 252] = 0;
  const TableSet tables = LoadTables(sample.image);
  for (std::uint8_t e = 57; e <= 61; ++e) {
    const ShortName name = tables.BlTable.GetName(e);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_EQ(name.view().substr(0, 252), base);
    const char level = static_cast<char>('0' + (e - 56));
    EXPECT_EQ(name.view().substr(252), std::string({' ', level, ' '}));
  }
  EXPECT_EQ(tables.BlTable.GetName(68).view(), base);
}

}  // namespace
