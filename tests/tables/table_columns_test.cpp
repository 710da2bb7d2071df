// The columns of each table against the tests' own record layout: what the
// grid shows for a field, which typed texts change it, and which bytes a
// stored column reaches. A field described with the wrong place, width or
// signedness fails here.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "../support/file_layout.h"
#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "cp1251.h"
#include "sample_image.h"
#include "table_set.h"

namespace {

// Every record byte differs from the others and has its top bit set, so each
// field reads a value that no field at another place or of another width
// reads, and a signed field reads negative.
std::uint8_t PatternByte(std::size_t offset_in_record) {
  return static_cast<std::uint8_t>(0xFF - 3 * offset_in_record);
}

template <typename Table>
class TableColumnsTest : public ::testing::Test {
 protected:
  static constexpr TableIndex kIndex = Table::Index;

  void SetUp() override {
    for (int entry : Entries()) {
      for (const layout::Field& field : layout::Fields(kIndex)) {
        for (int k = 0; k < field.width; ++k) {
          const std::size_t in_record = static_cast<std::size_t>(field.offset + k);
          image[layout::RecordOffset(kIndex, entry) + in_record] = PatternByte(in_record);
        }
      }
    }
    current = LoadTables(image);
    saved = current;
  }

  // The first, a middle and the last entry.
  static std::vector<int> Entries() {
    const int count = static_cast<int>(Table::Count);
    return {0, count / 2, count - 1};
  }
  std::size_t FieldAt(int entry, const layout::Field& field) const {
    return layout::RecordOffset(kIndex, entry) + static_cast<std::size_t>(field.offset);
  }
  CellMark Mark(int entry, const layout::Field& field, const std::string& text) const {
    return MarkCell(kIndex, current, saved, field.column, entry + 1, text);
  }

  Bytes image = MakeSample(17).image;
  TableSet current;
  TableSet saved;
};

using Tables = ::testing::Types<TCrTable, TBlTable, TSpTable>;
TYPED_TEST_SUITE(TableColumnsTest, Tables);

TYPED_TEST(TableColumnsTest, FillShowsEachFieldAsTheLayoutReadsIt) {
  constexpr TableIndex index = TestFixture::kIndex;
  ASSERT_EQ(layout::Fields(index).size() + 1, ColCounts[index]);
  MemoryGrid grid;
  grid.SetCellText(1, 0, "caption");
  FillActiveTable(index, this->current, grid);
  EXPECT_EQ(grid.scroll_resets, 1);
  EXPECT_EQ(grid.CellText(1, 0), "caption");
  for (int entry : this->Entries()) {
    const int row = entry + 1;
    EXPECT_EQ(grid.CellText(0, row),
              Cp1251ToUtf8(TableOf<TypeParam>(this->current).GetName(entry).view()));
    for (const layout::Field& field : layout::Fields(index)) {
      const std::string shown = layout::ShownText(this->image, this->FieldAt(entry, field), field);
      EXPECT_EQ(grid.CellText(field.column, row), shown)
          << "entry " << entry << " column " << field.column;
      EXPECT_EQ(FieldDisplayText(this->current, index, entry, field.column), shown);
    }
    EXPECT_EQ(grid.CellText(ColCounts[index], row), "");
  }
  EXPECT_EQ(grid.CellText(1, RowCounts[index]), "");
}

// A number stores the low bits its field holds, so a text that wraps onto the
// value in the file is no change, and one that wraps onto another value is.
// A four-byte field holds every number: its value above 2^31 is shown in
// unsigned digits, which are no change either, as is the negative number of
// the same bits.
TYPED_TEST(TableColumnsTest, TextThatWrapsOntoTheFileValueIsNoChange) {
  for (int entry : this->Entries()) {
    for (const layout::Field& field : layout::Fields(TestFixture::kIndex)) {
      const std::size_t at = this->FieldAt(entry, field);
      const auto bits = static_cast<std::int64_t>(layout::FieldBits(this->image, at, field));
      SCOPED_TRACE("entry " + std::to_string(entry) + " column " + std::to_string(field.column) +
                   " holding " + std::to_string(bits));
      std::int64_t wrapped_above = static_cast<std::int32_t>(bits);
      std::string other_same_text = layout::ShownText(this->image, at, field);
      if (field.width < 4) {
        const std::int64_t span = std::int64_t{1} << (8 * field.width);
        wrapped_above = bits + span;
        other_same_text = std::to_string(bits - span);
      }
      EXPECT_EQ(this->Mark(entry, field, std::to_string(wrapped_above)), CellMark::None);
      EXPECT_EQ(this->Mark(entry, field, other_same_text), CellMark::None);
      EXPECT_EQ(this->Mark(entry, field, std::to_string(wrapped_above + 1)), CellMark::Changed);
      EXPECT_EQ(this->Mark(entry, field, std::to_string(wrapped_above - 1)), CellMark::Changed);
    }
  }
}

// Storing 0 through a column changes exactly its field's bytes in the saved
// file (the pattern holds no zero byte).
TYPED_TEST(TableColumnsTest, EachColumnWritesOnlyItsFieldBytes) {
  constexpr TableIndex index = TestFixture::kIndex;
  for (int entry : this->Entries()) {
    for (const layout::Field& field : layout::Fields(index)) {
      TableSet edited = this->current;
      StoreFieldValue(edited, index, entry, field.column, 0);
      std::vector<std::size_t> expected;
      for (int k = 0; k < field.width; ++k)
        expected.push_back(this->FieldAt(entry, field) + static_cast<std::size_t>(k));
      EXPECT_EQ(DifferingOffsets(this->image, SaveTables(edited, this->image)), expected)
          << "entry " << entry << " column " << field.column;
    }
  }
}

}  // namespace
