#include "document/comparison_file.h"

#include <QFileInfo>
#include <array>
#include <utility>

ComparisonFile::ComparisonFile(const TableDocument& document, Bytes& spare, QObject* parent)
    : QObject(parent), document_(document), spare_(spare) {}

ComparisonFile::~ComparisonFile() = default;

TableDocument::Outcome ComparisonFile::Open(const QString& path,
                                            const TableDocument::SizeQuestion& accept_other_size,
                                            QString& error) {
  if (!document_.IsLoaded())
    return TableDocument::Outcome::Declined;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  // Read into the spare buffer, as Open does: a megabyte of fresh memory
  // costs more to fault in than the read itself.
  Bytes image = std::move(spare_);
  const TableDocument::Outcome read =
      ReadExecutable(document_.Files(), absolute, image, accept_other_size, error);
  if (read != TableDocument::Outcome::Done) {
    spare_ = std::move(image);
    return read;
  }
  tables_ = std::make_unique<TableSet>(LoadTablesFrom(image));
  spare_ = std::exchange(image_, std::move(image));
  path_ = absolute;
  emit changed();
  return TableDocument::Outcome::Done;
}

void ComparisonFile::Close() {
  if (Drop())
    emit changed();
}

bool ComparisonFile::Drop() {
  if (!IsOpen())
    return false;
  tables_.reset();
  image_.clear();
  path_.clear();
  return true;
}

std::int32_t ComparisonFile::Value(const FieldRef& field) const {
  if (!IsOpen() || !IsField(field))
    return 0;
  return FieldValue(*tables_, field.table, field.entry, field.column);
}

bool ComparisonFile::Differs(const FieldRef& field) const {
  if (!IsOpen() || !document_.IsLoaded() || !IsField(field))
    return false;
  if (document_.HasTypedText(field) && document_.Mark(field) == CellMark::NotANumber)
    return true;
  return document_.ValueAfterCommit(field) != Value(field);
}

std::optional<FieldRef> ComparisonFile::NextDifference(const FieldRef& from, bool forward) const {
  if (!IsOpen() || !document_.IsLoaded())
    return std::nullopt;
  // Every field numbered in table, entry and column order.
  std::array<int, kTableCount + 1> first{};
  for (TableIndex table = 0; table < kTableCount; ++table)
    first[table + 1] = first[table] + EntryCount(table) * (ColCounts[table] - 1);
  const int total = first[kTableCount];
  const auto field_at = [&](int number) {
    TableIndex table = 0;
    while (number >= first[table + 1])
      ++table;
    const int columns = ColCounts[table] - 1;
    const int within = number - first[table];
    return FieldRef{table, within / columns, within % columns + 1};
  };
  // The search starts past `from`: a field's own number; an entry's name cell
  // lies just before the entry's first field; anything else before the first
  // field of all.
  int start = forward ? -1 : 0;
  if (IsField(from)) {
    start = first[from.table] + from.entry * (ColCounts[from.table] - 1) + from.column - 1;
  } else if (from.table < kTableCount && from.column == 0 && from.entry >= 0 &&
             from.entry < EntryCount(from.table)) {
    const int entry_first = first[from.table] + from.entry * (ColCounts[from.table] - 1);
    start = forward ? entry_first - 1 : entry_first;
  }
  for (int step = 1; step <= total; ++step) {
    const int number = ((start + (forward ? step : -step)) % total + total) % total;
    const FieldRef field = field_at(number);
    if (Differs(field))
      return field;
  }
  return std::nullopt;
}
