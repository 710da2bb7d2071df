// Whole files that are not the executable the editor knows: empty, one byte,
// one byte short or long, cut inside each table's records and inside each name
// list, all zero, all 0xFF. Each one opens to a defined set of tables, Save As
// without edits leaves it exactly as it was, and edits never make it grow.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "../support/file_layout.h"
#include "../support/image_helpers.h"
#include "../support/memory_grid.h"
#include "sample_image.h"
#include "table_set.h"

namespace {

using std::chrono::steady_clock;

// Names the building loader makes itself, in Windows-1251.
const std::string kRecruitGrowthName =
    "\xCF\xF0\xE8\xF0\xEE\xF1\xF2 \xE2\xEE\xE8\xED\xEE\xE2 1 \xF3\xF0.";
const std::string kDarkShrineName = "\xD2\xE5\xEC\xED\xE0\xFF \xF1\xE2\xFF\xF2\xFB\xED\xFF";

std::string LevelName(const std::string& base, int level) {
  return (base + " " + std::to_string(level) + " \xF3\xF0.").substr(0, 255);
}

// The names each table should hold: creatures, buildings, spells.
struct ExpectedNames {
  std::vector<std::string> creatures, buildings, spells;
};

ExpectedNames BuildingNamesFrom(std::vector<std::string> creatures, std::vector<std::string> spells,
                                const std::vector<std::string>& building_list,
                                const std::vector<std::string>& shared,
                                const std::vector<std::string>& extra) {
  ExpectedNames names{std::move(creatures), {}, std::move(spells)};
  names.buildings.assign(building_list.begin(), building_list.begin() + 57);
  for (int level = 1; level <= 5; ++level)
    names.buildings.push_back(LevelName(shared.at(0), level));
  names.buildings.insert(names.buildings.end(), extra.begin(), extra.begin() + 6);
  for (int k = 0; k < 14; ++k) {
    if (k == 11)
      names.buildings.push_back(kRecruitGrowthName);
    if (k != 5 && k != 12)
      names.buildings.push_back(shared.at(k));
  }
  names.buildings.push_back(kDarkShrineName);
  return names;
}

// Where each name of a list starts in the full sample and what it is; the list
// as the loader sees it in the sample cut to `size` bytes: names that begin
// past the cut are empty, the name the cut falls in keeps its bytes up to it.
std::vector<std::string> ListCutAt(const Bytes& full, std::size_t list_start,
                                   const std::vector<std::string>& names, std::size_t size) {
  std::vector<std::string> result;
  std::size_t at = list_start;
  for (const std::string& name : names) {
    EXPECT_EQ(std::string(full.begin() + at, full.begin() + at + name.size()), name);
    const std::size_t kept = at >= size ? 0 : std::min(name.size(), size - at);
    result.push_back(name.substr(0, kept));
    at += name.size();
    while (at < full.size() && full[at] == 0)
      ++at;
  }
  return result;
}

ExpectedNames NamesOfSampleCutAt(const Sample& sample, std::size_t size) {
  return BuildingNamesFrom(
      ListCutAt(sample.image, layout::kCreatureNames, sample.creature_names, size),
      ListCutAt(sample.image, layout::kSpellNames, sample.spell_names, size),
      ListCutAt(sample.image, layout::kBuildingNames, sample.building_names, size),
      ListCutAt(sample.image, layout::kSharedNames, sample.shared_names, size),
      ListCutAt(sample.image, layout::kExtraNames, sample.extra_names, size));
}

// Record byte k of the record at `offset` as loaded from `image`: the file's
// byte where there is one, zero past the end.
std::uint8_t LoadedByte(const Bytes& image, std::size_t offset, std::size_t k) {
  return offset + k < image.size() ? image[offset + k] : 0;
}

struct Opened {
  std::unique_ptr<TableSet> tables = std::make_unique<TableSet>();
  Bytes saved;
  double seconds = 0;
};

// Open, every tab shown and left, Save As with the spells tab active.
Opened OpenAndSave(const Bytes& image) {
  const auto start = steady_clock::now();
  Opened opened;
  *opened.tables = LoadTables(image);
  MemoryGrid grid;
  for (TableIndex index = 0; index < kTableCount; ++index) {
    FillActiveTable(index, *opened.tables, grid);
    CommitActiveTable(index, *opened.tables, grid);
  }
  CommitActiveTable(kSpells, *opened.tables, grid);
  opened.saved = SaveTables(*opened.tables, image);
  opened.seconds = std::chrono::duration<double>(steady_clock::now() - start).count();
  return opened;
}

void ExpectNames(const TableSet& tables, const ExpectedNames& names) {
  for (std::uint8_t i = 0; i < layout::kCreatureCount; ++i)
    EXPECT_EQ(tables.CrTable.GetName(i).view(), names.creatures.at(i)) << "creature " << int{i};
  for (std::uint8_t i = 0; i < layout::kBuildingCount; ++i)
    EXPECT_EQ(tables.BlTable.GetName(i).view(), names.buildings.at(i)) << "building " << int{i};
  for (std::uint8_t i = 0; i < layout::kSpellCount; ++i)
    EXPECT_EQ(tables.SpTable.GetName(i).view(), names.spells.at(i)) << "spell " << int{i};
}

// Every record as loaded from `image`, byte by byte, at the places the layout gives.
void ExpectRecordsLoadedFrom(const TableSet& tables, const Bytes& image) {
  for (std::uint8_t i = 0; i < layout::kCreatureCount; ++i) {
    const std::size_t offset = layout::CreatureRecord(i);
    ASSERT_EQ(tables.CrTable.GetOffset(i), static_cast<std::int32_t>(offset));
    for (std::size_t k = 0; k < layout::kCreatureRecordSize; ++k)
      EXPECT_EQ(tables.CrTable.GetRecord(i).Bytes[k], LoadedByte(image, offset, k))
          << "creature " << int{i} << " byte " << k;
  }
  for (std::uint8_t i = 0; i < layout::kBuildingCount; ++i) {
    const std::size_t offset = layout::BuildingRecords()[i];
    ASSERT_EQ(tables.BlTable.GetOffset(i), static_cast<std::int32_t>(offset));
    for (std::size_t k = 0; k < layout::kBuildingRecordSize; ++k)
      EXPECT_EQ(tables.BlTable.GetRecord(i).Bytes[k], LoadedByte(image, offset, k))
          << "building " << int{i} << " byte " << k;
  }
  for (std::uint8_t i = 0; i < layout::kSpellCount; ++i) {
    const std::size_t offset = layout::SpellRecord(i);
    ASSERT_EQ(tables.SpTable.GetOffset(i), static_cast<std::int32_t>(offset));
    EXPECT_EQ(tables.SpTable.GetLevel(i), LoadedByte(image, offset, 0)) << "spell " << int{i};
    EXPECT_EQ(static_cast<std::uint16_t>(tables.SpTable.GetAlpha(i)),
              LoadedByte(image, offset, 3) | LoadedByte(image, offset, 4) << 8)
        << "spell " << int{i};
    EXPECT_EQ(tables.SpTable.GetMana(i), LoadedByte(image, offset, 5)) << "spell " << int{i};
  }
}

// Every byte that an edit may change in a file of `size` bytes: the fields of
// the records that lie wholly inside it.
std::vector<bool> WritableBytes(std::size_t size) {
  std::vector<bool> writable(size, false);
  auto allow = [&](std::size_t offset, std::size_t length, std::initializer_list<int> bytes) {
    if (offset + length > size)
      return;
    for (int k : bytes)
      writable[offset + k] = true;
  };
  for (std::size_t i = 0; i < layout::kCreatureCount; ++i) {
    allow(layout::CreatureRecord(i), layout::kCreatureRecordSize,
          {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 22, 23, 24, 25});
  }
  for (std::size_t offset : layout::BuildingRecords()) {
    allow(offset, layout::kBuildingRecordSize,
          {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
           14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27});
  }
  for (std::size_t i = 0; i < layout::kSpellCount; ++i)
    allow(layout::SpellRecord(i), layout::kSpellBytesUsed, {0, 3, 4, 5});
  return writable;
}

// Every field of every table set to -1 (all bits set) and saved: the file
// keeps its size and only the fields of whole records change.
void ExpectEditsStayInsideWholeRecords(const Bytes& image) {
  auto tables = std::make_unique<TableSet>(LoadTables(image));
  MemoryGrid grid;
  for (TableIndex index = 0; index < kTableCount; ++index) {
    FillActiveTable(index, *tables, grid);
    for (int row = 1; row < RowCounts[index]; ++row) {
      for (int column = 1; column < ColCounts[index]; ++column)
        grid.SetCellText(column, row, "-1");
    }
    CommitActiveTable(index, *tables, grid);
  }
  const Bytes saved = SaveTables(*tables, image);
  ASSERT_EQ(saved.size(), image.size());
  const std::vector<bool> writable = WritableBytes(image.size());
  for (std::size_t offset : DifferingOffsets(image, saved)) {
    EXPECT_TRUE(writable[offset]) << "byte " << offset << " of a file of " << image.size();
    EXPECT_EQ(saved[offset], 0xFF);
  }
}

constexpr double kNoHangSeconds = 20;

class BadInputs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sample_ = std::make_unique<Sample>(MakeSample(11)); }
  static void TearDownTestSuite() { sample_.reset(); }

  // Opens the sample cut to `size` bytes and checks every outcome.
  static void CheckSampleCutAt(std::size_t size) {
    SCOPED_TRACE("sample cut to " + std::to_string(size) + " bytes");
    const Bytes image(sample_->image.begin(), sample_->image.begin() + size);
    const Opened opened = OpenAndSave(image);
    EXPECT_LT(opened.seconds, kNoHangSeconds);
    EXPECT_EQ(opened.saved, image);
    ExpectNames(*opened.tables, NamesOfSampleCutAt(*sample_, size));
    ExpectRecordsLoadedFrom(*opened.tables, image);
    ExpectEditsStayInsideWholeRecords(image);
  }

  // Where name `k` of a list starts in the sample.
  static std::size_t NameStart(std::size_t list_start, const std::vector<std::string>& names,
                               std::size_t k) {
    std::size_t at = list_start;
    for (std::size_t i = 0; i < k; ++i) {
      at += names[i].size();
      while (sample_->image[at] == 0)
        ++at;
    }
    return at;
  }

  static std::unique_ptr<Sample> sample_;
};

