#include "sp_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "sample_image.h"

namespace {

class SpTableTest : public ::testing::Test {
 protected:
  Sample sample = MakeSample(5);
  TableSet tables = LoadTables(sample.image);
  TSpTable& table = tables.SpTable;
  MemoryGrid grid;

  std::string Roundtrip(int column, const std::string& text) {
    FillSpGrid(table, grid);
    grid.SetCellText(column, 1, text);
    CommitSpGrid(table, grid);
    FillSpGrid(table, grid);
    return grid.CellText(column, 1);
  }
};

TEST_F(SpTableTest, LoadsNamesOffsetsAndFields) {
  EXPECT_EQ(table.GetOffset(0), 1029057);
  EXPECT_EQ(table.GetOffset(64), 1030465);
  for (std::uint8_t i = 0; i < TSpTable::Count; ++i) {
    const std::size_t offset = table.GetOffset(i);
    EXPECT_EQ(table.GetName(i).view(), sample.spell_names[i]);
    EXPECT_EQ(table.GetLevel(i), sample.image[offset]);
    EXPECT_EQ(static_cast<std::uint16_t>(table.GetAlpha(i)),
              sample.image[offset + 3] | (sample.image[offset + 4] << 8));
    EXPECT_EQ(table.GetMana(i), sample.image[offset + 5]);
  }
}

TEST_F(SpTableTest, CommitWraps) {
  EXPECT_EQ(Roundtrip(1, "300"), "44");
  EXPECT_EQ(Roundtrip(1, "-1"), "255");
  EXPECT_EQ(Roundtrip(1, "256"), "0");
  EXPECT_EQ(Roundtrip(2, "257"), "1");
  EXPECT_EQ(Roundtrip(3, "40000"), "-25536");
  EXPECT_EQ(Roundtrip(3, "65535"), "-1");
  EXPECT_EQ(Roundtrip(3, "-32768"), "-32768");
}

TEST_F(SpTableTest, TextThatIsNotANumberKeepsTheSignedValue) {
  table.SetAlpha(0, -300);
  EXPECT_EQ(Roundtrip(3, "abc"), "-300");
  EXPECT_EQ(Roundtrip(3, ""), "-300");
  table.SetLevel(0, 200);
  EXPECT_EQ(Roundtrip(1, "x"), "200");
}

TEST_F(SpTableTest, OpenThenSaveWithoutEditsKeepsTheFile) {
  FillSpGrid(table, grid);
  CommitSpGrid(table, grid);
  EXPECT_EQ(SaveTables(tables, sample.image), sample.image);
}

TEST_F(SpTableTest, EditsTouchOnlyBytesZeroThreeFourAndFive) {
  FillSpGrid(table, grid);
  for (int row = 1; row <= 65; ++row) {
    grid.SetCellText(1, row, std::to_string(sample.image[table.GetOffset(row - 1)] ^ 0xFF));
    grid.SetCellText(2, row, "$5A");
    grid.SetCellText(3, row, "-2");
  }
  CommitSpGrid(table, grid);
  const Bytes saved = SaveTables(tables, sample.image);
  ASSERT_EQ(saved.size(), sample.image.size());
  std::set<std::size_t> allowed;
  for (std::uint8_t i = 0; i < 65; ++i) {
    for (int b : {0, 3, 4, 5})
      allowed.insert(table.GetOffset(i) + b);
  }
  const auto differing = DifferingOffsets(sample.image, saved);
  EXPECT_FALSE(differing.empty());
  for (std::size_t offset : differing)
    EXPECT_TRUE(allowed.count(offset)) << offset;
  EXPECT_LE(*std::max_element(differing.begin(), differing.end()), 1030470u);
  for (std::uint8_t i = 0; i < 65; ++i) {
    const std::size_t offset = table.GetOffset(i);
    EXPECT_EQ(saved[offset], sample.image[offset] ^ 0xFF);
    EXPECT_EQ(saved[offset + 3], 0xFE);
    EXPECT_EQ(saved[offset + 4], 0xFF);
    EXPECT_EQ(saved[offset + 5], 0x5A);
  }
}

// A file cut inside a spell record: the record is written whole or not at
// all, whatever its edits, and the file keeps its size and bytes. The records
// before it are still written.
TEST_F(SpTableTest, RecordCutByTheEndOfTheFileIsNotWrittenInPart) {
  for (int inside = 1; inside <= 5; ++inside) {
    const std::size_t cut_record = 40;
    Bytes image = sample.image;
    image.resize(SpRecordsOffset + SpRecordStride * cut_record + inside);
    TableSet cut = LoadTables(image);
    MemoryGrid cut_grid;
    FillSpGrid(cut.SpTable, cut_grid);
    for (int row = 1; row <= 65; ++row) {
      cut_grid.SetCellText(1, row, "$A1");
      cut_grid.SetCellText(2, row, "$B2");
      cut_grid.SetCellText(3, row, "$C3D4");
    }
    CommitSpGrid(cut.SpTable, cut_grid);
    const Bytes saved = SaveTables(cut, image);
    ASSERT_EQ(saved.size(), image.size());
    const auto differing = DifferingOffsets(image, saved);
    ASSERT_FALSE(differing.empty());
    EXPECT_LT(differing.back(), SpRecordsOffset + SpRecordStride * cut_record) << inside;
    const std::size_t last_whole = SpRecordsOffset + SpRecordStride * (cut_record - 1);
    EXPECT_EQ(saved[last_whole], 0xA1);
    EXPECT_EQ(saved[last_whole + 3], 0xD4);
    EXPECT_EQ(saved[last_whole + 4], 0xC3);
    EXPECT_EQ(saved[last_whole + 5], 0xB2);
  }
}

}  // namespace
