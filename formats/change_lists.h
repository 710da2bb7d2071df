#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "formats/change_list.h"

// Several lists of changes applied to one document in order, as one merge: a
// field that two lists set to different values is a conflict between them,
// settled for every such field at once by preferring the earlier or the later
// list, or else refusing them all. Two lists setting a field to the same value
// agree. Every list is checked, as a single list is, against the document as
// it stood before any of them.

enum class ListPreference { kEarlier, kLater };

struct ChangeListFile {
  QString name;  // as the user is shown it: the file's path
  QByteArray csv;
};

// Two lists that set one field to different values; `earlier` and `later`
// index the lists.
struct ListsConflict {
  FieldRef field;
  std::size_t earlier = 0;
  std::size_t later = 0;
  std::int32_t earlier_value = 0;  // widened as the grid shows them
  std::int32_t later_value = 0;
};

// A change that went in, and the lists that asked for it (the one that won a
// conflict, or every list that agreed on the value).
struct ChangeFromLists {
  FieldChange change;  // `in_file`: the value before the lists
  std::vector<std::size_t> lists;
};

struct ListsChoices {
  std::optional<ListPreference> prefer;  // none: a conflict between lists refuses them all
  OnConflict on_file_conflict = OnConflict::Refuse;  // fields that no longer hold "В файле"
  OutOfRange out_of_range = OutOfRange::Refuse;      // values their fields cannot hold
};

struct ListsResult {
  std::vector<CsvIssues> errors;          // per list; any at all: nothing changed
  std::vector<CsvIssues> file_conflicts;  // per list
  std::vector<CsvIssues> out_of_range;    // per list: among the errors when refused
  std::vector<ListsConflict> conflicts;   // between lists, in field order
  std::vector<ChangeFromLists> changes;   // what went in, in field order
  bool applied = false;                   // whether the merge went in

  bool HasErrors() const;
  bool HasFileConflicts() const;
  // Whether the values that do not fit are all the errors there are.
  bool OnlyOutOfRange() const;
  qsizetype OutOfRangeCount() const;
};

// Judges every list, merges them and, unless a conflict refuses it, applies
// the merge (with no history step of its own: the caller makes one).
ListsResult ApplyChangeLists(TableDocument& document, const std::vector<ChangeListFile>& lists,
                             const ListsChoices& choices);

// "«Существа» № 3 «Name», «Атака»: a.csv — 7, b.csv — 9", one conflict a line.
QStringList ListsConflictLines(const ListsResult& result, const std::vector<ChangeListFile>& lists,
                               const TableSet& names);

// The changes that went in as a change list with one more column, "Список":
// the lists each came from, "; " between them.
QByteArray WriteListsReport(const ListsResult& result, const std::vector<ChangeListFile>& lists,
                            const TableSet& names, CsvSeparator separator = CsvSeparator::Comma,
                            CaptionLanguage language = CaptionLanguage::Russian);
