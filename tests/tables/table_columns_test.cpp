// Each table against the tests' own layout: what it loads, what the grid shows
// for a field, which typed texts change it, and which bytes a commit and a save
// reach. A table that reads or writes a field with the wrong place, width or
// signedness, or a record or name at the wrong place, fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "samplegen/sample_image.h"
#include "tables/cp1251.h"
#include "tables/table_set.h"
#include "tests/support/file_layout.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_grid.h"

namespace {

// Every record byte differs from the others and has its top bit set, so each
// field reads a value that no field at another place or of another width
// reads, a signed field reads negative and a four-byte field reads above 2^31.
std::uint8_t PatternByte(std::size_t offset_in_record) {
  return static_cast<std::uint8_t>(0xFF - 3 * offset_in_record);
}

// The building names in entry order: the main block, the first shared name
// with the levels 1 to 5, the extra block, the shared block once more without
// its 6th and 13th names and with a fixed name before its 12th, and a fixed
// name last.
std::vector<std::string> BuildingNames(const Sample& sample) {
  std::vector<std::string> names = sample.building_names;
  for (int level = 1; level <= 5; ++level)
    names.push_back(sample.shared_names[0] + " " + std::to_string(level) + Utf8ToCp1251(" ур."));
  names.insert(names.end(), sample.extra_names.begin(), sample.extra_names.end());
  for (int k : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10})
    names.push_back(sample.shared_names[k]);
  names.push_back(Utf8ToCp1251("Прирост воинов 1 ур."));
  names.push_back(sample.shared_names[11]);
  names.push_back(sample.shared_names[13]);
  names.push_back(Utf8ToCp1251("Темная святыня"));
  return names;
}

std::vector<std::string> ExpectedNames(const Sample& sample, TableIndex index) {
  if (index == kCreatures)
    return sample.creature_names;
  if (index == kSpells)
    return sample.spell_names;
  return BuildingNames(sample);
}

// What the grid shows once `value` is stored in `field`: its low bytes, read
// as the layout reads them.
std::string ShownAfterStoring(std::int64_t value, const layout::Field& field) {
  std::vector<std::uint8_t> bytes;
  for (int k = 0; k < field.width; ++k)
    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
  return layout::ShownText(bytes, 0, field);
}

// A number whose bytes in `field` are the complement of those at `at` in
// `image`, so that storing it changes every byte of the field.
std::uint64_t Complement(const Bytes& image, std::size_t at, const layout::Field& field) {
  const std::uint64_t mask = (std::uint64_t{1} << (8 * field.width)) - 1;
  return ~layout::FieldBits(image, at, field) & mask;
}
std::string ComplementText(const Bytes& image, std::size_t at, const layout::Field& field) {
  return std::to_string(static_cast<std::int32_t>(Complement(image, at, field)));
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
  // The offsets at which `tables`, saved over the image, differ from it.
  std::vector<std::size_t> SavedChanges(const TableSet& tables) const {
    return DifferingOffsets(image, SaveTables(tables, image));
  }

  Sample sample = MakeSample(17);
  Bytes& image = sample.image;
  TableSet current;
  TableSet saved;
};

using Tables = ::testing::Types<TCrTable, TBlTable, TSpTable>;
TYPED_TEST_SUITE(TableColumnsTest, Tables);

TYPED_TEST(TableColumnsTest, ANewTableIsAllZero) {
  const TypeParam table;
  for (std::size_t i = 0; i < TypeParam::Count; ++i) {
    EXPECT_EQ(table.GetOffset(static_cast<std::uint8_t>(i)), 0);
    EXPECT_TRUE(table.GetName(static_cast<std::uint8_t>(i)).empty());
    const auto& bytes = table.Entries[i].Data.Bytes;
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }));
  }
}

TYPED_TEST(TableColumnsTest, LoadsEveryEntrysOffsetNameAndRecord) {
  constexpr TableIndex index = TestFixture::kIndex;
  const TypeParam& table = TableOf<TypeParam>(this->current);
  const std::vector<std::string> names = ExpectedNames(this->sample, index);
  ASSERT_EQ(names.size(), TypeParam::Count);
  for (std::size_t i = 0; i < TypeParam::Count; ++i) {
    const auto entry = static_cast<std::uint8_t>(i);
    const std::size_t offset = layout::RecordOffset(index, i);
    EXPECT_EQ(table.GetOffset(entry), static_cast<std::int32_t>(offset)) << "entry " << i;
    EXPECT_EQ(table.GetName(entry).view(), names[i]) << "entry " << i;
    const auto& bytes = table.Entries[i].Data.Bytes;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), this->image.begin() + offset))
        << "entry " << i;
  }
}

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

// The pattern puts values above 2^31 in the four-byte fields, whose digits do
// not parse: the commit must keep them as they are.
TYPED_TEST(TableColumnsTest, CommitWithoutEditsKeepsEveryByte) {
  MemoryGrid grid;
  FillActiveTable(TestFixture::kIndex, this->current, grid);
  CommitActiveTable(TestFixture::kIndex, this->current, grid);
  for (std::size_t i = 0; i < TypeParam::Count; ++i) {
    EXPECT_EQ(TableOf<TypeParam>(this->current).Entries[i].Data,
              TableOf<TypeParam>(this->saved).Entries[i].Data)
        << "entry " << i;
  }
  EXPECT_EQ(this->SavedChanges(this->current), std::vector<std::size_t>{});
}