std::unique_ptr<Sample> BadInputs::sample_;

TEST_F(BadInputs, EmptyAndOneByteFilesOpenToEmptyTables) {
  CheckSampleCutAt(0);
  CheckSampleCutAt(1);
  const Opened one = OpenAndSave(Bytes{0x41});
  EXPECT_EQ(one.saved, Bytes{0x41});
  EXPECT_EQ(one.tables->BlTable.GetName(57).view(), LevelName("", 1));
  EXPECT_EQ(one.tables->BlTable.GetName(78).view(), kRecruitGrowthName);
  EXPECT_TRUE(one.tables->CrTable.GetName(0).empty());
}

TEST_F(BadInputs, OneByteShortOrLongKeepsEveryTable) {
  CheckSampleCutAt(ExpectedFileSize - 1);
  CheckSampleCutAt(ExpectedFileSize);

  Bytes longer = sample_->image;
  longer.push_back(0x5A);
  const Opened opened = OpenAndSave(longer);
  EXPECT_EQ(opened.saved, longer);
  ExpectNames(*opened.tables, NamesOfSampleCutAt(*sample_, ExpectedFileSize));
  ExpectRecordsLoadedFrom(*opened.tables, sample_->image);
  ExpectEditsStayInsideWholeRecords(longer);
}

