#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/table_document.h"
#include "formats/change_list.h"

// The recovery journal of one file: the edits not yet saved, as a CSV list of
// the fields, each named by keys that stay whatever the tables' captions
// become: "table" (creatures, buildings or spells), "entry" (its number, from
// 1) and "column" (its number in the grid, from 1); then its value in the file
// and its committed value, as the change list shows them ("in_file", "now"),
// and "typed": the text typed into its cell and not yet taken by its field,
// after a '>', or empty. A short header comes first:
//
//   Trevalune journal 2
//   file <the file's absolute path, percent-encoded>
//   size <the file's size as opened, in bytes>
//   crc32 <its CRC-32, 8 hexadecimal digits>
//   written <when the journal was written, ISO 8601 UTC>
//   body <the change list's size in bytes> <its CRC-32>
//   (an empty line, then the change list)
//
// The body's size and CRC tell a cut or damaged journal from a whole one.
// Version 1 had the same header and the change list's columns with one more,
// "Набрано", each field named by its table's and column's Russian captions:
// those read still, as aliases of the keys.

inline constexpr int kJournalVersion = 2;

// One field the journal holds: its values as the change list shows them, and
// the typed text, if any.
struct JournalEntry {
  FieldRef field;
  QString in_file;  // "В файле"
  QString now;      // "Новое": the field's committed value
  std::optional<std::string> typed;
  friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

struct JournalContent {
  QString file;  // absolute
  std::int64_t file_size = 0;
  std::uint32_t file_crc = 0;
  QDateTime written;
  std::vector<JournalEntry> entries;
};

// The unsaved state of `document`: every field whose committed value differs
// from the file or whose cell holds typed text. No entries when nothing is
// unsaved.
std::vector<JournalEntry> JournalEntries(const TableDocument& document);

// The journal's bytes, of the current version.
QByteArray WriteJournal(const JournalContent& content);
// Reads a journal of this version or an earlier one. A journal of another version, cut, damaged or
// naming no field gives nothing, with what is wrong in `problem` (for the user).
std::optional<JournalContent> ReadJournal(QByteArrayView bytes, QString& problem);

// The journals that editors left for one file, as one: a field held by more
// than one comes from the one written last, as do the file's size, checksum
// and the time. `journals` is not empty.
JournalContent MergeJournals(std::vector<JournalContent> journals);

// Puts the journal's fields back into `document`, whose current file is the
// journal's: the values go in as Применить список изменений applies them
// (with its check that each field still holds its "В файле" value, and
// `on_conflict` saying what becomes of those that do not), then the typed
// texts of the fields that went in. Makes no step of its own: the caller
// groups it.
ApplyResult RecoverJournal(TableDocument& document, const JournalContent& content,
                           OnConflict on_conflict);

// The question the editor asks about a journal; `file_changed` when the file
// is no longer the one the journal was written against.
QString RecoveryQuestion(const JournalContent& content, bool file_changed);
