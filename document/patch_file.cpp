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
  const TableSet now = TablesWithEdits(document);
  Bytes image = WriteTablesInto(now, document.Image());
  const PatchOutcome applied = ApplyPatch(patch, image);
  if (!applied.ok()) {
    judged.refusal = applied.refusal;
    return judged;
  }
  judged.outside = ChangesOutsideRecords(image, applied.bytes);
  // Only the field bytes are taken; whatever else the patch changes stays.
  for (const ByteRange& range : RecordByteRanges()) {
    if (range.offset >= image.size() || range.offset >= applied.bytes.size())
      continue;
    const std::size_t end = std::min({range.end(), image.size(), applied.bytes.size()});
    std::copy(applied.bytes.begin() + static_cast<std::ptrdiff_t>(range.offset),
              applied.bytes.begin() + static_cast<std::ptrdiff_t>(end),
              image.begin() + static_cast<std::ptrdiff_t>(range.offset));
  }
  judged.changes = DiffTables(now, LoadTablesFrom(image));
  return judged;
}
