#include "tables/sp_table.h"

#include <gtest/gtest.h>

#include "samplegen/sample_image.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_grid.h"

namespace {

// A file cut inside a spell record: the record is written whole or not at
// all, whatever its edits, and the file keeps its size and bytes. The records
// before it are still written. (What every table loads, shows and writes is
// checked in table_columns_test.cpp.)
TEST(SpTableCutFile, RecordCutByTheEndOfTheFileIsNotWrittenInPart) {
  const Sample sample = MakeSample(5);
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