TYPED_TEST(TableColumnsTest, TextThatIsNotANumberKeepsTheValue) {
  for (const char* text : {"abc", "", " ", "12 ", "\t12", "1 2", "- 7", "--1", "$", "x", "12.5",
                           "1 000", "1e3", "2147483648", "4294967295", "$123456789"}) {
    MemoryGrid grid;
    FillActiveTable(TestFixture::kIndex, this->current, grid);
    for (std::size_t i = 0; i < TypeParam::Count; ++i) {
      for (const layout::Field& field : layout::Fields(TestFixture::kIndex))
        grid.SetCellText(field.column, static_cast<int>(i) + 1, text);
    }
    CommitActiveTable(TestFixture::kIndex, this->current, grid);
    EXPECT_EQ(this->SavedChanges(this->current), std::vector<std::size_t>{})
        << '\'' << text << '\'';
  }
}

// A typed text and the number it stands for.
struct TypedNumber {
  const char* text;
  std::int64_t value;
};
constexpr TypedNumber kTypedNumbers[] = {{"0", 0},
                                         {" 12", 12},
                                         {"+12", 12},
                                         {"007", 7},
                                         {"-0", 0},
                                         {"-3", -3},
                                         {"$1F", 31},
                                         {"x1F", 31},
                                         {"0x1f", 31},
                                         {"x7F", 127},
                                         {"$80", 128},
                                         {"-128", -128},
                                         {"-129", -129},
                                         {"200", 200},
                                         {"$FF", 255},
                                         {"256", 256},
                                         {"257", 257},
                                         {"300", 300},
                                         {"-1", -1},
                                         {"-32768", -32768},
                                         {"40000", 40000},
                                         {"65535", 65535},
                                         {"70000", 70000},
                                         {"$12345678", 0x12345678},
                                         {"$FFFFFFFF", -1},
                                         {"0xFFFFFFFF", -1},
                                         {"2147483647", 2147483647},
                                         {"-2147483648", -2147483648LL}};

// A number stores the low bits its field holds, and the grid shows them as the
// field reads them.
TYPED_TEST(TableColumnsTest, ANumberStoresTheLowBitsItsFieldHolds) {
  constexpr TableIndex index = TestFixture::kIndex;
  for (const TypedNumber& typed : kTypedNumbers) {
    MemoryGrid grid;
    FillActiveTable(index, this->current, grid);
    for (int entry : this->Entries()) {
      for (const layout::Field& field : layout::Fields(index))
        grid.SetCellText(field.column, entry + 1, typed.text);
    }
    CommitActiveTable(index, this->current, grid);
    FillActiveTable(index, this->current, grid);
    for (int entry : this->Entries()) {
      for (const layout::Field& field : layout::Fields(index)) {
        EXPECT_EQ(grid.CellText(field.column, entry + 1), ShownAfterStoring(typed.value, field))
            << "'" << typed.text << "' in entry " << entry << " column " << field.column;
      }
    }
  }
}

// An edited field changes exactly its bytes in the saved file, whether the
// grid commits it or the field is stored by index; a renamed entry changes
// nothing, as names are never read back.
TYPED_TEST(TableColumnsTest, AnEditedFieldWritesExactlyItsBytes) {
  constexpr TableIndex index = TestFixture::kIndex;
  for (int entry : this->Entries()) {
    for (const layout::Field& field : layout::Fields(index)) {
      const std::size_t at = this->FieldAt(entry, field);
      std::vector<std::size_t> expected;
      for (int k = 0; k < field.width; ++k)
        expected.push_back(at + static_cast<std::size_t>(k));
      SCOPED_TRACE("entry " + std::to_string(entry) + " column " + std::to_string(field.column));

      TableSet by_grid = this->current;
      MemoryGrid grid;
      FillActiveTable(index, by_grid, grid);
      grid.SetCellText(0, entry + 1, "renamed");
      grid.SetCellText(field.column, entry + 1, ComplementText(this->image, at, field));
      CommitActiveTable(index, by_grid, grid);
      EXPECT_EQ(this->SavedChanges(by_grid), expected);

      TableSet by_index = this->current;
      StoreFieldValue(by_index, index, entry, field.column,
                      static_cast<std::int32_t>(Complement(this->image, at, field)));
      EXPECT_EQ(this->SavedChanges(by_index), expected);
    }
  }
}

// Every cell of every entry edited at once: each field gets its value and no
// byte outside the fields changes, not in the records' unshown bytes, nor in
// the records between them that the table passes over.
TYPED_TEST(TableColumnsTest, EditingEveryCellWritesEveryFieldAndNothingElse) {
  constexpr TableIndex index = TestFixture::kIndex;
  MemoryGrid grid;
  FillActiveTable(index, this->current, grid);
  std::vector<std::size_t> field_bytes;
  for (std::size_t i = 0; i < TypeParam::Count; ++i) {
    for (const layout::Field& field : layout::Fields(index)) {
      const std::size_t at = this->FieldAt(static_cast<int>(i), field);
      grid.SetCellText(field.column, static_cast<int>(i) + 1,
                       ComplementText(this->image, at, field));
      for (int k = 0; k < field.width; ++k)
        field_bytes.push_back(at + static_cast<std::size_t>(k));
    }
  }
  std::sort(field_bytes.begin(), field_bytes.end());
  CommitActiveTable(index, this->current, grid);
  const Bytes saved = SaveTables(this->current, this->image);
  EXPECT_EQ(DifferingOffsets(this->image, saved), field_bytes);
  for (std::size_t i = 0; i < TypeParam::Count; ++i) {
    for (const layout::Field& field : layout::Fields(index)) {
      const std::size_t at = this->FieldAt(static_cast<int>(i), field);
      EXPECT_EQ(layout::FieldBits(saved, at, field), Complement(this->image, at, field))
          << "entry " << i << " column " << field.column;
    }
  }
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

}  // namespace
