#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "document/range_edit.h"
#include "document/table_document.h"

// Formulas over the fields of one table's entries, for the balance panel
// (conditions and computed columns), the range edit and trevalune-cli.
//
// A formula is an arithmetic expression, compiled and worked out by muParser:
// numbers (with a dot), + - * / ^, the comparisons < <= > >= == !=, && and
// ||, cond ? a : b, and functions (min, max, abs, round, floor, ceil, sqrt and
// muParser's own). `value` is the cell's own value; each field of the same
// entry is named by its caption with spaces written as _ and dots left out,
// in Russian or in English (Мин_урон, Min_damage). There are no loops, no
// strings and no assignments: a formula cannot run for long or take memory.

// Where a formula went wrong: its line and column (1 and up, counted in
// characters; 0 and 0 when there is no place, as for an empty formula) and
// what is wrong.
struct FormulaError {
  int line = 0;
  int column = 0;
  QString message;
};
// The error as the user reads it, with its line and column.
QString FormulaErrorText(const FormulaError& error);

// What a formula gave for one entry.
struct FormulaResult {
  enum class Kind {
    Number,     // a finite number, in `number`
    NotNumber,  // not a number or an infinity (0/0, 1/0, sqrt(-1))
    Failed,     // the formula does not compile, or the engine failed: `error`
  };
  Kind kind = Kind::NotNumber;
  double number = 0;
  bool truth = false;  // the result as a condition: a number other than 0
  FormulaError error;
};

// The field values a formula reads: (entry, column) to the value widened as
// the grid shows it.
using FormulaFields = std::function<std::int32_t(int entry, int column)>;
// The document's values after commit (typed text counts), or the comparison
// file's.
FormulaFields FieldsAfterCommit(const TableDocument& document, TableIndex table);
FormulaFields ComparisonFields(const TableDocument& document, TableIndex table);

// What a formula is worked out for: a cell, whose value is `value`; or a
// whole entry (a condition, a computed column), which has no `value`.
enum class FormulaPlace { Cell, Entry };

// The name a formula knows a field by: its caption (UTF-8) with each space
// written as _ and the dots left out ("Мин. урон" is Мин_урон).
QString FormulaName(std::string_view caption);

// One formula, compiled once for one table.
class Formula {
 public:
  Formula(TableIndex table, const QString& text, FormulaPlace place);
  ~Formula();
  Formula(Formula&&) noexcept;
  Formula& operator=(Formula&&) noexcept;
  Formula(const Formula&) = delete;
  Formula& operator=(const Formula&) = delete;

  const QString& Text() const { return text_; }
  // The first error, if the text does not compile.
  const std::optional<FormulaError>& CompileError() const { return compile_error_; }

  // Works the formula out for one entry; `column` is the cell's, for `value`.
  // Reads only the fields the formula names.
  FormulaResult Evaluate(const FormulaFields& fields, int entry, std::optional<int> column) const;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
  QString text_;
  std::optional<FormulaError> compile_error_;
};

// The plan of setting `fields` each to its formula's result, with the rules
// of the range edit: rounded half away from zero, limited to the field's
// range or wrapped; a result that is not a finite number leaves its cell
// alone. Only the entries for which `condition` (when not empty) is true take
// part. On an error the plan has the error and changes nothing.
RangeEditPlan PlanFormulaEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                              const QString& formula, bool wrap, const QString& condition = {});

// A formula's number for a field of `layout`: rounded half away from zero,
// then limited or wrapped as the range edit does.
RangeResult FormulaNumberToField(double number, FieldLayout layout, bool wrap);
