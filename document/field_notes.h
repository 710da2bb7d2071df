#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "tables/grid_shape.h"
#include "tables/record_field.h"
#include "tables/table_index.h"

class FileStore;

// Field notes: what the fields of the tables mean, as a JSON file that
// modders read, edit and share ("format": "trevalune-notes/1"). Per table,
// each field (named by its Russian or English caption) may have a
// description in both languages, a sane range narrower than the field's own,
// names of its bits (16- and 32-bit fields) and names of its values; and the
// table has checks, conditions in the formula language that every entry
// should satisfy. docs/field-notes.md describes the format.

// A text in both languages; either may be empty.
struct NoteText {
  QString ru;
  QString en;
  bool IsEmpty() const { return ru.isEmpty() && en.isEmpty(); }
  // The text in English or Russian, falling back to the other when empty.
  const QString& In(bool english) const {
    const QString& wanted = english ? en : ru;
    return wanted.isEmpty() ? (english ? ru : en) : wanted;
  }
  friend bool operator==(const NoteText&, const NoteText&) = default;
};

struct FieldNote {
  NoteText description;
  // The sane range, as the grid shows the values (an unsigned 32-bit field
  // from 0 to 4294967295).
  std::optional<std::int64_t> min;
  std::optional<std::int64_t> max;
  std::map<int, NoteText> bits;             // bit number (0 = lowest) to name
  std::map<std::int64_t, NoteText> values;  // value as the grid shows it to name
  friend bool operator==(const FieldNote&, const FieldNote&) = default;
};

enum class CheckLevel { Warning, Error };

struct NoteCheck {
  NoteText name;
  QString condition;  // a condition over one entry, in the formula language
  CheckLevel level = CheckLevel::Warning;
  friend bool operator==(const NoteCheck&, const NoteCheck&) = default;
};

struct TableNotes {
  std::array<FieldNote, kMaxColCount> fields;  // by grid column; 0 (the names) unused
  std::vector<NoteCheck> checks;
  friend bool operator==(const TableNotes&, const TableNotes&) = default;
};

struct FieldNotes {
  std::array<TableNotes, kTableCount> tables;
  const FieldNote& Field(TableIndex table, int column) const {
    return tables[table].fields[column];
  }
  friend bool operator==(const FieldNotes&, const FieldNotes&) = default;
};

// Where a notes file is wrong: line and column (1 and up, in characters) and
// what is wrong; 0 and 0 when the file could not be read at all.
struct NotesError {
  int line = 0;
  int column = 0;
  QString message;
};
// The error as the user reads it: "строка 3, столбец 7: ...".
QString NotesErrorText(const NotesError& error);

// Reads notes from the JSON text of a notes file. A file with any fault is
// refused whole: nullopt, with `error` set.
std::optional<FieldNotes> ParseFieldNotes(const QByteArray& json, NotesError& error);
// Reads the notes file at `path` through `store`, as ParseFieldNotes.
std::optional<FieldNotes> ReadFieldNotes(FileStore& store, const QString& path, NotesError& error);

// The notes as a notes file: fields under their Russian captions, texts left
// out where empty. ParseFieldNotes reads it back to the same notes.
QByteArray WriteFieldNotes(const FieldNotes& notes);

// The notes the program ships, built into it; parsed on first use.
const FieldNotes& ShippedFieldNotes();
// Where they are, for a user who wants to start from a copy.
inline constexpr char kShippedNotesPath[] = ":/notes/trevalune-notes.json";

// The field's own range, as the grid shows its values.
std::int64_t FieldLowest(FieldLayout layout);
std::int64_t FieldHighest(FieldLayout layout);
