#include "formats/patch_formats.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "tables/bl_table.h"
#include "tables/cr_table.h"
#include "tables/sp_table.h"

namespace {

using ByteSpan = std::span<const std::uint8_t>;

constexpr std::string_view kBpsMagic = "BPS1";
constexpr std::string_view kIpsMagic = "PATCH";
constexpr std::string_view kIpsEnd = "EOF";
constexpr std::size_t kIpsEndOffset = 0x454F46;  // "EOF" read as an offset
constexpr std::size_t kIpsMaxOffset = 0xFFFFFF;
constexpr std::size_t kIpsMaxLength = 0xFFFF;

enum BpsAction : std::uint64_t {
  kSourceRead = 0,
  kTargetRead = 1,
  kSourceCopy = 2,
  kTargetCopy = 3
};
constexpr std::size_t kBpsFooterSize = 12;

// A SourceRead between two TargetReads costs at least two bytes of action, so
// one or two equal bytes go into the TargetRead instead; an IPS record costs five.
constexpr std::size_t kBpsJoinWithin = 2;
constexpr std::size_t kIpsJoinWithin = 5;

bool StartsWith(ByteSpan bytes, std::string_view magic) {
  return bytes.size() >= magic.size() && std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

void Append(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void Append(Bytes& out, ByteSpan bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendBigEndian(Bytes& out, std::size_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendLittleEndian32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::size_t ReadBigEndian(ByteSpan bytes, std::size_t at, int size) {
  std::size_t value = 0;
  for (int i = 0; i < size; ++i)
    value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

std::uint32_t ReadLittleEndian32(ByteSpan bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

void AppendNumber(Bytes& out, std::uint64_t value) {
  for (;;) {
    const auto low = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
    if (value == 0) {
      out.push_back(0x80 | low);
      return;
    }
    out.push_back(low);
    --value;
  }
}

// Reads a number that ends before `end`. Refuses one that runs past it or does
// not fit 64 bits.
PatchRefusal ReadNumber(ByteSpan bytes, std::size_t& at, std::size_t end, std::uint64_t& value) {
  value = 0;
  for (int shift = 0;; shift += 7) {
    if (at >= end)
      return PatchRefusal::kCut;
    const std::uint8_t byte = bytes[at++];
    // Past 63 bits the sum would wrap: no size or offset is that large.
    if (shift > 56)
      return PatchRefusal::kDamaged;
    value += static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (byte & 0x80)
      return PatchRefusal::kNone;
    value += std::uint64_t{1} << (shift + 7);
  }
}

void AppendAction(Bytes& out, BpsAction action, std::size_t length) {
  AppendNumber(out, (static_cast<std::uint64_t>(length) - 1) << 2 | action);
}

// How far the bytes from `at` on agree, up to `end`: large blocks first, then
// cache lines, then bytes.
std::size_t SkipEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t at,
                      std::size_t end) {
  constexpr std::size_t kBlock = 4096;
  constexpr std::size_t kLine = 64;
  while (end - at >= kBlock && std::memcmp(a + at, b + at, kBlock) == 0)
    at += kBlock;
  while (end - at >= kLine && std::memcmp(a + at, b + at, kLine) == 0)
    at += kLine;
  while (at < end && a[at] == b[at])
    ++at;
  return at;
}

// zlib's CRC register with the inversions at either end taken off: started
// at zero and linear in the bytes, so bytes of zero before a run leave it as
// it is.
std::uint32_t RawCrc(const std::uint8_t* data, std::size_t size) {
  return ~static_cast<std::uint32_t>(crc32_z(0xFFFFFFFFu, data, size));
}

// The raw register `raw` after `count` more bytes of zero: zlib's combine with
// a CRC of zero behind it is exactly that shift.
std::uint32_t ShiftPastZeros(std::uint32_t raw, std::size_t count) {
  return static_cast<std::uint32_t>(crc32_combine(raw, 0, static_cast<z_off_t>(count)));
}

// The CRCs of a source and of a target that holds the source's bytes outside
// `differ` (sorted, within the shorter of the two).
struct FileCrcs {
  std::uint32_t source = 0;
  std::uint32_t target = 0;
};

FileCrcs CrcsOf(ByteSpan source, ByteSpan target, std::vector<ByteRange> differ) {
  const std::size_t common = std::min(source.size(), target.size());
  while (!differ.empty() && differ.back().offset >= common)
    differ.pop_back();
  if (!differ.empty() && differ.back().end() > common)
    differ.back().size = common - differ.back().offset;
  FileCrcs crcs;
  const std::uint32_t source_common = Crc32(source.first(common));
  crcs.source = Crc32(source.subspan(common), source_common);
  const std::uint32_t target_common =
      Crc32OfChanged(source_common, source.first(common), target.first(common), differ);
  crcs.target = Crc32(target.subspan(common), target_common);
  return crcs;
}

// Appends `count` bytes read from `from` on, as a copy one byte at a time
// would: where the copy overlaps what it writes, the bytes between `from` and
// the end repeat. Goes in blocks that do not overlap, doubling as they go.
// The target's capacity holds the bytes appended.
void CopyWithinTarget(Bytes& target, std::size_t from, std::size_t count) {
  const auto append_from = [&target](std::size_t at, std::size_t length) {
    const std::size_t end = target.size();
    target.resize(end + length);
    std::memcpy(target.data() + end, target.data() + at, length);
  };
  const std::size_t start = target.size();
  std::size_t done = std::min(count, start - from);
  append_from(from, done);
  // What is written from `start` on repeats with a period that `done` is a
  // multiple of, so it can be copied from `start` in blocks of `done`.
  while (done < count) {
    const std::size_t length = std::min(done, count - done);
    append_from(start, length);
    done += length;
  }
}

PatchOutcome Refused(PatchRefusal refusal) {
  return PatchOutcome{{}, refusal, std::nullopt};
}

PatchOutcome ApplyBps(ByteSpan patch, ByteSpan source) {
  if (patch.size() < kBpsMagic.size() + 3 + kBpsFooterSize)
    return Refused(PatchRefusal::kCut);
  const std::size_t actions_end = patch.size() - kBpsFooterSize;
  std::size_t at = kBpsMagic.size();
  std::uint64_t source_size = 0;
  std::uint64_t target_size = 0;
  std::uint64_t metadata_size = 0;
  for (std::uint64_t* number : {&source_size, &target_size, &metadata_size}) {
    if (const PatchRefusal refusal = ReadNumber(patch, at, actions_end, *number);
        refusal != PatchRefusal::kNone)
      return Refused(refusal);
  }
  if (metadata_size > actions_end - at)
    return Refused(PatchRefusal::kCut);
  at += static_cast<std::size_t>(metadata_size);
  if (target_size > kMaxPatchedFileSize)
    return Refused(PatchRefusal::kTooLarge);

  const std::uint32_t source_crc = ReadLittleEndian32(patch, actions_end);
  const std::uint32_t target_crc = ReadLittleEndian32(patch, actions_end + 4);
  const std::uint32_t patch_crc = ReadLittleEndian32(patch, actions_end + 8);
  const bool patch_intact = Crc32(patch.first(actions_end + 8)) == patch_crc;
  if (patch_intact && source_size != source.size())
    return Refused(PatchRefusal::kWrongSource);

  // A damaged patch reports its checksum rather than whatever went wrong in
  // reading it, except for an end that came too soon: that is a cut patch.
  const auto refuse = [&](PatchRefusal refusal) {
    if (!patch_intact && refusal != PatchRefusal::kCut)
      refusal = PatchRefusal::kBadPatchChecksum;
    return Refused(refusal);
  };

  const auto size = static_cast<std::size_t>(target_size);
  Bytes target;
  // Only reserved: the pages are touched as the actions write them, so a patch
  // that claims a large target and stops short costs little.
  target.reserve(size);
  std::vector<ByteRange> differ;  // where the target may differ from the source
  const auto mark = [&differ](std::size_t offset, std::size_t length) {
    if (!differ.empty() && differ.back().end() == offset)
      differ.back().size += length;
    else
      differ.push_back({offset, length});
  };
  // Moves a copy cursor by a signed relative offset, to a place before `limit`.
  const auto move_cursor = [&](std::size_t& cursor, std::size_t limit) {
    std::uint64_t data = 0;
    if (const PatchRefusal refusal = ReadNumber(patch, at, actions_end, data);
        refusal != PatchRefusal::kNone)
      return refusal;
    const std::uint64_t distance = data >> 1;
    if (data & 1) {
      if (distance > cursor)
        return PatchRefusal::kOutOfBounds;
      cursor -= static_cast<std::size_t>(distance);
    } else {
      if (distance >= limit)
        return PatchRefusal::kOutOfBounds;
      cursor += static_cast<std::size_t>(distance);
    }
    return cursor < limit ? PatchRefusal::kNone : PatchRefusal::kOutOfBounds;
  };

  std::size_t source_cursor = 0;
  std::size_t target_cursor = 0;
  while (at < actions_end) {
    std::uint64_t data = 0;
    if (const PatchRefusal refusal = ReadNumber(patch, at, actions_end, data);
        refusal != PatchRefusal::kNone)
      return refuse(refusal);
    const std::size_t out = target.size();
    const std::uint64_t length = (data >> 2) + 1;
    if (length > size - out)
      return refuse(PatchRefusal::kOutOfBounds);
    const auto count = static_cast<std::size_t>(length);
    switch (data & 3) {
      case kSourceRead:
        if (count > source.size() || out > source.size() - count)
          return refuse(PatchRefusal::kOutOfBounds);
        Append(target, source.subspan(out, count));
        break;
      case kTargetRead:
        if (count > actions_end - at)
          return refuse(PatchRefusal::kCut);
        Append(target, patch.subspan(at, count));
        at += count;
        mark(out, count);
        break;
      case kSourceCopy:
        if (const PatchRefusal refusal = move_cursor(source_cursor, source.size());
            refusal != PatchRefusal::kNone)
          return refuse(refusal);
        if (count > source.size() - source_cursor)
          return refuse(PatchRefusal::kOutOfBounds);
        Append(target, source.subspan(source_cursor, count));
        source_cursor += count;
        mark(out, count);
        break;
      case kTargetCopy:
        if (const PatchRefusal refusal = move_cursor(target_cursor, out);
            refusal != PatchRefusal::kNone)
          return refuse(refusal);
        CopyWithinTarget(target, target_cursor, count);
        target_cursor += count;
        mark(out, count);
        break;
    }
  }
  if (target.size() != size)
    return refuse(PatchRefusal::kCut);
  if (!patch_intact)
    return Refused(PatchRefusal::kBadPatchChecksum);

  const FileCrcs crcs = CrcsOf(source, target, differ);
  if (crcs.source != source_crc)
    return Refused(PatchRefusal::kWrongSource);
  if (crcs.target != target_crc)
    return Refused(PatchRefusal::kBadTargetChecksum);
  return PatchOutcome{std::move(target), PatchRefusal::kNone, std::move(differ)};
}

PatchOutcome ApplyIps(ByteSpan patch, ByteSpan source) {
  Bytes result(source.begin(), source.end());
  std::size_t at = kIpsMagic.size();
  for (;;) {
    if (patch.size() - at < 3)
      return Refused(PatchRefusal::kCut);
    const std::size_t offset = ReadBigEndian(patch, at, 3);
    at += 3;
    if (offset == kIpsEndOffset) {
      const std::size_t rest = patch.size() - at;
      if (rest == 3)
        result.resize(ReadBigEndian(patch, at, 3));
      else if (rest != 0)
        return Refused(PatchRefusal::kDamaged);
      return PatchOutcome{std::move(result), PatchRefusal::kNone, std::nullopt};
    }
    if (patch.size() - at < 2)
      return Refused(PatchRefusal::kCut);
    const std::size_t length = ReadBigEndian(patch, at, 2);
    at += 2;
    if (length == 0) {  // a run of one byte
      if (patch.size() - at < 3)
        return Refused(PatchRefusal::kCut);
      const std::size_t run = ReadBigEndian(patch, at, 2);
      const std::uint8_t value = patch[at + 2];
      at += 3;
      if (run > 0 && offset + run > result.size())
        result.resize(offset + run);
      std::fill_n(result.begin() + static_cast<std::ptrdiff_t>(offset), run, value);
    } else {
      if (patch.size() - at < length)
        return Refused(PatchRefusal::kCut);
      // The file grows to hold a record past its end; the offsets and lengths
      // IPS can write keep it under 17 MiB.
      if (offset + length > result.size())
        result.resize(offset + length);
      std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(at), length,
                  result.begin() + static_cast<std::ptrdiff_t>(offset));
      at += length;
    }
  }
}

}  // namespace

std::uint32_t Crc32(ByteSpan data, std::uint32_t previous) {
  // zlib answers a null pointer with its initial value instead.
  if (data.empty())
    return previous;
  return static_cast<std::uint32_t>(crc32_z(previous, data.data(), data.size()));
}

std::uint32_t Crc32OfChanged(std::uint32_t original_crc, ByteSpan original, ByteSpan changed,
                             const std::vector<ByteRange>& differ) {
  // For files of one length the two CRCs differ by the raw register of the
  // bytewise difference, which is zero outside `differ`; the register is
  // linear, so each range adds the raw CRCs of its two versions, shifted past
  // the zeros after it. A shift costs about as much as the CRC of a few
  // hundred bytes, so ranges closer than that are taken as one; for most of the
  // file the plain CRC is quicker.
  constexpr std::size_t kJoinWithin = 512;
  std::vector<ByteRange> spans;
  std::size_t covered = 0;
  for (const ByteRange& range : differ) {
    if (!spans.empty() && range.offset - spans.back().end() <= kJoinWithin) {
      covered += range.end() - spans.back().end();
      spans.back().size = range.end() - spans.back().offset;
    } else {
      spans.push_back(range);
      covered += range.size;
    }
    if (covered > changed.size() / 2)
      return Crc32(changed);
  }
  std::uint32_t delta = 0;
  for (const ByteRange& span : spans) {
    const std::uint32_t piece = RawCrc(original.data() + span.offset, span.size) ^
                                RawCrc(changed.data() + span.offset, span.size);
    delta ^= ShiftPastZeros(piece, changed.size() - span.end());
  }
  return original_crc ^ delta;
}

std::vector<ByteRange> ChangedRanges(ByteSpan before, ByteSpan after, std::size_t join_within) {
  const std::uint8_t* a = before.data();
  const std::uint8_t* b = after.data();
  const std::size_t common = std::min(before.size(), after.size());
  const std::size_t longer = std::max(before.size(), after.size());
  std::vector<ByteRange> ranges;
  std::size_t start = SkipEqual(a, b, 0, common);
  while (start < common) {
    std::size_t end = start;
    std::size_t next = start;
    for (;;) {
      while (end < common && a[end] != b[end])
        ++end;
      next = SkipEqual(a, b, end, common);
      if (next - end > join_within)
        break;
      // A short gap joins what follows it: another difference, or the longer
      // file's extra bytes.
      if (next < common) {
        end = next;
        continue;
      }
      if (longer > common)
        end = next;
      break;
    }
    ranges.push_back({start, end - start});
    start = next;
  }
  if (longer > common) {
    if (!ranges.empty() && ranges.back().end() == common)
      ranges.back().size += longer - common;
    else
      ranges.push_back({common, longer - common});
  }
  return ranges;
}

PatchOutcome MakeBpsPatch(ByteSpan source, ByteSpan target) {
  if (target.size() > kMaxPatchedFileSize)
    return Refused(PatchRefusal::kTooLarge);
  const std::vector<ByteRange> changed = ChangedRanges(source, target, kBpsJoinWithin);
  Bytes patch;
  std::size_t literal = 0;
  for (const ByteRange& range : changed)
    literal += range.size;
  patch.reserve(64 + literal + 4 * changed.size());
  Append(patch, kBpsMagic);
  AppendNumber(patch, source.size());
  AppendNumber(patch, target.size());
  AppendNumber(patch, 0);  // no metadata

  std::size_t written = 0;
  for (const ByteRange& range : changed) {
    if (range.offset >= target.size())
      break;  // the source's extra bytes: the target ends before them
    const std::size_t end = std::min(range.end(), target.size());
    if (range.offset > written)
      AppendAction(patch, kSourceRead, range.offset - written);
    AppendAction(patch, kTargetRead, end - range.offset);
    Append(patch, target.subspan(range.offset, end - range.offset));
    written = end;
  }
  if (written < target.size())
    AppendAction(patch, kSourceRead, target.size() - written);

  const FileCrcs crcs = CrcsOf(source, target, changed);
  AppendLittleEndian32(patch, crcs.source);
  AppendLittleEndian32(patch, crcs.target);
  AppendLittleEndian32(patch, Crc32(patch));
  return PatchOutcome{std::move(patch), PatchRefusal::kNone, std::nullopt};
}

PatchOutcome MakeIpsPatch(ByteSpan source, ByteSpan target) {
  const bool shrinks = target.size() < source.size();
  if (shrinks && target.size() > kIpsMaxOffset)
    return Refused(PatchRefusal::kIpsOutOfReach);
  Bytes patch;
  Append(patch, kIpsMagic);
  for (const ByteRange& range : ChangedRanges(source, target, kIpsJoinWithin)) {
    const std::size_t end = std::min(range.end(), target.size());
    for (std::size_t at = range.offset; at < end;) {
      // A record cannot start where its offset reads "EOF": it starts one byte
      // earlier, with that byte as the target has it.
      const std::size_t offset = at == kIpsEndOffset ? at - 1 : at;
      if (offset > kIpsMaxOffset)
        return Refused(PatchRefusal::kIpsOutOfReach);
      const std::size_t length = std::min(end - offset, kIpsMaxLength);
      AppendBigEndian(patch, offset, 3);
      AppendBigEndian(patch, length, 2);
      Append(patch, target.subspan(offset, length));
      at = offset + length;
    }
  }
  Append(patch, kIpsEnd);
  if (shrinks)
    AppendBigEndian(patch, target.size(), 3);
  return PatchOutcome{std::move(patch), PatchRefusal::kNone, std::nullopt};
}

PatchOutcome MakePatch(PatchFormat format, ByteSpan source, ByteSpan target) {
  return format == PatchFormat::kBps ? MakeBpsPatch(source, target) : MakeIpsPatch(source, target);
}

std::optional<PatchFormat> DetectPatchFormat(ByteSpan patch) {
  if (StartsWith(patch, kBpsMagic))
    return PatchFormat::kBps;
  if (StartsWith(patch, kIpsMagic))
    return PatchFormat::kIps;
  return std::nullopt;
}

PatchOutcome ApplyPatch(ByteSpan patch, ByteSpan source) {
  const std::optional<PatchFormat> format = DetectPatchFormat(patch);
  if (!format)
    return Refused(PatchRefusal::kUnknownFormat);
  return *format == PatchFormat::kBps ? ApplyBps(patch, source) : ApplyIps(patch, source);
}

const std::vector<ByteRange>& RecordByteRanges() {
  static const std::vector<ByteRange> ranges = [] {
    std::vector<ByteRange> fields;
    // The bytes of every grid column of a table's records at these offsets.
    const auto add_fields = [&fields]<typename Table>(std::type_identity<Table>,
                                                      const std::vector<std::size_t>& records) {
      for (std::size_t record : records)
        for (const GridColumn& column : Table::Columns)
          fields.push_back({record + column.field.offset, column.field.width});
    };
    std::vector<std::size_t> records;
    for (std::size_t k = 0; k < TCrTable::Count; ++k)
      records.push_back(CrRecordsOffset + TCrRecord::Size * k);
    add_fields(std::type_identity<TCrTable>{}, records);

    records.clear();
    const auto add_run = [&records](std::int32_t offset, int length, const auto& skip) {
      for (int k = 0; k < length; ++k)
        if (std::find(skip.begin(), skip.end(), k) == skip.end())
          records.push_back(static_cast<std::size_t>(offset + BlRecordSize * k));
    };
    add_run(BlFirstRunOffset, BlFirstRunLength, BlFirstRunSkip);
    add_run(BlSecondRunOffset, BlSecondRunLength, BlSecondRunSkip);
    records.push_back(BlLoneRecordOffset);
    add_fields(std::type_identity<TBlTable>{}, records);

    records.clear();
    for (std::size_t k = 0; k < TSpTable::Count; ++k)
      records.push_back(SpRecordsOffset + static_cast<std::size_t>(SpRecordStride) * k);
    add_fields(std::type_identity<TSpTable>{}, records);

    std::sort(fields.begin(), fields.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
    std::vector<ByteRange> joined;
    for (const ByteRange& range : fields) {
      if (!joined.empty() && range.offset <= joined.back().end())
        joined.back().size = std::max(joined.back().end(), range.end()) - joined.back().offset;
      else
        joined.push_back(range);
    }
    return joined;
  }();
  return ranges;
}

namespace {

// The bytes of `changed_ranges` (sorted, apart) that lie outside the records.
OutsideChanges CountOutsideRecords(const std::vector<ByteRange>& changed_ranges) {
  const std::vector<ByteRange>& records = RecordByteRanges();
  OutsideChanges outside;
  auto record = records.begin();
  for (const ByteRange& changed : changed_ranges) {
    // The parts of `changed` before, between and after the records it overlaps.
    const auto count = [&outside](std::size_t from, std::size_t to) {
      if (to <= from)
        return;
      if (outside.count == 0)
        outside.first = from;
      outside.count += to - from;
    };
    std::size_t at = changed.offset;
    while (at < changed.end()) {
      while (record != records.end() && record->end() <= at)
        ++record;
      if (record == records.end() || record->offset >= changed.end()) {
        count(at, changed.end());
        break;
      }
      count(at, record->offset);
      at = record->end();
    }
  }
  return outside;
}

}  // namespace

std::size_t RecordsEnd() {
  return RecordByteRanges().back().end();
}

OutsideChanges ChangesOutsideRecords(ByteSpan before, ByteSpan after) {
  const std::size_t common = std::min(before.size(), after.size());
  OutsideChanges outside =
      CountOutsideRecords(ChangedRanges(before.first(common), after.first(common)));
  outside.size_before = before.size();
  outside.size_after = after.size();
  return outside;
}

OutsideChanges ChangesOutsideRecords(ByteSpan source, const PatchOutcome& applied) {
  const ByteSpan after = applied.bytes;
  if (!applied.may_differ)
    return ChangesOutsideRecords(source, after);
  // The bytes both hold are compared only where the patch wrote; a change of
  // size is told as such.
  const std::size_t common = std::min(source.size(), after.size());
  std::vector<ByteRange> changed;
  for (const ByteRange& written : *applied.may_differ) {
    if (written.offset >= common)
      break;
    const std::size_t size = std::min(written.end(), common) - written.offset;
    for (ByteRange range :
         ChangedRanges(source.subspan(written.offset, size), after.subspan(written.offset, size))) {
      range.offset += written.offset;
      changed.push_back(range);
    }
  }
  OutsideChanges outside = CountOutsideRecords(changed);
  outside.size_before = source.size();
  outside.size_after = after.size();
  return outside;
}
