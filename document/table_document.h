#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "document/document_history.h"
#include "document/field_state.h"
#include "storage/file_store.h"
#include "tables/table_set.h"
#include "tables/target_file.h"

class ComparisonFile;
class TableDocument;

// A field whose value now differs from the value in the current file.
struct FieldChange {
  FieldRef field;
  std::int32_t in_file = 0;  // widened as the grid shows it
  std::int32_t now = 0;
};

// A value to put into a field (widened as the grid shows it).
struct FieldValueChange {
  FieldRef field;
  std::int32_t value = 0;
};

// One change to the document's fields and typed texts, as TableDocument::Change
// hands it to the function that makes the change: every field it touches goes
// into the step that change makes. It is the only way to set a field's value,
// so a change outside a step does not compile: the document implements it
// privately, and nothing else can reach it. Keep no reference to it past the
// change.
class DocumentEdit {
 public:
  virtual const TableDocument& Document() const = 0;
  // Text typed into a cell (TableDocument::Type, inside this change).
  virtual void Type(const FieldRef& field, const std::string& text) = 0;
  // Sets a field from text at once, as typing it and committing would.
  virtual void SetText(const FieldRef& field, const std::string& text) = 0;
  // Sets a field to `value` (widened as the grid shows it; its low bits are
  // stored), dropping any typed text.
  virtual void SetValue(const FieldRef& field, std::int32_t value) = 0;
  // Sets each field to its value, as SetValue; the views hear of them once,
  // after the step is made.
  virtual void SetValues(const std::vector<FieldValueChange>& values) = 0;
  // Commits the typed texts of `table`, as TableDocument::CommitTable.
  virtual void CommitTable(TableIndex table) = 0;

 protected:
  ~DocumentEdit() = default;
};

// The open executable: its path, its bytes as loaded or last saved, the
// tables with every committed edit, the tables as the file holds them, and the
// texts typed into cells of the table on show that are not committed yet.
//
// Typed text works as the grid always has: it stays as typed, and the field
// takes it only when its table is committed (the tab is left, or Save As),
// through the table's own commit: text that is not a number keeps the field's
// value, a number too large for the field keeps its low bits. From then on the
// cell shows what was stored.
//
// Everything that reads or writes files goes through here: the window, the
// command line, the fuzz targets and the benchmarks.
class TableDocument : public QObject, private HistoryTarget, private DocumentEdit {
  Q_OBJECT

 public:
  // `store` defaults to the disk; when given, it must outlive the document.
  explicit TableDocument(FileStore* store = nullptr, QObject* parent = nullptr);
  ~TableDocument() override;

  // The store this document reads and writes through; the text files that go
  // with it (CSV, change lists) use it too.
  FileStore& Files() const { return *store_; }

  enum class Outcome {
    Done,      // the command did what was asked
    Declined,  // the user answered No to a question: nothing changed
    Failed,    // nothing changed; `error` says what happened, for the user
  };

  // Asked when the file's size is not ExpectedFileSize: true to load it all the same.
  using SizeQuestion = std::function<bool()>;
  // Asked with an explanation when the current file has gone or was changed by
  // another program: true to save the copy held in memory instead.
  using MemoryCopyQuestion = std::function<bool(const QString& explanation)>;

  // Reads `path` and loads its three tables. On anything but Done nothing changes.
  Outcome Open(const QString& path, const SizeQuestion& accept_other_size, QString& error);
  // Open from bytes already in memory, as Open loads a file it has read.
  void OpenImage(const QString& path, Bytes image);

  // Writes the current file with every edit to `destination`, safely: the
  // records go into the current file's bytes in memory, and those reach the
  // disk in one step that either completes or leaves `destination` as it was.
  // `destination` then becomes the current file. On anything but Done nothing
  // changes. On Done `error` is empty, or a warning that the file is written
  // but its folder could not be synced.
  Outcome SaveAs(const QString& destination, const MemoryCopyQuestion& use_memory_copy,
                 QString& error);

  // A file is loaded once an Open has been accepted.
  bool IsLoaded() const { return loaded_; }
  // The table on show: the window's selected tab, its grid's cells. Open
  // shows the creatures. Setting it commits nothing; leaving a table commits
  // it first (CommitTable), as the window's tab handlers do.
  TableIndex ActiveTable() const { return active_; }
  void SetActiveTable(TableIndex table);
  // The current file: the one Open accepted last, or the one Save As wrote
  // last; its bytes as loaded or last saved, and the tables they hold.
  struct CurrentFile {
    const QString& path;
    const Bytes& image;
    const TableSet& tables;
  };
  CurrentFile File() const { return {path_, image_, *saved_}; }
  // The tables with every committed edit (typed text not included).
  const TableSet& Committed() const { return *committed_; }
  // The tables with every edit, typed text committed as Save As commits it.
  TableSet TablesAfterCommit() const;

  // What the cell of `field` shows: the text typed into it, or the field's value.
  std::string CellText(const FieldRef& field) const;
  bool HasTypedText(const FieldRef& field) const;
  // The field's committed value and typed text; nothing before an Open or off
  // the tables.
  CellState StateOf(const FieldRef& field) const override;
  // The value the field holds once its typed text is committed.
  std::int32_t ValueAfterCommit(const FieldRef& field) const;
  CellMark Mark(const FieldRef& field) const;
  // Whether the field's record lies past the end of the current file, wholly
  // or cut by it (a short file, opened after the size question). Save As
  // writes no such record (RecordInFile), so the document takes no change to
  // its fields: typing, values and texts put into them are refused, and the
  // commands that set fields count them as left alone.
  bool IsPastEnd(const FieldRef& field) const;
  // Every field whose value after commit differs from the current file, in
  // table, entry and column order.
  std::vector<FieldChange> Changes() const;

