#include "patch_file.h"

#include <QFileInfo>
#include <algorithm>

#include "change_list.h"

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

namespace {

// The tables as they stand once every typed text is committed.
TableSet TablesWithEdits(const TableDocument& document) {
  TableSet tables = document.Committed();
  for (const FieldChange& change : document.Changes())
    StoreFieldValue(tables, change.field.table, change.field.entry, change.field.column,
                    change.now);
  return tables;
}

}  // namespace

Bytes ImageWithEdits(const TableDocument& document) {
  return WriteTablesInto(TablesWithEdits(document), document.Image());
}

PatchOutcome MakeDocumentPatch(const TableDocument& document, std::span<const std::uint8_t> base,
                               PatchFormat format) {
  return MakePatch(format, base, ImageWithEdits(document));
}

DocumentPatch JudgeDocumentPatch(const TableDocument& document,
                                 std::span<const std::uint8_t> patch) {
  DocumentPatch judged;
  // A patch is made for a file as it lies on disk; one that a BPS check says
  // is not for it may be for the document with its edits (exported from it).
  Bytes source = document.Image();
  TableSet tables = document.Saved();
  PatchOutcome applied = ApplyPatch(patch, source);
  if (applied.refusal == PatchRefusal::kWrongSource) {
    tables = TablesWithEdits(document);
    source = WriteTablesInto(tables, std::move(source));
    applied = ApplyPatch(patch, source);
  }
  if (!applied.ok()) {
    judged.refusal = applied.refusal;
    return judged;
  }
  judged.outside = ChangesOutsideRecords(source, applied.bytes);
  // Only the field bytes are taken; whatever else the patch changes stays.
  Bytes image = source;
  for (const ByteRange& range : RecordByteRanges()) {
    if (range.offset >= image.size() || range.offset >= applied.bytes.size())
      continue;
    const std::size_t end = std::min({range.end(), image.size(), applied.bytes.size()});
    std::copy(applied.bytes.begin() + static_cast<std::ptrdiff_t>(range.offset),
              applied.bytes.begin() + static_cast<std::ptrdiff_t>(end),
              image.begin() + static_cast<std::ptrdiff_t>(range.offset));
  }
  // The fields the patch changes; the document's other edits stay.
  for (FieldChange change : DiffTables(tables, LoadTablesFrom(image))) {
    change.in_file = document.ValueAfterCommit(change.field);
    if (change.in_file != change.now || document.HasTypedText(change.field))
      judged.changes.push_back(change);
  }
  return judged;
}
