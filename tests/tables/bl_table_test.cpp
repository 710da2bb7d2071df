#include "bl_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
struct ExpectedEntry {
  std::int32_t offset;
  NameSource name;
};

// All 82 entries as the executable's layout gives them.
const ExpectedEntry kExpected[82] = {
    {1033324, {Block::Main, 0}},   {1033352, {Block::Main, 1}},    {1033380, {Block::Main, 2}},
    {1033408, {Block::Main, 3}},   {1033436, {Block::Main, 4}},    {1033464, {Block::Main, 5}},
    {1033492, {Block::Main, 6}},   {1033520, {Block::Main, 7}},    {1033548, {Block::Main, 8}},
    {1033576, {Block::Main, 9}},   {1033604, {Block::Main, 10}},   {1033660, {Block::Main, 11}},
    {1033688, {Block::Main, 12}},  {1033716, {Block::Main, 13}},   {1033744, {Block::Main, 14}},
    {1033772, {Block::Main, 15}},  {1033800, {Block::Main, 16}},   {1033828, {Block::Main, 17}},
    {1033884, {Block::Main, 18}},  {1033912, {Block::Main, 19}},   {1033996, {Block::Main, 20}},
    {1034024, {Block::Main, 21}},  {1034052, {Block::Main, 22}},   {1034080, {Block::Main, 23}},
    {1034108, {Block::Main, 24}},  {1034136, {Block::Main, 25}},   {1034164, {Block::Main, 26}},
    {1034192, {Block::Main, 27}},  {1034220, {Block::Main, 28}},   {1034332, {Block::Main, 29}},
    {1034360, {Block::Main, 30}},  {1034388, {Block::Main, 31}},   {1034416, {Block::Main, 32}},
    {1034444, {Block::Main, 33}},  {1034472, {Block::Main, 34}},   {1034556, {Block::Main, 35}},
    {1034612, {Block::Main, 36}},  {1034640, {Block::Main, 37}},   {1034668, {Block::Main, 38}},
    {1034696, {Block::Main, 39}},  {1034724, {Block::Main, 40}},   {1034752, {Block::Main, 41}},
    {1034780, {Block::Main, 42}},  {1034808, {Block::Main, 43}},   {1034864, {Block::Main, 44}},
    {1034920, {Block::Main, 45}},  {1034948, {Block::Main, 46}},   {1035004, {Block::Main, 47}},
    {1035032, {Block::Main, 48}},  {1035060, {Block::Main, 49}},   {1035088, {Block::Main, 50}},
    {1035116, {Block::Main, 51}},  {1035144, {Block::Main, 52}},   {1035172, {Block::Main, 53}},
    {1035200, {Block::Main, 54}},  {1035228, {Block::Main, 55}},   {1035256, {Block::Main, 56}},
    {1032156, {Block::Level, 1}},  {1032184, {Block::Level, 2}},   {1032212, {Block::Level, 3}},
    {1032240, {Block::Level, 4}},  {1032268, {Block::Level, 5}},   {1032296, {Block::Extra, 0}},
    {1032324, {Block::Extra, 1}},  {1032352, {Block::Extra, 2}},   {1032380, {Block::Extra, 3}},
    {1032408, {Block::Extra, 4}},  {1032436, {Block::Extra, 5}},   {1032464, {Block::Shared, 0}},
    {1032492, {Block::Shared, 1}}, {1032520, {Block::Shared, 2}},  {1032548, {Block::Shared, 3}},
    {1032576, {Block::Shared, 4}}, {1032632, {Block::Shared, 6}},  {1032660, {Block::Shared, 7}},
    {1032688, {Block::Shared, 8}}, {1032716, {Block::Shared, 9}},  {1032744, {Block::Shared, 10}},
    {1032772, {Block::Growth, 0}}, {1032800, {Block::Shared, 11}}, {1032884, {Block::Shared, 13}},
    {1162084, {Block::Shrine, 0}},
};

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
  for (std::uint8_t e = 0; e < TBlTable::Count; ++e) {
    EXPECT_EQ(table.GetOffset(e), kExpected[e].offset) << "entry " << int(e);
    EXPECT_EQ(table.GetName(e).view(), ExpectedName(sample, kExpected[e].name))
        << "entry " << int(e);
    const TBlRecord record = table.GetRecord(e);
    EXPECT_TRUE(std::equal(record.Bytes.begin(), record.Bytes.end(),
                           sample.image.begin() + kExpected[e].offset))
        << "entry " << int(e);
  }
}

TEST_F(BlTableTest, FillShowsCostsInColumnOrder) {
  TBlRecord record;
  const std::uint32_t values[7] = {1, 2, 3, 4, 5, 6, 0xFFFFFFFF};  // file order
  for (int f = 0; f < 7; ++f)
    StoreField(record.Bytes.data(), {std::uint8_t(4 * f), 4, false},
               static_cast<std::int32_t>(values[f]));
  table.SetRecord(0, record);
  FillBlGrid(table, grid);
  // Gold, Wood, Ore, Mercury, Sulfur, Crystals, Gems.
  const char* shown[8] = {nullptr, "4294967295", "1", "3", "2", "4", "5", "6"};
  for (int column = 1; column < 8; ++column)
    EXPECT_EQ(grid.CellText(column, 1), shown[column]);
  EXPECT_EQ(grid.CellText(0, 82), Cp1251ToUtf8(table.GetName(81).view()));
  EXPECT_EQ(grid.scroll_resets, 1);
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
  for (const ExpectedEntry& e : kExpected) {
    for (int i = 0; i < 28; ++i)
      record_bytes.insert(e.offset + i);
  }
  for (std::size_t offset : DifferingOffsets(sample.image, saved)) {
    EXPECT_TRUE(record_bytes.count(offset)) << "byte " << offset << " outside every record";
  }
  for (const ExpectedEntry& e : kExpected) {
    EXPECT_EQ(saved[e.offset], 0x78);
    EXPECT_EQ(saved[e.offset + 27], 0x12);
  }
  for (int k : BlFirstRunSkip)
    EXPECT_EQ(saved[BlFirstRunOffset + 28 * k + 5], 0xEE);
  for (int k : BlSecondRunSkip)
    EXPECT_EQ(saved[BlSecondRunOffset + 28 * k + 5], 0xDD);
}

TEST(BlTableNames, LongBaseNameCutsTheLevelNames) {
  Sample sample = MakeSample(3);
  // A base name of 252 bytes, written over the shared block.
  const std::string base(252, '\xC1');
  std::copy(base.begin(), base.end(), sample.image.begin() + BlSharedNamesOffset);
  sample.image[BlSharedNamesOffset + 252] = 0;
  const TableSet tables = LoadTables(sample.image);
  for (std::uint8_t e = 57; e <= 61; ++e) {
    const ShortName name = tables.BlTable.GetName(e);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_EQ(name.view().substr(0, 252), base);
    EXPECT_EQ(name.view().substr(252), " " + std::to_string(e - 56) + " ");
  }
  EXPECT_EQ(tables.BlTable.GetName(68).view(), base);
}

}  // namespace
