#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "range_edit.h"
#include "table_document.h"

// Formulas over the fields of one table's entries, for the balance panel
// (conditions and computed columns), the range edit and trevalune-cli.
//
// A formula is a JavaScript expression run by QJSEngine, with no extensions
// installed: only the language's own globals (Math, JSON, Number...) are
// there, and nothing that reaches files, the network or timers. In it `value`
// is the cell's own value (undefined where there is no cell, as in a computed
// column), `row` holds every field of the entry by caption (row["Мин. урон"]),
// and each caption that is a plain name is also a name of its own (Здоровье).

// Where a formula went wrong: its line and column (1 and up; the column is 0
// when the engine does not know it, as for an error while it runs; both are 0
// for a run stopped at its time limit) and the engine's message.
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
    NotNumber,  // NaN, an infinity, a string, undefined...
    Failed,     // the formula threw, or ran out of time: `error`
  };
  Kind kind = Kind::NotNumber;
  double number = 0;
  bool truth = false;  // the result as a condition
  FormulaError error;
};

// The field values a formula reads: (entry, column) to the value widened as
// the grid shows it.
using FormulaFields = std::function<std::int32_t(int entry, int column)>;
// The document's values after commit (typed text counts), or the comparison
// file's.
FormulaFields FieldsAfterCommit(const TableDocument& document, TableIndex table);
FormulaFields ComparisonFields(const TableDocument& document, TableIndex table);

// One formula, compiled for one table.
class Formula {
 public:
  Formula(TableIndex table, const QString& text);
  ~Formula();
  Formula(const Formula&) = delete;
  Formula& operator=(const Formula&) = delete;

  // The syntax error, if the text does not compile.
  const std::optional<FormulaError>& CompileError() const { return compile_error_; }

  // Runs for one entry; `column` gives `value`. Between BeginRun and EndRun
  // the runs share one time limit: once it passes, every run fails with
  // "время вышло" (and a run that is under way is stopped).
  FormulaResult Evaluate(const FormulaFields& fields, int entry, std::optional<int> column);
  void BeginRun(int milliseconds);
  void EndRun();
  // Whether the time limit of the run has passed.
  bool TimedOut() const;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
  TableIndex table_;
  QStringList lines_;  // the formula's own lines, to place an error in
  std::optional<FormulaError> compile_error_;
};

// How long a formula may run over a selection, a table or a column.
inline constexpr int kFormulaTimeLimitMs = 2000;

// The plan of setting `fields` each to its formula's result, with the rules
// of the range edit: rounded half away from zero, limited to the field's
// range or wrapped; a result that is not a number leaves its cell alone. Only
// the entries for which `condition` (when not empty) is true take part. On a
// formula error or a run past the time limit the plan has the error and
// changes nothing.
RangeEditPlan PlanFormulaEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                              const QString& formula, bool wrap, const QString& condition = {});

// A formula's number for a field of `layout`: rounded half away from zero,
// then limited or wrapped as the range edit does.
RangeResult FormulaNumberToField(double number, FieldLayout layout, bool wrap);

// Lets the range edit plan formulas (SetFormulaPlanner) with PlanFormulaEdit.
void RegisterFormulaEdits();
