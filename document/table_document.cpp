#include "document/table_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

#include "document/comparison_file.h"
#include "document/target_handle_scope.h"
#include "tables/cell_grid.h"
#include "tables/field_input.h"

namespace {

QString NativePath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// One table's cells as the grid shows them, for the table's own commit
// procedure to read: typed text where there is some, the field's value
// elsewhere.
class TypedCells : public CellGrid {
 public:
  TypedCells(const TableDocument& document, const TableSet& values, TableIndex table)
      : document_(document), values_(values), table_(table) {}

  void SetCellText(int, int, const std::string&) override {}
  std::string CellText(int column, int row) const override {
    const FieldRef field{table_, row - 1, column};
    if (document_.HasTypedText(field))
      return document_.CellText(field);
    return FieldDisplayText(values_, table_, field.entry, column);
  }
  void ResetGridScroll() override {}

 private:
  const TableDocument& document_;
  const TableSet& values_;
  TableIndex table_;
};

}  // namespace

TableSet LoadTablesFrom(std::span<const std::uint8_t> image) {
  // The loaders read the bytes where they lie: no copy of the file.
  TableSet tables;
  TargetHandleScope handle(image);
  LoadAllTables(tables);
  return tables;
}

Bytes WriteTablesInto(const TableSet& tables, Bytes image) {
  TargetHandleScope handle(std::move(image), true);
  WriteAllTables(tables);
  return handle.Close();
}

TableDocument::TableDocument(FileStore* store, QObject* parent)
    : QObject(parent),
      own_store_(store ? nullptr : new QtFileStore),
      store_(store ? store : own_store_.get()),
      committed_(std::make_unique<TableSet>()),
      saved_(std::make_unique<TableSet>()),
      history_(new HistoryRecorder(*this, this)),
      comparison_(new ComparisonFile(*this, spare_, this)) {}

TableDocument::~TableDocument() = default;

TableDocument::Outcome ReadExecutable(FileStore& store, const QString& absolute, Bytes& image,
                                      const TableDocument::SizeQuestion& accept_other_size,
                                      QString& error) {
  using Outcome = TableDocument::Outcome;
  QString reason;
  if (!store.ReadAll(absolute, image, reason)) {
    error = QCoreApplication::translate("TableDocument", "Не удалось открыть файл «%1»: %2.")
                .arg(NativePath(absolute), reason);
    return Outcome::Failed;
  }
  if (image.empty()) {
    error = QCoreApplication::translate("TableDocument", "Файл «%1» пуст: в нём нет таблиц.")
                .arg(NativePath(absolute));
    return Outcome::Failed;
  }
  if (image.size() != ExpectedFileSize && !(accept_other_size && accept_other_size()))
    return Outcome::Declined;
  return Outcome::Done;
}

TableDocument::Outcome TableDocument::Open(const QString& path,
                                           const SizeQuestion& accept_other_size, QString& error) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  Bytes image = std::move(spare_);
  const Outcome read = ReadExecutable(*store_, absolute, image, accept_other_size, error);
  if (read != Outcome::Done) {
    spare_ = std::move(image);
    return read;
  }
  OpenImage(absolute, std::move(image));
  return Outcome::Done;
}

void TableDocument::OpenImage(const QString& path, Bytes image) {
  // Three new tables; edits to the earlier file that were not saved are
  // dropped. They go where the earlier file's were, once there were any.
  if (committed_)
    *committed_ = LoadTablesFrom(image);
  else
    committed_ = std::make_unique<TableSet>(LoadTablesFrom(image));
  if (saved_)
    *saved_ = *committed_;
  else
    saved_ = std::make_unique<TableSet>(*committed_);
  spare_ = std::move(image_);
  image_ = std::move(image);
  path_ = path;
  typed_.clear();
  loaded_ = true;
  history_->Clear();
  active_ = kCreatures;
  const bool compared = comparison_->Drop();
  emit opened();
  emit fileChanged();
  if (compared)
    emit comparison_->changed();
  emit activeTableChanged(active_);
  emit tablesReset();
}

TableDocument::Outcome TableDocument::ReadCurrentFile(const QString& destination,
                                                      const MemoryCopyQuestion& use_memory_copy,
                                                      Bytes& image) {
  // The copy is made from the current file as it is on disk now. When that
  // is gone or is no longer the file that was loaded, writing the records into
  // it would lose them or mix two files; the user may save the copy held in
  // memory instead.
  QString reason;
  QString explanation;
  if (!store_->ReadAll(path_, image, reason)) {
    explanation = QCoreApplication::translate("TableDocument", "Текущий файл «%1» не читается: %2.")
                      .arg(NativePath(path_), reason);
  } else if (image != image_) {
    explanation = QCoreApplication::translate(
                      "TableDocument",
                      "Текущий файл «%1» изменён другой программой после открытия или сохранения.")
                      .arg(NativePath(path_));
  } else {
    return Outcome::Done;
  }
  const QString question =
      explanation + QCoreApplication::translate(
                        "TableDocument",
                        "\n\nВ памяти программы хранится файл в том виде, в каком он был открыт "
                        "или сохранён последний раз. Сохранить его со всеми правками в «%1»?")
                        .arg(NativePath(destination));
  if (!use_memory_copy || !use_memory_copy(question)) {
    image.clear();
    return Outcome::Declined;
  }
  image = image_;
  return Outcome::Done;
}