  // The two roads by which fields and typed texts change; both record into
  // the history, and there is no other (the mutators are the document's
  // private DocumentEdit, and its history's HistoryTarget).
  //
  // Change runs `change` as one step of the history named `step`: every field
  // the edit touches is recorded, field by field. Changes nest; the outermost
  // one makes the step, and one that leaves every field as it was makes none.
  void Change(const QString& step, const std::function<void(DocumentEdit&)>& change);
  // A keystroke (or a pasted cell): text typed into a cell, kept as typed
  // until its table is committed. Inside a Change it belongs to that step;
  // outside, to the typing step of the cell's visit.
  void Type(const FieldRef& field, const std::string& text) override;
  // Commits the typed texts of `table` into its fields, as leaving its tab
  // does. Not a step of its own: the cells show and store what they did.
  void CommitTable(TableIndex table) override;

  // The comparison file: a second executable the cells are compared with.
  ComparisonFile& Comparison() { return *comparison_; }
  const ComparisonFile& Comparison() const { return *comparison_; }

  // The undo history of the edits to this file; an Open clears it.
  DocumentHistory& History() { return *history_; }
  const DocumentHistory& History() const { return *history_; }

 signals:
  // The text or the mark of one cell may have changed.
  void cellChanged(const FieldRef& field);
  // Every cell may have changed: a file was opened, or a table committed.
  void tablesReset();
  // The current file is another one, or the same one saved again.
  void fileChanged();
  // Another table is on show, or an Open showed the creatures again.
  void activeTableChanged(TableIndex table);
  // A file was loaded (Open, OpenImage): the current file, its bytes and the
  // history are new.
  void opened();
  // Save As wrote the current file; `durable` unless its folder could not be
  // synced, so that the copy may not outlive a power cut.
  void savedAs(bool durable);

 private:
  // Typed text is kept per table while a file is loaded; before any Open the
  // grid's cells are one sheet that no table reads.
  static constexpr TableIndex kNoFile = 0xFF;
  TableIndex SheetOf(TableIndex table) const { return loaded_ ? table : kNoFile; }
  using TypedKey = std::tuple<TableIndex, int, int>;
  TypedKey KeyOf(const FieldRef& field) const;

  // The mutators: DocumentEdit (Type and CommitTable above, public too) and
  // the history's Restore. Each does nothing before an Open or off the
  // tables, and all but Restore nothing to a field past the end of the file.
  const TableDocument& Document() const override { return *this; }
  void SetText(const FieldRef& field, const std::string& text) override;
  void SetValue(const FieldRef& field, std::int32_t value) override;
  void SetValues(const std::vector<FieldValueChange>& values) override;
  // HistoryTarget: puts both parts of a field back at once (undo, redo).
  void Restore(const FieldRef& field, const CellState& state) override;

  void CommitTypedInto(TableSet& tables) const;
  // `field` is about to change: an open group of the history takes its state.
  void Touch(const FieldRef& field);
  // While held (an undo or redo, a change of many values), cell changes are
  // gathered and told at the release: one cell as itself, more as a reset.
  void CellChanged(const FieldRef& field);
  void HoldCellSignals() override;
  void ReleaseCellSignals() override;
  // The current file's bytes for a Save As, or, where it is unreadable or
  // changed on disk, the copy held in memory if the user takes it.
  Outcome ReadCurrentFile(const QString& destination, const MemoryCopyQuestion& use_memory_copy,
                          Bytes& image);

  std::unique_ptr<FileStore> own_store_;
  FileStore* store_;
  bool loaded_ = false;
  TableIndex active_ = kCreatures;
  QString path_;
  Bytes image_;
  Bytes spare_;
  std::unique_ptr<TableSet> committed_;
  std::unique_ptr<TableSet> saved_;
  std::map<TypedKey, std::string> typed_;
  HistoryRecorder* history_;
  int held_ = 0;
  std::vector<FieldRef> held_fields_;
  // Whether SetValues in the innermost Change holds the cell signals, which
  // that Change releases once its step is made.
  bool edit_holds_signals_ = false;
  ComparisonFile* comparison_;
};

// Sets each field to its value as one step of the history named `step`; the
// views hear of it once. Nothing happens (not even the end of a typing visit)
// before an Open or when `values` is empty.
void SetFieldValues(TableDocument& document, const QString& step,
                    const std::vector<FieldValueChange>& values);

// Reads an executable to load, as Open and the comparison file do: Failed
// with `error` set when it cannot be read or is empty, Declined when its size
// is not ExpectedFileSize and `accept_other_size` does not take it.
TableDocument::Outcome ReadExecutable(FileStore& store, const QString& absolute, Bytes& image,
                                      const TableDocument::SizeQuestion& accept_other_size,
                                      QString& error);

// Loads all three tables from an image, as Open does, reading it in place.
TableSet LoadTablesFrom(std::span<const std::uint8_t> image);
// Writes all three tables into a copy of `image`, as Save As does.
Bytes WriteTablesInto(const TableSet& tables, Bytes image);
