#include "tables/bl_table.h"

#include <gtest/gtest.h>

#include <string>

#include "samplegen/sample_image.h"
#include "tests/support/file_layout.h"
#include "tests/support/image_helpers.h"

namespace {

// The loading of every building name is checked with the other tables in
// table_columns_test.cpp; this is the case only the built level names have.
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
