#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tables/target_file.h"

// Patches for players: the changes between two files as a BPS or an IPS patch,
// and such a patch, from this program or from another tool, applied to a file.
//
// BPS: "BPS1", then variable-length numbers (seven bits a byte, the top bit
// ending the number, one subtracted after each byte) for the source size, the
// target size and the metadata size, the metadata, then actions that write the
// target from its start: SourceRead (the source's bytes at the same place),
// TargetRead (bytes from the patch), SourceCopy and TargetCopy (from a place in
// the source or in the target written so far, each kept by its own cursor and
// moved by a signed relative offset). Then the CRC-32 of the source, of the
// target and of the patch before it, each little-endian.
//
// IPS: "PATCH", then records of a 3-byte big-endian offset, a 2-byte length and
// that many bytes, or, for length 0, a 2-byte run length and the byte to
// repeat, then "EOF", optionally followed by a 3-byte size the result is cut
// to. An offset of 0x454F46 reads as "EOF", so no record starts there.

enum class PatchFormat { kBps, kIps };

// A run of bytes in a file: `size` bytes from `offset`.
struct ByteRange {
  std::size_t offset = 0;
  std::size_t size = 0;
  std::size_t end() const { return offset + size; }
  friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// The CRC-32 both formats use (zlib's); `previous` is the CRC of the bytes
// before `data`, so Crc32(b, Crc32(a)) is the CRC of a followed by b.
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t previous = 0);
// The CRC of `changed`, from the CRC of `original`, which has as many bytes and
// holds the same ones outside `differ` (sorted, not overlapping, inside both).
// It reads only the bytes inside `differ`, so for a few changes it costs next
// to nothing beside a CRC of the whole.
std::uint32_t Crc32OfChanged(std::uint32_t original_crc, std::span<const std::uint8_t> original,
                             std::span<const std::uint8_t> changed,
                             const std::vector<ByteRange>& differ);

// Why a patch cannot be made or applied. PatchRefusalText words each one.
enum class PatchRefusal {
  kNone,
  kUnknownFormat,      // neither "BPS1" nor "PATCH" at the start
  kCut,                // the patch ends before what it describes is complete
  kDamaged,            // the patch is not laid out as its format says
  kBadPatchChecksum,   // the patch's own CRC does not match: it is damaged
  kWrongSource,        // a BPS patch for a source of another size or CRC
  kBadTargetChecksum,  // the result's CRC is not the one the patch promises
  kOutOfBounds,        // an action reads or writes outside the source, the target or the patch
  kTooLarge,           // the patch describes a result larger than any file this program reads
  kIpsOutOfReach,      // IPS cannot address a change this far into the file
};

struct PatchOutcome {
  Bytes bytes;  // the patch made, or the patched file; empty when refused
  PatchRefusal refusal = PatchRefusal::kNone;
  // For a BPS patch applied: the runs its actions wrote other than the
  // source's bytes at the same place (sorted, apart). Elsewhere the patched
  // file holds the source's very bytes, as far as both reach.
  std::optional<std::vector<ByteRange>> may_differ;
  bool ok() const { return refusal == PatchRefusal::kNone; }
};

// The largest result a patch may describe: as large as the file store reads.
inline constexpr std::uint64_t kMaxPatchedFileSize = 256 * 1024 * 1024;

// A BPS patch that turns `source` into `target`: SourceRead where the bytes are
// the same, TargetRead where they differ or where the target is longer.
PatchOutcome MakeBpsPatch(std::span<const std::uint8_t> source,
                          std::span<const std::uint8_t> target);
// An IPS patch that turns `source` into `target`; a target shorter than the
// source ends with the size after "EOF". Refused when a change lies past the
// 16 MiB that IPS offsets reach.
PatchOutcome MakeIpsPatch(std::span<const std::uint8_t> source,
                          std::span<const std::uint8_t> target);
PatchOutcome MakePatch(PatchFormat format, std::span<const std::uint8_t> source,
                       std::span<const std::uint8_t> target);

// The format by the patch's first bytes.
std::optional<PatchFormat> DetectPatchFormat(std::span<const std::uint8_t> patch);

// The file that `patch` makes of `source`. Every size, offset and length in the
// patch is checked before it is used, and nothing larger than
// kMaxPatchedFileSize is allocated.
PatchOutcome ApplyPatch(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source);

// The runs of bytes that differ between `before` and `after`, in order; where
// one is longer, its extra bytes make the last run. Runs with at most
// `join_within` equal bytes between them are joined into one.
std::vector<ByteRange> ChangedRanges(std::span<const std::uint8_t> before,
                                     std::span<const std::uint8_t> after,
                                     std::size_t join_within = 0);

// The bytes the editor can change: those of every field of the three tables'
// records, sorted and joined where they touch. Each building record counts on
// its own, not the runs they lie in (the records between them that are no
// buildings are never written); record bytes that no field shows (bytes 17 to
// 21 of a creature, all but bytes 0 and 3 to 5 of a spell's 22) are not
// among them either.
const std::vector<ByteRange>& RecordByteRanges();

// Where the file ends past the last byte of the table records: a file cut
// shorter than this has lost table records and cannot be opened as before.
std::size_t RecordsEnd();

// What changes outside the table records (RecordByteRanges): the bytes both
// files hold that differ, and the file's size.
struct OutsideChanges {
  std::size_t count = 0;  // how many of the bytes both files hold
  std::size_t first = 0;  // the offset of the first, when count > 0
  std::size_t size_before = 0;
  std::size_t size_after = 0;
  bool Resizes() const { return size_before != size_after; }
  bool Any() const { return count > 0 || Resizes(); }
};
OutsideChanges ChangesOutsideRecords(std::span<const std::uint8_t> before,
                                     std::span<const std::uint8_t> after);
// The same for a patch applied to `source`, comparing only where it may
// differ when it says so.
OutsideChanges ChangesOutsideRecords(std::span<const std::uint8_t> source,
                                     const PatchOutcome& applied);