TEST_F(BadInputs, CutInsideTheRecordsOfEachTable) {
  CheckSampleCutAt(layout::CreatureRecord(0) + 1);
  CheckSampleCutAt(layout::CreatureRecord(30) + 11);
  CheckSampleCutAt(layout::CreatureRecord(65) + 25);
  for (std::size_t inside = 1; inside < layout::kSpellBytesUsed; ++inside)
    CheckSampleCutAt(layout::SpellRecord(40) + inside);
  CheckSampleCutAt(layout::SpellRecord(64) + 10);        // in the bytes no one reads
  CheckSampleCutAt(layout::BuildingRecords()[62] + 9);   // second run
  CheckSampleCutAt(layout::BuildingRecords()[12] + 20);  // first run
  CheckSampleCutAt(layout::BuildingRecords()[56] + 27);  // last of the first run
  CheckSampleCutAt(layout::BuildingRecords()[81] + 13);  // lone record
}

TEST_F(BadInputs, CutInsideEachNameList) {
  struct List {
    std::size_t start;
    const std::vector<std::string>* names;
    std::size_t name;
  };
  const List lists[] = {
      {layout::kCreatureNames, &sample_->creature_names, 10},
      {layout::kSpellNames, &sample_->spell_names, 30},
      {layout::kSharedNames, &sample_->shared_names, 0},
      {layout::kSharedNames, &sample_->shared_names, 6},
      {layout::kExtraNames, &sample_->extra_names, 2},
      {layout::kBuildingNames, &sample_->building_names, 20},
  };
  for (const List& list : lists) {
    const std::size_t start = NameStart(list.start, *list.names, list.name);
    const std::size_t length = (*list.names)[list.name].size();
    ASSERT_GE(length, 2u);
    CheckSampleCutAt(start + length / 2);  // in the middle of the name
    CheckSampleCutAt(start + length);      // right after it, before its zero byte
  }
}

