#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <vector>

#include "document/caption_language.h"
#include "document/table_document.h"
#include "formats/csv_issue.h"
#include "formats/csv_separator.h"

// A list of field changes as CSV: "Таблица" (the tab caption), "№", "Название",
// "Столбец" (the caption), "В файле" and "Новое" (values as the grid shows
// them). Made from a document's changes or from two files; applied to a file
// only where it still holds what the list says it held.

// Every field whose value differs between `from` and `to`, in table, entry and
// column order.
std::vector<FieldChange> DiffTables(const TableSet& from, const TableSet& to);

// The rows of the list; names come from `names`. The header, and the table
// and column names, are in `language`; reading takes either.
QList<QStringList> ChangeListRows(const std::vector<FieldChange>& changes, const TableSet& names,
                                  CaptionLanguage language = CaptionLanguage::Russian);
QByteArray WriteChangeList(const std::vector<FieldChange>& changes, const TableSet& names,
                           CsvSeparator separator = CsvSeparator::Comma,
                           CaptionLanguage language = CaptionLanguage::Russian);
// The document's changes against its current file.
QByteArray WriteChangeList(const TableDocument& document,
                           CsvSeparator separator = CsvSeparator::Comma,
                           CaptionLanguage language = CaptionLanguage::Russian);

struct ApplyResult {
  CsvIssues errors;      // rows that cannot be applied at all (or no memory): nothing changed
  CsvIssues conflicts;   // fields that no longer hold their "В файле" value
  bool applied = false;  // whether the document changed
  // Every "Новое" value that does not fit its field: among the errors too
  // when refused.
  CsvIssues out_of_range;
};

// Whether the values that do not fit are all that refuses a list.
inline bool OnlyOutOfRange(const CsvIssues& errors, const CsvIssues& out_of_range) {
  return !errors.isEmpty() && errors.Total() == out_of_range.Total();
}

// What becomes of a list with conflicts.
enum class OnConflict {
  Refuse,     // nothing changes
  Overwrite,  // every change goes in, the conflicting ones too
  Skip,       // the changes without a conflict go in, the conflicting fields stay
};

// A list judged against the document without changing it: its errors, its
// conflicts, and the changes it would make.
struct PlannedChange {
  FieldRef field;
  std::int32_t value = 0;    // the "Новое" value, widened as the grid shows it
  bool conflicting = false;  // the field no longer holds the list's "В файле" value
};
struct ChangeListPlan {
  CsvIssues errors;
  CsvIssues conflicts;
  std::vector<PlannedChange> changes;  // in the list's order; none when it has errors
  CsvIssues out_of_range;              // as in ApplyResult
};
// Where a field is, for a message: "«Существа» № 3 «Name», «Атака»".
QString FieldPlace(const TableSet& names, const FieldRef& field);

// Judges every row, taking a "Новое" value that its field cannot hold as
// `out_of_range` says; an exhausted memory makes one error.
ChangeListPlan PlanChangeList(const TableDocument& document, QByteArrayView csv,
                              OutOfRange out_of_range = OutOfRange::Refuse);

// Applies the list: when it has no errors, every "Новое" goes into its field
// as JudgeFieldText takes it (the text the cell shows now changes nothing), with
// conflicts treated as `on_conflict` says and values their fields cannot hold
// as `out_of_range` says. A list with errors changes nothing.
ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, OnConflict on_conflict,
                            OutOfRange out_of_range = OutOfRange::Refuse);
// The same, refusing conflicts unless `force` (then overwriting them).
ApplyResult ApplyChangeList(TableDocument& document, QByteArrayView csv, bool force = false);