TableDocument::Outcome TableDocument::SaveAs(const QString& chosen,
                                             const MemoryCopyQuestion& use_memory_copy,
                                             QString& error) {
  if (!loaded_)
    return Outcome::Declined;
  const QString destination = QFileInfo(chosen).absoluteFilePath();
  // The current file is read into the buffer of an earlier image, as Open
  // does, rather than into a new buffer of the file's size.
  Bytes image = std::move(spare_);
  if (const Outcome read = ReadCurrentFile(destination, use_memory_copy, image);
      read != Outcome::Done)
    return read;

  TableSet next = *committed_;
  CommitTypedInto(next);
  image = WriteTablesInto(next, std::move(image));

  QString reason;
  if (!store_->WriteAll(destination, image, reason)) {
    error = QCoreApplication::translate(
                "TableDocument", "Не удалось сохранить файл «%1»: %2. Ни один файл не изменён.")
                .arg(NativePath(destination), reason);
    return Outcome::Failed;
  }

  // The typed texts stay as typed; the fields hold what was written, and the
  // fields as the file holds them are read back from what was written. (No
  // field past the end of a short file differs: the document takes no change
  // to one, so every edit it holds is written.)
  *committed_ = std::move(next);
  *saved_ = LoadTablesFrom(image);
  spare_ = std::exchange(image_, std::move(image));
  path_ = destination;
  history_->SetClean();
  error = reason;  // empty, or the warning of a write that may not outlive a power cut
  emit savedAs(reason.isEmpty());
  emit fileChanged();
  emit tablesReset();
  return Outcome::Done;
}

void TableDocument::SetActiveTable(TableIndex table) {
  if (table == active_ || table >= kTableCount)
    return;
  active_ = table;
  emit activeTableChanged(active_);
}

TableDocument::TypedKey TableDocument::KeyOf(const FieldRef& field) const {
  return {SheetOf(field.table), field.entry, field.column};
}

std::string TableDocument::CellText(const FieldRef& field) const {
  if (const auto typed = typed_.find(KeyOf(field)); typed != typed_.end())
    return typed->second;
  if (!loaded_ || !IsField(field))
    return {};
  return FieldDisplayText(*committed_, field.table, field.entry, field.column);
}

bool TableDocument::HasTypedText(const FieldRef& field) const {
  return typed_.count(KeyOf(field)) != 0;
}

void TableDocument::Change(const QString& step, const std::function<void(DocumentEdit&)>& change) {
  // A change inside another holds and releases the cell signals for itself.
  const bool outer_holds_signals = std::exchange(edit_holds_signals_, false);
  const auto release = [&] {
    if (std::exchange(edit_holds_signals_, outer_holds_signals))
      ReleaseCellSignals();
  };
  history_->OpenGroup(step);
  try {
    change(*this);
  } catch (...) {
    // Whatever `change` did is put back (by the outermost change), and no
    // later change lands in this step.
    release();
    history_->AbortGroup();
    throw;
  }
  try {
    history_->CloseGroup();
  } catch (...) {
    release();
    throw;
  }
  // Cell signals held by the edit are told once the step is made.
  release();
}

void TableDocument::Type(const FieldRef& field, const std::string& text) {
  if (IsPastEnd(field))
    return;
  // Typing and pasting alike come here; outside a group it is typing.
  const bool typing = loaded_ && IsField(field) && !history_->GroupOpen();
  const CellState before = typing ? StateOf(field) : CellState{};
  Touch(field);
  typed_[KeyOf(field)] = text;
  if (typing)
    history_->Typed(field, before, StateOf(field));
  CellChanged(field);
}

void TableDocument::Touch(const FieldRef& field) {
  if (loaded_ && IsField(field))
    history_->Touching(field);
}

void TableDocument::CellChanged(const FieldRef& field) {
  if (held_ > 0)
    held_fields_.push_back(field);
  else
    emit cellChanged(field);
}

void TableDocument::HoldCellSignals() {
  ++held_;
}

void TableDocument::ReleaseCellSignals() {
  if (held_ == 0 || --held_ > 0)
    return;
  std::vector<FieldRef> fields = std::move(held_fields_);
  held_fields_.clear();
  if (fields.size() == 1)
    emit cellChanged(fields.front());
  else if (fields.size() > 1)
    emit tablesReset();
}

