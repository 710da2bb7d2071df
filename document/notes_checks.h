#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "document/field_notes.h"
#include "document/formula.h"

// What the notes find wrong in the tables: an entry that breaks a check of
// its table, or a field outside the sane range its notes give.
struct NoteFinding {
  TableIndex table = kCreatures;
  int entry = 0;
  int column = 0;  // the field outside its sane range; 0 for a broken check
  int check = -1;  // the broken check's index in its table's notes; -1 for a range
  CheckLevel level = CheckLevel::Warning;
  friend bool operator==(const NoteFinding&, const NoteFinding&) = default;
};

// Field notes with their checks compiled once, to be worked out over the
// tables as often as they change.
class NotesChecker {
 public:
  explicit NotesChecker(FieldNotes notes);
  ~NotesChecker();
  NotesChecker(const NotesChecker&) = delete;
  NotesChecker& operator=(const NotesChecker&) = delete;

  const FieldNotes& Notes() const { return notes_; }

  // Whether a field's value (widened as the grid shows it) lies outside the
  // sane range of its notes; never without one.
  bool OutsideSaneRange(TableIndex table, int column, std::int32_t value) const;
  // The checks of `table` that `entry` breaks, by index, in the notes' order.
  // A condition breaks when its result is 0, not a number, or fails.
  std::vector<int> BrokenChecks(const FormulaFields& fields, TableIndex table, int entry) const;
  // Every finding in `table` (or all three), in table and entry order; for
  // an entry, its broken checks first, then its fields outside their ranges
  // in column order.
  std::vector<NoteFinding> Findings(const FormulaFields& fields, TableIndex table) const;
  std::vector<NoteFinding> Findings(const TableDocument& document,
                                    std::optional<TableIndex> only = std::nullopt) const;

 private:
  FieldNotes notes_;
  std::array<std::vector<Formula>, kTableCount> checks_;
};

// The sane range of a field as text, "1..20", "≥ 1" or "≤ 20"; empty without one.
QString SaneRangeText(const FieldNote& note);
