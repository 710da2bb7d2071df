#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/table_document.h"
#include "formats/patch_formats.h"
#include "storage/file_store.h"
#include "storage/text_file.h"

// Patch files on disk, and patches made from and applied to an open document.

// A patch for a file of this program's size is at most a few megabytes even
// when it replaces every byte; a patch file past this is refused unread.
inline constexpr std::int64_t kMaxPatchFileSize = 64 * 1024 * 1024;

// The format a patch file's name asks for: ".bps" or ".ips", in any case.
std::optional<PatchFormat> PatchFormatOfFileName(const QString& path);

// Reads a patch file whole (from where `sources` allows), or returns false
// with the whole message for the user.
bool ReadPatchFile(FileStore& store, const QString& path, TextSources sources, Bytes& patch,
                   QString& message);
// Writes a patch file through the store's safe write; on success `message` is
// empty or a warning, as WriteTextFile has it.
bool WritePatchFile(FileStore& store, const QString& path, const Bytes& patch, QString& message);

// The current file's bytes with every edit written into them, typed text
// committed: what Save As would write.
Bytes ImageWithEdits(const TableDocument& document);

// `base` with the field bytes of every table record as the document's tables
// now stand, edits included, and every other byte as `base` has it.
Bytes BaseWithTables(const TableDocument& document, std::span<const std::uint8_t> base);

// A patch from `base` (the file on disk, or another file to compare with) to
// the document's tables as they now stand, edits included: it changes table
// fields only, and turns `base` into BaseWithTables.
PatchOutcome MakeDocumentPatch(const TableDocument& document, std::span<const std::uint8_t> base,
                               PatchFormat format);

// What a patch would do to the open document: applied to the file on disk
// (or, when a BPS patch is for another file, to the document with its edits),
// the fields it changes there are set, and the document's other edits stay.
struct DocumentPatch {
  PatchRefusal refusal = PatchRefusal::kNone;
  // The changed bytes the document cannot hold: outside the table fields, or
  // past its end.
  OutsideChanges outside;
  // The fields the patch sets, with their values now (typed text committed)
  // and after it.
  std::vector<FieldChange> changes;
};
DocumentPatch JudgeDocumentPatch(const TableDocument& document,
                                 std::span<const std::uint8_t> patch);
