#include "cr_table.h"

#include <gtest/gtest.h>

#include <string>

#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "sample_image.h"

namespace {

class CrTableTest : public ::testing::Test {
 protected:
  Sample sample = MakeSample(7);
  TableSet tables = LoadTables(sample.image);
  TCrTable& table = tables.CrTable;
  MemoryGrid grid;

  // Row 1 (entry 0) holding `record`, filled into the grid.
  void ShowRecord(const TCrRecord& record) {
    table.SetRecord(0, record);
    FillCrGrid(table, grid);
  }
  // Types `text` into (column, row 1), commits, and fills again.
  std::string Roundtrip(int column, const std::string& text) {
    FillCrGrid(table, grid);
    grid.SetCellText(column, 1, text);
    CommitCrGrid(table, grid);
    FillCrGrid(table, grid);
    return grid.CellText(column, 1);
  }
};

TEST(CrTableNew, IsAllZero) {
  const TCrTable table;
  for (std::uint8_t i = 0; i < TCrTable::Count; ++i) {
    EXPECT_EQ(table.GetOffset(i), 0);
    EXPECT_TRUE(table.GetName(i).empty());
    EXPECT_EQ(table.GetRecord(i), TCrRecord{});
  }
}

TEST_F(CrTableTest, LoadsNamesOffsetsAndRecords) {
  for (std::uint8_t i = 0; i < TCrTable::Count; ++i) {
    EXPECT_EQ(table.GetName(i).view(), sample.creature_names[i]) << int(i);
    const std::int32_t offset = 1025120 + 26 * i;
    EXPECT_EQ(table.GetOffset(i), offset);
    const TCrRecord record = table.GetRecord(i);
    EXPECT_TRUE(
        std::equal(record.Bytes.begin(), record.Bytes.end(), sample.image.begin() + offset));
  }
  EXPECT_EQ(table.GetOffset(65), 1026810);
}

TEST_F(CrTableTest, CommitWithoutEditsKeepsEveryRecordByteForByte) {
  // The sample holds Alpha and Properties values at and above 2^31, whose
  // decimal text does not parse and must fall back to the unchanged value.
  const TCrTable before = table;
  FillCrGrid(table, grid);
  CommitCrGrid(table, grid);
  for (std::uint8_t i = 0; i < TCrTable::Count; ++i) {
    EXPECT_EQ(table.GetRecord(i), before.GetRecord(i)) << int(i);
  }
  EXPECT_EQ(SaveTables(tables, sample.image), sample.image);
}

TEST_F(CrTableTest, TextThatIsNotANumberKeepsTheValue) {
  for (const char* text : {"abc", "", "12 ", "1 2", "- 7", "$"}) {
    TCrRecord record;
    record.Bytes[12] = 9;
    ShowRecord(record);
    EXPECT_EQ(Roundtrip(1, text), "9") << '\'' << text << '\'';
  }
}

struct CommitCase {
  int column;
  const char* typed;
  const char* shown;
};

class CrCommitTest : public CrTableTest, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(CrCommitTest, StoresTheLowBitsAndShowsThem) {
  const CommitCase c = GetParam();
  ShowRecord(TCrRecord{});
  EXPECT_EQ(Roundtrip(c.column, c.typed), c.shown)
      << "column " << c.column << " '" << c.typed << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CrCommitTest,
    ::testing::Values(
        CommitCase{1, " 12", "12"}, CommitCase{1, "+12", "12"}, CommitCase{1, "007", "7"},
        CommitCase{1, "-0", "0"}, CommitCase{1, "$1F", "31"}, CommitCase{1, "x1F", "31"},
        CommitCase{1, "0x1f", "31"}, CommitCase{1, "300", "44"}, CommitCase{1, "200", "-56"},
        CommitCase{1, "$FF", "-1"}, CommitCase{13, "-1", "255"}, CommitCase{5, "-1", "65535"},
        CommitCase{5, "70000", "4464"}, CommitCase{8, "40000", "-25536"},
        CommitCase{10, "$FFFFFFFF", "4294967295"}, CommitCase{12, "-1", "4294967295"},
        CommitCase{12, "-2147483648", "2147483648"}, CommitCase{10, "4294967295", "0"},
        CommitCase{10, "2147483648", "0"}, CommitCase{12, "$123456789", "0"},
        CommitCase{6, "-128", "-128"}, CommitCase{7, "127", "127"}, CommitCase{9, "-3", "-3"},
        CommitCase{11, "$80", "-128"}, CommitCase{2, "256", "0"}, CommitCase{3, "-129", "127"},
        CommitCase{4, "x7F", "127"}));

TEST_F(CrTableTest, UnshownBytesSurviveAnyGrid) {
  TCrRecord record;
  for (int b = 17; b <= 21; ++b)
    record.Bytes[b] = static_cast<std::uint8_t>(0xA0 + b);
  ShowRecord(record);
  for (int column = 1; column < 14; ++column)
    grid.SetCellText(column, 1, "$FFFFFFFF");
  CommitCrGrid(table, grid);
  for (int b = 17; b <= 21; ++b)
    EXPECT_EQ(table.GetRecord(0).Bytes[b], 0xA0 + b);
}

TEST_F(CrTableTest, SaveChangesExactlyTheEditedFieldBytes) {
  FillCrGrid(table, grid);
  grid.SetCellText(1, 1, "5");        // entry 0 Attack, byte 12
  grid.SetCellText(12, 66, "$0");     // entry 65 Properties, bytes 22-25
  grid.SetCellText(0, 3, "renamed");  // names are never read back
  CommitCrGrid(table, grid);
  const Bytes saved = SaveTables(tables, sample.image);
  ASSERT_EQ(saved.size(), sample.image.size());

  std::vector<std::size_t> expected;
  auto expect_field = [&](std::size_t offset, std::size_t width, std::uint32_t value) {
    for (std::size_t i = 0; i < width; ++i) {
      if (sample.image[offset + i] != static_cast<std::uint8_t>(value >> (8 * i))) {
        expected.push_back(offset + i);
      }
    }
  };
  expect_field(1025120 + 12, 1, 5);
  expect_field(1026810 + 22, 4, 0);
  EXPECT_EQ(DifferingOffsets(sample.image, saved), expected);
  EXPECT_EQ(saved[1025120 + 12], 5);
  EXPECT_EQ(saved[1026810 + 22], 0);
}

}  // namespace
