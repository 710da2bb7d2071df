#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "document/field_state.h"
#include "document/table_document.h"

// The comparison file: a second executable, read once and never written,
// whose tables the document's cells are compared with. The document owns it;
// every accepted Open of the document closes it.
class ComparisonFile : public QObject {
  Q_OBJECT

 public:
  // `spare` is the document's spare buffer: a comparison file is read into it,
  // and the one it replaces is left there, as Open does with its images.
  ComparisonFile(const TableDocument& document, Bytes& spare, QObject* parent);
  ~ComparisonFile() override;

  // Reads `path`, asking about another size as Open does; on anything but
  // Done nothing changes. Declined before the document has a file.
  TableDocument::Outcome Open(const QString& path,
                              const TableDocument::SizeQuestion& accept_other_size, QString& error);
  // Forgets the file and tells of it (changed), when there was one.
  void Close();
  // Forgets the file as Close does but sends no signal, for the owner that
  // tells of it in its own order (the document's Open sends changed() after
  // opened()); true when there was one, which the caller must then tell of.
  bool Drop();
  bool IsOpen() const { return tables_ != nullptr; }
  const QString& FileName() const { return path_; }
  // Its tables and bytes; only while IsOpen().
  const TableSet& Tables() const { return *tables_; }
  const Bytes& Image() const { return image_; }
  // The field's value in the comparison file (widened as the grid shows it).
  std::int32_t Value(const FieldRef& field) const;
  // Whether the field's value after commit differs from the comparison file,
  // or its text is not a number; false without a comparison file.
  bool Differs(const FieldRef& field) const;
  // The next (or previous) field after `from` in table, entry and column
  // order across all three tables, wrapping around, that differs from the
  // comparison file; `from` itself comes last, and an entry's name cell
  // (column 0) stands just before its first field. None when no field differs.
  std::optional<FieldRef> NextDifference(const FieldRef& from, bool forward) const;

 signals:
  // A comparison file was set or closed.
  void changed();

 private:
  const TableDocument& document_;
  Bytes& spare_;
  QString path_;
  Bytes image_;
  std::unique_ptr<TableSet> tables_;
};
