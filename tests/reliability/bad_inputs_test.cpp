// Whole files that are not the executable the editor knows: the sample cut
// anywhere (empty, one byte, one byte short, inside each table's records and
// inside each name list) or one byte long, all zero, all 0xFF, and names
// longer than 255 bytes. Each one opens to a defined set of tables, Save As
// without edits leaves it exactly as it was, and edits never make it grow.
// The document takes edits only to the records that lie wholly inside the
// file, and Save As writes every edit it takes.
// A loader that waits for bytes past the end hangs here and is stopped by the
// test's time limit.

#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/table_document.h"
#include "samplegen/sample_image.h"
#include "tables/table_set.h"
#include "tests/support/file_layout.h"
#include "tests/support/image_helpers.h"
#include "tests/support/memory_file_store.h"
#include "tests/support/memory_grid.h"

namespace {

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
    // Signed: 0xFFFF is -1.
    EXPECT_EQ(
        tables.SpTable.GetAlpha(i),
        static_cast<std::int16_t>(LoadedByte(image, offset, 3) | LoadedByte(image, offset, 4) << 8))
        << "spell " << int{i};
    EXPECT_EQ(tables.SpTable.GetMana(i), LoadedByte(image, offset, 5)) << "spell " << int{i};
  }
}

// Whether the record of `entry` lies wholly inside a file of `size` bytes (up
// to its last field's last byte): only then may an edit change it.
bool RecordInside(TableIndex table, int entry, std::size_t size) {
  std::size_t used = 0;
  for (const layout::Field& field : layout::Fields(table))
    used = std::max<std::size_t>(used, field.offset + field.width);
  return layout::RecordOffset(table, entry) + used <= size;
}

// Every byte that an edit may change in a file of `size` bytes: the fields of
// the records that lie wholly inside it.
std::vector<bool> WritableBytes(std::size_t size) {
  std::vector<bool> writable(size, false);
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry + 1 < RowCounts[table]; ++entry) {
      const std::size_t offset = layout::RecordOffset(table, entry);
      if (!RecordInside(table, entry, size))
        continue;
      for (const layout::Field& field : layout::Fields(table))
        for (int k = 0; k < field.width; ++k)
          writable[offset + field.offset + k] = true;
    }
  }
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

// The same through the document, as the window and the command line edit:
// every field set to -1 in one step. It takes exactly the fields of the
// records that lie wholly inside the file and refuses the others, and Save As
// writes every edit it took: no field is left differing from the saved file,
// and the saved file differs from `image` in exactly the fields taken.
void ExpectTheDocumentSavesEveryEditItTakes(const Bytes& image) {
  if (image.empty())
    return;  // refused by Open: no tables
  const QString source = QFileInfo(QStringLiteral("/short/HMM2PL.exe")).absoluteFilePath();
  const QString copy = QFileInfo(QStringLiteral("/short/copy.exe")).absoluteFilePath();
  MemoryFileStore store;
  store.files[source] = image;
  TableDocument document(&store);
  QString error;
  ASSERT_EQ(document.Open(
                source, [] { return true; }, error),
            TableDocument::Outcome::Done);
  std::vector<FieldValueChange> every_field;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column)
        every_field.push_back({{table, entry, column}, -1});
  SetFieldValues(document, QStringLiteral("все поля"), every_field);
  int wrong_refusals = 0;
  for (const FieldValueChange& change : every_field) {
    const FieldRef& field = change.field;
    const bool inside = RecordInside(field.table, field.entry, image.size());
    if (document.IsPastEnd(field) == inside && wrong_refusals++ < 5)
      ADD_FAILURE() << "table " << int{field.table} << " entry " << field.entry << " column "
                    << field.column << (inside ? " refused" : " taken past the end");
  }
  ASSERT_EQ(document.SaveAs(copy, nullptr, error), TableDocument::Outcome::Done)
      << error.toStdString();
  EXPECT_TRUE(document.Changes().empty()) << document.Changes().size() << " edits not written";
  const Bytes& saved = store.files.at(copy);
  ASSERT_EQ(saved.size(), image.size());
  const std::vector<bool> writable = WritableBytes(image.size());
  std::size_t wrong_bytes = 0;
  for (std::size_t offset = 0; offset < image.size(); ++offset) {
    if (saved[offset] != (writable[offset] ? 0xFF : image[offset]) && wrong_bytes++ < 5)
      ADD_FAILURE() << "saved byte " << offset << " is " << int{saved[offset]};
  }
}

// Opens `image` (every tab shown and left), saves it with the spells tab
// active, and checks every outcome, the names only where `names` gives them.
// Returns the tables as opened.
std::unique_ptr<TableSet> ExpectOpensAndSavesUnchanged(const Bytes& image,
                                                       const ExpectedNames* names) {
  auto tables = std::make_unique<TableSet>(LoadTables(image));
  MemoryGrid grid;
  for (TableIndex index = 0; index < kTableCount; ++index) {
    FillActiveTable(index, *tables, grid);
    CommitActiveTable(index, *tables, grid);
  }
  CommitActiveTable(kSpells, *tables, grid);
  EXPECT_EQ(SaveTables(*tables, image), image);
  if (names)
    ExpectNames(*tables, *names);
  ExpectRecordsLoadedFrom(*tables, image);
  ExpectEditsStayInsideWholeRecords(image);
  ExpectTheDocumentSavesEveryEditItTakes(image);
  return tables;
}

