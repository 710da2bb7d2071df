#include "document/notes_checks.h"

#include <QCoreApplication>
#include <utility>

NotesChecker::NotesChecker(FieldNotes notes) : notes_(std::move(notes)) {
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (const NoteCheck& check : notes_.tables[table].checks)
      checks_[table].emplace_back(table, check.condition, FormulaPlace::Entry);
}

NotesChecker::~NotesChecker() = default;

bool NotesChecker::OutsideSaneRange(TableIndex table, int column, std::int32_t value) const {
  const FieldNote& note = notes_.Field(table, column);
  if (!note.min && !note.max)
    return false;
  const std::int64_t number = ShownNumber(value, FieldOf(table, column));
  return (note.min && number < *note.min) || (note.max && number > *note.max);
}

std::vector<int> NotesChecker::BrokenChecks(const FormulaFields& fields, TableIndex table,
                                            int entry) const {
  std::vector<int> broken;
  const std::vector<Formula>& checks = checks_[table];
  for (std::size_t i = 0; i < checks.size(); ++i) {
    const FormulaResult result = checks[i].Evaluate(fields, entry, std::nullopt);
    if (result.kind != FormulaResult::Kind::Number || !result.truth)
      broken.push_back(static_cast<int>(i));
  }
  return broken;
}

std::vector<NoteFinding> NotesChecker::Findings(const FormulaFields& fields,
                                                TableIndex table) const {
  std::vector<NoteFinding> findings;
  const TableNotes& notes = notes_.tables[table];
  std::vector<int> ranged;
  for (int column = 1; column < ColCounts[table]; ++column)
    if (notes.fields[column].min || notes.fields[column].max)
      ranged.push_back(column);
  for (int entry = 0; entry < EntryCount(table); ++entry) {
    for (const int check : BrokenChecks(fields, table, entry))
      findings.push_back({table, entry, 0, check, notes.checks[check].level});
    for (const int column : ranged)
      if (OutsideSaneRange(table, column, fields(entry, column)))
        findings.push_back({table, entry, column, -1, CheckLevel::Warning});
  }
  return findings;
}

std::vector<NoteFinding> NotesChecker::Findings(const TableDocument& document,
                                                std::optional<TableIndex> only) const {
  std::vector<NoteFinding> findings;
  // Read from one copy of the tables with the typed texts committed: a field
  // is read many times over, and the document looks each up among its texts.
  const TableSet tables = document.TablesAfterCommit();
  for (TableIndex table = 0; table < kTableCount; ++table) {
    if (only && *only != table)
      continue;
    const FormulaFields fields = [&tables, table](int entry, int column) {
      return FieldValue(tables, table, entry, column);
    };
    const std::vector<NoteFinding> found = Findings(fields, table);
    findings.insert(findings.end(), found.begin(), found.end());
  }
  return findings;
}

QString SaneRangeText(const FieldNote& note) {
  if (note.min && note.max)
    return QStringLiteral("%1..%2").arg(*note.min).arg(*note.max);
  if (note.min)
    return QStringLiteral("≥ %1").arg(*note.min);
  if (note.max)
    return QStringLiteral("≤ %1").arg(*note.max);
  return {};
}
