#include "formats/patch_file.h"

#include <QFileInfo>
#include <algorithm>

#include "formats/change_list.h"

std::optional<PatchFormat> PatchFormatOfFileName(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("bps"))
    return PatchFormat::kBps;
  if (suffix == QStringLiteral("ips"))
    return PatchFormat::kIps;
  return std::nullopt;
}

bool ReadPatchFile(FileStore& store, const QString& path, TextSources sources, Bytes& patch,
                   QString& message) {
  // The store's text read takes bytes as they are: it serves binary files too.
  const TextReadRules rules{kMaxPatchFileSize, sources == TextSources::kFilesAndStreams};
  QByteArray bytes;
  QString reason;
  patch.clear();
  if (!store.ReadText(path, rules, bytes, reason)) {
    message = ReadFailedMessage(path, reason);
    return false;
  }
  patch.assign(bytes.begin(), bytes.end());
  return true;
}

bool WritePatchFile(FileStore& store, const QString& path, const Bytes& patch, QString& message) {
  QString reason;
  if (store.WriteAll(path, patch, reason)) {
    message = reason;  // a warning, if any
    return true;
  }
  message = WriteFailedMessage(path, reason);
  return false;
}

Bytes ImageWithEdits(const TableDocument& document) {
  return WriteTablesInto(document.TablesAfterCommit(), document.File().image);
}

Bytes BaseWithTables(const TableDocument& document, std::span<const std::uint8_t> base) {
  // The records are written into the base and only their field bytes are
  // taken: a record's bytes that no column shows, and the names, stay as the
  // base has them.
  const Bytes written =
      WriteTablesInto(document.TablesAfterCommit(), Bytes(base.begin(), base.end()));
  Bytes target(base.begin(), base.end());
  for (const ByteRange& range : RecordByteRanges()) {
    const std::size_t end = std::min({range.end(), target.size(), written.size()});
    if (range.offset < end)
      std::copy(written.begin() + static_cast<std::ptrdiff_t>(range.offset),
                written.begin() + static_cast<std::ptrdiff_t>(end),
                target.begin() + static_cast<std::ptrdiff_t>(range.offset));
  }
  return target;
}

PatchOutcome MakeDocumentPatch(const TableDocument& document, std::span<const std::uint8_t> base,
                               PatchFormat format) {
  return MakePatch(format, base, BaseWithTables(document, base));
}

DocumentPatch JudgeDocumentPatch(const TableDocument& document,
                                 std::span<const std::uint8_t> patch) {
  DocumentPatch judged;
  // A patch is made for a file as it lies on disk; one that a BPS check says
  // is not for it may be for the document with its edits (exported from it).
  const TableSet* tables = &document.File().tables;
  std::span<const std::uint8_t> source = document.File().image;
  PatchOutcome applied = ApplyPatch(patch, source);
  TableSet edited;
  Bytes edited_image;
  if (applied.refusal == PatchRefusal::kWrongSource) {
    edited = document.TablesAfterCommit();
    edited_image = WriteTablesInto(edited, document.File().image);
    tables = &edited;
    source = edited_image;
    applied = ApplyPatch(patch, source);
  }
  if (!applied.ok()) {
    judged.refusal = applied.refusal;
    return judged;
  }
  judged.outside = ChangesOutsideRecords(source, applied);
  // Only the field bytes are taken; whatever else the patch changes stays.
  // The fields are read from the patched file itself when it has the size of
  // the source, else from the source with the patched field bytes put in.
  Bytes& image = applied.bytes;
  if (image.size() != source.size()) {
    Bytes fields(source.begin(), source.end());
    for (const ByteRange& range : RecordByteRanges()) {
      const std::size_t end = std::min({range.end(), fields.size(), image.size()});
      if (range.offset < end)
        std::copy(image.begin() + static_cast<std::ptrdiff_t>(range.offset),
                  image.begin() + static_cast<std::ptrdiff_t>(end),
                  fields.begin() + static_cast<std::ptrdiff_t>(range.offset));
    }
    image = std::move(fields);
  }
  // The fields the patch changes; the document's other edits stay.
  for (FieldChange change : DiffTables(*tables, LoadTablesFrom(image))) {
    change.in_file = document.ValueAfterCommit(change.field);
    if (change.in_file != change.now || document.HasTypedText(change.field))
      judged.changes.push_back(change);
  }
  return judged;
}