class BadInputs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sample_ = std::make_unique<Sample>(MakeSample(11)); }
  static void TearDownTestSuite() { sample_.reset(); }

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

TEST_F(BadInputs, SampleCutAnywhereOrOneByteLong) {
  std::vector<std::size_t> sizes = {
      0,
      1,
      ExpectedFileSize - 1,
      ExpectedFileSize,
      ExpectedFileSize + 1,  // one byte appended
      layout::CreatureRecord(0) + 1,
      layout::CreatureRecord(30) + 11,
      layout::CreatureRecord(65) + 25,
      layout::SpellRecord(64) + 10,        // in the bytes no one reads
      layout::BuildingRecords()[62] + 9,   // second run
      layout::BuildingRecords()[12] + 20,  // first run
      layout::BuildingRecords()[56] + 27,  // last of the first run
      layout::BuildingRecords()[81] + 13,  // lone record
  };
  for (std::size_t inside = 1; inside < layout::kSpellBytesUsed; ++inside)
    sizes.push_back(layout::SpellRecord(40) + inside);
  // Inside each name list: in the middle of a name, and right after it
  // before its zero byte.
  struct NameInList {
    std::size_t list_start;
    const std::vector<std::string>* names;
    std::size_t name;
  };
  const NameInList cut_names[] = {
      {layout::kCreatureNames, &sample_->creature_names, 10},
      {layout::kSpellNames, &sample_->spell_names, 30},
      {layout::kSharedNames, &sample_->shared_names, 0},
      {layout::kSharedNames, &sample_->shared_names, 6},
      {layout::kExtraNames, &sample_->extra_names, 2},
      {layout::kBuildingNames, &sample_->building_names, 20},
  };
  for (const NameInList& cut : cut_names) {
    const std::size_t start = NameStart(cut.list_start, *cut.names, cut.name);
    const std::size_t length = (*cut.names)[cut.name].size();
    ASSERT_GE(length, 2u);
    sizes.push_back(start + length / 2);
    sizes.push_back(start + length);
  }

  for (std::size_t size : sizes) {
    SCOPED_TRACE("sample cut to " + std::to_string(size) + " bytes");
    Bytes image = sample_->image;
    image.resize(size, 0x5A);
    const ExpectedNames names = NamesOfSampleCutAt(*sample_, size);
    ExpectOpensAndSavesUnchanged(image, &names);
  }
}

// All zero: every name is empty. All 0xFF: the first name of each list runs
// to the end of the file, keeps 255 bytes, and the names after it in that list
// find nothing left to read.
TEST_F(BadInputs, FilesOfOneRepeatedByte) {
  std::string ya_255;
  for (int i = 0; i < 255; ++i)
    ya_255 += "\xD1\x8F";  // the byte 0xFF is the letter ya
  const struct {
    std::uint8_t byte;
    std::string first_name_shown;
  } cases[] = {{0x00, ""}, {0xFF, ya_255}};
  for (const auto& c : cases) {
    SCOPED_TRACE("every byte " + std::to_string(c.byte));
    std::vector<std::string> list(70);
    list[0] = std::string(c.byte == 0 ? 0 : 255, static_cast<char>(c.byte));
    const ExpectedNames names = BuildingNamesFrom(list, list, list, list, list);
    const auto tables = ExpectOpensAndSavesUnchanged(Bytes(ExpectedFileSize, c.byte), &names);
    MemoryGrid grid;
    FillActiveTable(kCreatures, *tables, grid);
    EXPECT_EQ(grid.CellText(0, 1), c.first_name_shown);
  }
}

TEST_F(BadInputs, NamesLongerThan255Bytes) {
  // The first name of every list runs on for more than 255 bytes.
  Bytes image = sample_->image;
  const std::size_t starts[] = {layout::kCreatureNames, layout::kSpellNames, layout::kBuildingNames,
                                layout::kSharedNames, layout::kExtraNames};
  for (std::size_t start : starts) {
    for (std::size_t at = start; at < start + 256; ++at)
      image[at] = static_cast<std::uint8_t>('A' + at % 26);
  }
  const auto tables = ExpectOpensAndSavesUnchanged(image, nullptr);
  const auto first_255 = [&](std::size_t start) {
    return std::string(image.begin() + start, image.begin() + start + 255);
  };
  EXPECT_EQ(tables->CrTable.GetName(0).view(), first_255(layout::kCreatureNames));
  EXPECT_EQ(tables->SpTable.GetName(0).view(), first_255(layout::kSpellNames));
  EXPECT_EQ(tables->BlTable.GetName(0).view(), first_255(layout::kBuildingNames));
  EXPECT_EQ(tables->BlTable.GetName(57).view(), first_255(layout::kSharedNames));  // level cut off
  EXPECT_EQ(tables->BlTable.GetName(62).view(), first_255(layout::kExtraNames));
}

}  // namespace