TEST_F(BadInputs, AllZeroFileHasEmptyNamesAndZeroRecords) {
  const Bytes zeros(ExpectedFileSize, 0);
  const Opened opened = OpenAndSave(zeros);
  EXPECT_LT(opened.seconds, kNoHangSeconds);
  EXPECT_EQ(opened.saved, zeros);
  const std::vector<std::string> empty(70);
  ExpectNames(*opened.tables, BuildingNamesFrom(empty, empty, empty, empty, empty));
  ExpectRecordsLoadedFrom(*opened.tables, zeros);
  ExpectEditsStayInsideWholeRecords(zeros);
}

TEST_F(BadInputs, AllFFFileHas255ByteNamesWithoutATerminator) {
  const Bytes ones(ExpectedFileSize, 0xFF);
  const Opened opened = OpenAndSave(ones);
  EXPECT_LT(opened.seconds, kNoHangSeconds);
  EXPECT_EQ(opened.saved, ones);
  // The first name of each list runs to the end of the file: it keeps 255
  // bytes, and the names after it in that list find nothing left to read.
  std::vector<std::string> list(70);
  list[0] = std::string(255, '\xFF');
  ExpectNames(*opened.tables, BuildingNamesFrom(list, list, list, list, list));
  EXPECT_EQ(opened.tables->BlTable.GetName(61).view(), list[0]);  // level suffix cut off
  ExpectRecordsLoadedFrom(*opened.tables, ones);
  EXPECT_EQ(opened.tables->SpTable.GetAlpha(0), -1);
  ExpectEditsStayInsideWholeRecords(ones);

  MemoryGrid grid;
  FillActiveTable(kCreatures, *opened.tables, grid);
  std::string shown;
  for (int i = 0; i < 255; ++i)
    shown += "\xD1\x8F";  // the byte 0xFF is the letter ya
  EXPECT_EQ(grid.CellText(0, 1), shown);
}

TEST_F(BadInputs, ZeroRunsAndNamesLongerThan255Bytes) {
  // The first name of every list runs on for more than 255 bytes.
  Bytes image = sample_->image;
  for (std::size_t start : {layout::kCreatureNames, layout::kSpellNames, layout::kSharedNames,
                            layout::kExtraNames, layout::kBuildingNames}) {
    for (std::size_t at = start; at < start + 256 && at < image.size(); ++at)
      image[at] = static_cast<std::uint8_t>('A' + at % 26);
  }
  const Opened opened = OpenAndSave(image);
  EXPECT_EQ(opened.saved, image);
  EXPECT_EQ(opened.tables->CrTable.GetName(0).size(), 255u);
}

}  // namespace