void TableDocument::CommitTable(TableIndex table) {
  if (!loaded_ || table >= kTableCount)
    return;
  if (history_->GroupOpen()) {
    for (const auto& [key, text] : typed_) {
      if (std::get<0>(key) == table)
        Touch({table, std::get<1>(key), std::get<2>(key)});
    }
  }
  TableSet next = *committed_;
  CommitActiveTable(table, next, TypedCells(*this, *committed_, table));
  *committed_ = std::move(next);
  std::erase_if(typed_, [table](const auto& typed) { return std::get<0>(typed.first) == table; });
  emit tablesReset();
}

void TableDocument::SetText(const FieldRef& field, const std::string& text) {
  if (!loaded_ || !IsField(field))
    return;
  const FieldInput input = ReadFieldInput(
      text, FieldOf(field.table, field.column),
      FieldValue(*committed_, field.table, field.entry, field.column), TextSource::Typed);
  SetValue(field, input.value);
}

void TableDocument::SetValue(const FieldRef& field, std::int32_t value) {
  if (!loaded_ || !IsField(field) || IsPastEnd(field))
    return;
  Touch(field);
  typed_.erase(KeyOf(field));
  StoreFieldValue(*committed_, field.table, field.entry, field.column, value);
  CellChanged(field);
}

CellState TableDocument::StateOf(const FieldRef& field) const {
  if (!loaded_ || !IsField(field))
    return {};
  CellState state{FieldValue(*committed_, field.table, field.entry, field.column), std::nullopt};
  if (const auto typed = typed_.find(KeyOf(field)); typed != typed_.end())
    state.typed = typed->second;
  return state;
}

void TableDocument::Restore(const FieldRef& field, const CellState& state) {
  if (!loaded_ || !IsField(field))
    return;
  Touch(field);
  StoreFieldValue(*committed_, field.table, field.entry, field.column, state.committed);
  if (state.typed)
    typed_[KeyOf(field)] = *state.typed;
  else
    typed_.erase(KeyOf(field));
  CellChanged(field);
}

TableSet TableDocument::TablesAfterCommit() const {
  TableSet tables = *committed_;
  CommitTypedInto(tables);
  return tables;
}

void TableDocument::CommitTypedInto(TableSet& tables) const {
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const bool typed = std::any_of(typed_.begin(), typed_.end(), [table](const auto& entry) {
      return std::get<0>(entry.first) == table;
    });
    if (typed)
      CommitActiveTable(table, tables, TypedCells(*this, *committed_, table));
  }
}

bool IsField(const FieldRef& field) {
  return field.table < kTableCount && field.entry >= 0 && field.entry < EntryCount(field.table) &&
         field.column >= 1 && field.column < ColCounts[field.table];
}

std::int32_t TableDocument::ValueAfterCommit(const FieldRef& field) const {
  const std::int32_t current = FieldValue(*committed_, field.table, field.entry, field.column);
  if (!HasTypedText(field))
    return current;
  return ReadFieldInput(CellText(field), FieldOf(field.table, field.column), current,
                        TextSource::Typed)
      .value;
}

CellMark TableDocument::Mark(const FieldRef& field) const {
  if (!loaded_ || !IsField(field))
    return CellMark::None;
  return MarkCell(field.table, *committed_, *saved_, field.column, field.entry + 1,
                  CellText(field));
}

bool TableDocument::IsPastEnd(const FieldRef& field) const {
  return loaded_ && IsField(field) &&
         !RecordInFile(*saved_, field.table, field.entry, image_.size());
}

std::vector<FieldChange> TableDocument::Changes() const {
  std::vector<FieldChange> changes;
  if (!loaded_)
    return changes;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column) {
        const FieldRef field{table, entry, column};
        const std::int32_t in_file = FieldValue(*saved_, table, entry, column);
        const std::int32_t now = ValueAfterCommit(field);
        if (now != in_file)
          changes.push_back({field, in_file, now});
      }
    }
  }
  return changes;
}

void TableDocument::SetValues(const std::vector<FieldValueChange>& values) {
  // Whatever takes memory comes first, so that running out of it leaves every
  // field as it was: the history takes each field's state, and the held
  // signals get their room.
  for (const FieldValueChange& change : values)
    Touch(change.field);
  held_fields_.reserve(held_fields_.size() + values.size());
  if (!std::exchange(edit_holds_signals_, true))
    HoldCellSignals();
  for (const FieldValueChange& change : values)
    SetValue(change.field, change.value);
}

void SetFieldValues(TableDocument& document, const QString& step,
                    const std::vector<FieldValueChange>& values) {
  if (!document.IsLoaded() || values.empty())
    return;
  document.Change(step, [&](DocumentEdit& edit) { edit.SetValues(values); });
}
