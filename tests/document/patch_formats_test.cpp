// BPS and IPS patches: made from two files and applied to the first, patches as
// other tools write them, the refusals, and which changed bytes lie outside
// the table records.

#include "formats/patch_formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "document/table_document.h"
#include "formats/patch_texts.h"
#include "samplegen/sample_image.h"
#include "tables/grid_shape.h"
#include "tables/table_set.h"

namespace {

using ByteSpan = std::span<const std::uint8_t>;

// CRC-32 one bit at a time, straight from its definition.
std::uint32_t ReferenceCrc(ByteSpan data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k)
      crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
  }
  return ~crc;
}

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes RandomBytes(std::mt19937& rng, std::size_t size) {
  Bytes bytes(size);
  for (std::uint8_t& byte : bytes)
    byte = static_cast<std::uint8_t>(rng());
  return bytes;
}

std::size_t Below(std::mt19937& rng, std::size_t limit) {
  return std::uniform_int_distribution<std::size_t>(0, limit - 1)(rng);
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);  // the test machines are little-endian
  return value;
}

// A BPS patch written by hand, as another tool might write it.
class BpsWriter {
 public:
  BpsWriter(std::size_t source_size, std::uint64_t target_size) {
    bytes_ = Text("BPS1");
    Number(source_size);
    Number(target_size);
    Number(0);
  }
  void Number(std::uint64_t value) {
    for (;;) {
      const auto low = static_cast<std::uint8_t>(value & 0x7F);
      value >>= 7;
      if (value == 0) {
        bytes_.push_back(0x80 | low);
        return;
      }
      bytes_.push_back(low);
      --value;
    }
  }
  BpsWriter& SourceRead(std::size_t length) { return Action(0, length); }
  BpsWriter& TargetRead(std::string_view data) {
    Action(1, data.size());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  BpsWriter& SourceCopy(std::size_t length, long distance) { return Copy(2, length, distance); }
  BpsWriter& TargetCopy(std::size_t length, long distance) { return Copy(3, length, distance); }
  // The patch with its checksums, for this source and target.
  Bytes Finish(ByteSpan source, ByteSpan target) {
    Bytes patch = bytes_;
    for (std::uint32_t crc : {ReferenceCrc(source), ReferenceCrc(target), 0u}) {
      if (crc == 0)
        crc = ReferenceCrc(patch);
      for (int shift = 0; shift < 32; shift += 8)
        patch.push_back(static_cast<std::uint8_t>(crc >> shift));
    }
    return patch;
  }

 private:
  BpsWriter& Action(std::uint64_t action, std::size_t length) {
    Number((std::uint64_t{length} - 1) << 2 | action);
    return *this;
  }
  BpsWriter& Copy(std::uint64_t action, std::size_t length, long distance) {
    Action(action, length);
    Number(static_cast<std::uint64_t>(distance < 0 ? -distance : distance) << 1 |
           (distance < 0 ? 1 : 0));
    return *this;
  }
  Bytes bytes_;
};

TEST(Crc32Test, AgreesWithTheDefinitionForEveryLengthAlignmentAndSplit) {
  EXPECT_EQ(Crc32(Text("123456789")), 0xCBF43926u);  // the published check value
  std::mt19937 rng(7);
  const Bytes data = RandomBytes(rng, 1300);
  for (std::size_t start = 0; start < 4; ++start) {
    for (std::size_t size = 0; start + size <= data.size(); ++size) {
      const ByteSpan piece(data.data() + start, size);
      ASSERT_EQ(Crc32(piece), ReferenceCrc(piece)) << "from " << start << ", " << size << " bytes";
    }
  }
  const std::size_t split = 700;
  EXPECT_EQ(Crc32(ByteSpan(data).subspan(split), Crc32(ByteSpan(data).first(split))),
            ReferenceCrc(data));
}

TEST(Crc32Test, OfChangedAgreesWithTheDefinition) {
  std::mt19937 rng(11);
  for (std::size_t ranges : {0, 1, 5, 40, 300}) {
    const Bytes original = RandomBytes(rng, 20000);
    Bytes changed = original;
    std::vector<ByteRange> differ;
    for (std::size_t at = Below(rng, 50); differ.size() < ranges && at < changed.size();) {
      const std::size_t size = std::min<std::size_t>(1 + Below(rng, 30), changed.size() - at);
      for (std::size_t i = at; i < at + size; ++i)
        changed[i] = static_cast<std::uint8_t>(rng());
      differ.push_back({at, size});
      // Mostly close together, now and then far apart, so that the ranges
      // are taken both as one and each on its own.
      at += size + 1 + Below(rng, 60) + (Below(rng, 4) == 0 ? Below(rng, 4000) : 0);
    }
    EXPECT_EQ(Crc32OfChanged(Crc32(original), original, changed, differ), ReferenceCrc(changed))
        << ranges << " ranges";
  }
}

// `base` with a few runs of bytes changed, and sometimes longer or shorter.
Bytes Edited(std::mt19937& rng, const Bytes& base, bool resize) {
  Bytes edited = base;
  const std::size_t edits = Below(rng, 40);
  for (std::size_t k = 0; k < edits && !edited.empty(); ++k) {
    const std::size_t at = Below(rng, edited.size());
    const std::size_t size = std::min<std::size_t>(1 + Below(rng, 40), edited.size() - at);
    for (std::size_t i = at; i < at + size; ++i)
      edited[i] = static_cast<std::uint8_t>(rng());
  }
  if (resize) {
    if (rng() % 2)
      edited.resize(edited.size() - Below(rng, edited.size() / 2 + 1));
    else
      edited.resize(edited.size() + Below(rng, 3000), static_cast<std::uint8_t>(rng()));
  }
  return edited;
}

// The sample with every field of the three tables set through the tables, as
// the editor saves them.
Bytes EveryFieldChanged(std::mt19937& rng, const Bytes& image) {
  TableSet tables = LoadTablesFrom(image);
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column)
        StoreFieldValue(tables, table, entry, column, static_cast<std::int32_t>(rng()));
    }
  }
  return WriteTablesInto(tables, image);
}

void ExpectRoundTrip(const Bytes& source, const Bytes& target, const std::string& what) {
  for (PatchFormat format : {PatchFormat::kBps, PatchFormat::kIps}) {
    const char* name = format == PatchFormat::kBps ? "BPS" : "IPS";
    const PatchOutcome patch = MakePatch(format, source, target);
    ASSERT_TRUE(patch.ok()) << name << ", " << what;
    EXPECT_EQ(DetectPatchFormat(patch.bytes), format) << what;
    const PatchOutcome applied = ApplyPatch(patch.bytes, source);
    ASSERT_TRUE(applied.ok()) << name << ", " << what << ": "
                              << PatchRefusalText(applied.refusal).toStdString();
    EXPECT_TRUE(applied.bytes == target) << name << ", " << what;
    if (format == PatchFormat::kBps) {
      const std::size_t footer = patch.bytes.size() - 12;
      EXPECT_EQ(Le32(patch.bytes, footer), ReferenceCrc(source)) << what;
      EXPECT_EQ(Le32(patch.bytes, footer + 4), ReferenceCrc(target)) << what;
    }
  }
}

TEST(PatchFormatsTest, PatchOfTwoFilesTurnsTheFirstIntoTheSecond) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 40; ++round) {
    const std::string what = "round " + std::to_string(round);
    if (round % 8 == 0) {
      const Bytes sample = MakeSample(static_cast<std::uint32_t>(round + 1)).image;
      const Bytes edited = EveryFieldChanged(rng, sample);
      ExpectRoundTrip(sample, edited, what + ", every field");
      EXPECT_EQ(ChangesOutsideRecords(sample, edited).count, 0u) << what;
      ExpectRoundTrip(sample, Edited(rng, sample, false), what + ", sample edited");
    } else {
      const Bytes base = RandomBytes(rng, 1 + Below(rng, 8000));
      ExpectRoundTrip(base, Edited(rng, base, round % 2 == 1), what);
    }
  }
  ExpectRoundTrip({}, Text("grown from nothing"), "empty source");
  ExpectRoundTrip(Text("cut to nothing"), {}, "empty target");
}

TEST(PatchFormatsTest, IpsStepsAroundTheOffsetThatReadsEofAndSplitsLongRuns) {
  std::mt19937 rng(5);
  const Bytes base(0x454F46 + 0x30000, 0x11);
  Bytes target = base;
  target[0x454F46] = 0x22;  // a lone change where a record cannot start
  for (std::size_t i = 0x454F46 + 0x100; i < 0x454F46 + 0x100 + 70000; ++i)
    target[i] = static_cast<std::uint8_t>(rng() | 1);  // longer than one record holds
  ExpectRoundTrip(base, target, "past 0x454F46");
}

TEST(PatchFormatsTest, AppliesEveryActionAndRecordAsOtherToolsWriteThem) {
  const Bytes source = Text("ABCDEFGHIJ");
  const Bytes bps_target = Text("ABCDEFxyxyxyxyxABCABCABCABCABCABCABCAB");
  const Bytes bps = BpsWriter(source.size(), bps_target.size())
                        .SourceRead(2)
                        .SourceCopy(4, 2)  // CDEF, leaving the source cursor at 6
                        .TargetRead("xy")
                        .TargetCopy(7, 6)   // from 6 while writing at 8: period 2
                        .SourceCopy(3, -6)  // ABC
                        .TargetCopy(20, 2)  // the cursor from 13 to 15, writing at 18: period 3
                        .Finish(source, bps_target);
  const PatchOutcome applied = ApplyPatch(bps, source);
  ASSERT_TRUE(applied.ok()) << PatchRefusalText(applied.refusal).toStdString();
  EXPECT_EQ(std::string(applied.bytes.begin(), applied.bytes.end()),
            std::string(bps_target.begin(), bps_target.end()));

  struct IpsCase {
    const char* what;
    std::string_view patch;
    std::string_view result;
  };
  using namespace std::string_view_literals;
  const IpsCase ips_cases[] = {
      {"a record, a run that grows the file, a cut",
       "PATCH\0\0\2\0\3xyz\0\0\x08\0\0\0\5#EOF\0\0\x0C"sv, "ABxyzFGH####"sv},
      {"a record past the end", "PATCH\0\0\x0C\0\2QQEOF"sv, "ABCDEFGHIJ\0\0QQ"sv},
  };
  for (const IpsCase& c : ips_cases) {
    const PatchOutcome ips = ApplyPatch(Text(c.patch), source);
    ASSERT_TRUE(ips.ok()) << c.what;
    EXPECT_EQ(std::string(ips.bytes.begin(), ips.bytes.end()), std::string(c.result)) << c.what;
  }
}

TEST(PatchFormatsTest, RefusesWhatItCannotApplyAndSaysWhy) {
  std::mt19937 rng(3);
  const Bytes source = RandomBytes(rng, 5000);
  Bytes target = source;
  for (std::size_t i = 1000; i < 1020; ++i)
    target[i] ^= 0x5A;
  const Bytes bps = MakeBpsPatch(source, target).bytes;
  const Bytes ips = MakeIpsPatch(source, target).bytes;

  Bytes other_file = source;
  other_file[3000] ^= 1;
  Bytes longer_file = source;
  longer_file.push_back(0);
  // The result's checksum changed, with the patch's own checksum made to fit.
  Bytes wrong_result = bps;
  wrong_result[wrong_result.size() - 8] ^= 1;
  wrong_result.resize(wrong_result.size() - 4);
  const std::uint32_t refit = ReferenceCrc(wrong_result);
  for (int shift = 0; shift < 32; shift += 8)
    wrong_result.push_back(static_cast<std::uint8_t>(refit >> shift));
  Bytes damaged = bps;
  damaged[damaged.size() - 8] ^= 1;
  Bytes after_eof = ips;
  after_eof.push_back('!');

  struct Row {
    const char* what;
    Bytes patch;
    Bytes source;
    PatchRefusal refusal;
  };
  const Row rows[] = {
      {"BPS for another file of the same size", bps, other_file, PatchRefusal::kWrongSource},
      {"BPS for a file of another size", bps, longer_file, PatchRefusal::kWrongSource},
      {"BPS cut short", Bytes(bps.begin(), bps.end() - 20), source, PatchRefusal::kCut},
      {"IPS without its end", Bytes(ips.begin(), ips.end() - 3), source, PatchRefusal::kCut},
      {"IPS cut inside a record", Bytes(ips.begin(), ips.begin() + 12), source, PatchRefusal::kCut},
      {"BPS with a changed byte", damaged, source, PatchRefusal::kBadPatchChecksum},
      {"BPS whose result is not what it promises", wrong_result, source,
       PatchRefusal::kBadTargetChecksum},
      {"IPS with bytes after its end", after_eof, source, PatchRefusal::kDamaged},
      {"garbage", RandomBytes(rng, 300), source, PatchRefusal::kUnknownFormat},
      {"nothing", {}, source, PatchRefusal::kUnknownFormat},
      {"BPS claiming a target of 2^60 bytes",
       BpsWriter(source.size(), std::uint64_t{1} << 60).SourceRead(1).Finish(source, target),
       source, PatchRefusal::kTooLarge},
      {"BPS reading past the source",
       BpsWriter(source.size(), source.size() + 1).SourceRead(source.size() + 1).Finish(source, {}),
       source, PatchRefusal::kOutOfBounds},
      {"BPS copying from the target before anything is written",
       BpsWriter(source.size(), 4).TargetCopy(4, 0).Finish(source, {}), source,
       PatchRefusal::kOutOfBounds},
  };
  for (const Row& row : rows) {
    const PatchOutcome outcome = ApplyPatch(row.patch, row.source);
    EXPECT_EQ(outcome.refusal, row.refusal) << row.what;
    EXPECT_TRUE(outcome.bytes.empty()) << row.what;
  }
  EXPECT_EQ(PatchRefusalText(PatchRefusal::kWrongSource),
            QStringLiteral("патч сделан для другого файла"));
}

TEST(PatchFormatsTest, CountsChangedBytesOutsideTheTableRecords) {
  const Bytes sample = MakeSample(1).image;
  struct Row {
    const char* what;
    std::vector<std::size_t> changed;
    std::size_t outside;
    std::size_t first;
  };
  const std::size_t creatures = CrRecordsOffset;
  const std::size_t not_a_building = BlFirstRunOffset + BlRecordSize * BlFirstRunSkip[0];
  const Row rows[] = {
      {"inside fields only",
       {creatures, creatures + 66 * 26 - 1, BlLoneRecordOffset + 27, SpRecordsOffset + 22 * 64,
        SpRecordsOffset + 22 * 64 + 5},
       0,
       0},
      {"record bytes that no field shows",
       {creatures + 26 * 3 + 17, creatures + 26 * 3 + 21, SpRecordsOffset + 1,
        SpRecordsOffset + 22 * 64 + 21},
       4,
       creatures + 26 * 3 + 17},
      {"either side of the creature block",
       {creatures - 1, creatures, creatures + 66 * 26},
       2,
       creatures - 1},
      {"a record between buildings that is no building",
       {not_a_building + 5},
       1,
       not_a_building + 5},
  };
  // Counted from the bytes, and from them as a BPS patch applied, which
  // compares only where the patch wrote: both the same.
  const auto outside_of = [&sample](const Bytes& changed) {
    const OutsideChanges compared = ChangesOutsideRecords(sample, changed);
    const PatchOutcome applied = ApplyPatch(MakeBpsPatch(sample, changed).bytes, sample);
    EXPECT_TRUE(applied.may_differ.has_value());
    const OutsideChanges from_patch = ChangesOutsideRecords(sample, applied);
    EXPECT_EQ(from_patch.count, compared.count);
    EXPECT_EQ(from_patch.first, compared.first);
    EXPECT_EQ(from_patch.size_before, sample.size());
    EXPECT_EQ(from_patch.size_after, changed.size());
    EXPECT_EQ(compared.size_after, changed.size());
    return compared;
  };
  for (const Row& row : rows) {
    Bytes changed = sample;
    for (std::size_t at : row.changed)
      changed[at] ^= 0xFF;
    const OutsideChanges outside = outside_of(changed);
    EXPECT_EQ(outside.count, row.outside) << row.what;
    if (row.outside > 0) {
      EXPECT_EQ(outside.first, row.first) << row.what;
    }
  }
  // A change of size is told as such, not as the bytes added or cut.
  Bytes grown = sample;
  grown.insert(grown.end(), {1, 2, 3});
  const OutsideChanges tail = outside_of(grown);
  EXPECT_EQ(tail.count, 0u);
  EXPECT_EQ(OutsideChangesText(tail),
            QStringLiteral("патч меняет размер файла с 1208393 до 1208396 байт"));
  grown[100] ^= 0xFF;
  EXPECT_EQ(OutsideChangesText(outside_of(grown)),
            QStringLiteral("патч меняет размер файла с 1208393 до 1208396 байт и меняет 1 байт "
                           "вне записей таблиц, первый по смещению 0x000064 (100)"));
  const OutsideChanges cut = outside_of(Bytes(sample.begin(), sample.begin() + 1000));
  EXPECT_EQ(cut.count, 0u);
  EXPECT_TRUE(cut.Resizes());
  EXPECT_EQ(OutsideChangesText(cut),
            QStringLiteral("патч меняет размер файла с 1208393 до 1000 байт"));
}

}  // namespace
