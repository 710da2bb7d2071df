// Formulas against results worked out by hand, over one creature whose
// fields are set first: rounding, the field's range (limited or wrapped),
// results that are not numbers, errors with their line and column,
// conditions, captions reached by name, and what the engine lets a formula see.

#include <gtest/gtest.h>

#include "formula.h"
#include "sample_image.h"
#include "table_document.h"

namespace {

// Creature columns: Атака (signed byte), Мин. урон, Здоровье (unsigned 2
// bytes), Золото (signed 2 bytes).
constexpr int kAttack = 1, kMinDamage = 3, kHealth = 5, kGold = 8;

struct FormulaCase {
  const char* what;
  int column;
  const char* formula;
  const char* condition;
  bool wrap;
  // The field afterwards, and the counts; error: what the error says.
  std::int32_t value;
  int cells, out_of_range, not_number_results;
  const char* error;
};

const FormulaCase kCases[] = {
    {"2.5 rounds away from zero", kAttack, "value / 4", "", false, 3, 1, 0, 0, nullptr},
    {"-2.5 rounds away from zero", kAttack, "-value / 4", "", false, -3, 1, 0, 0, nullptr},
    {"2.49 rounds down", kAttack, "2.49", "", false, 2, 1, 0, 0, nullptr},
    {"too large is limited", kAttack, "value * 100", "", false, 127, 1, 1, 0, nullptr},
    {"too small is limited", kAttack, "-1e300", "", false, -128, 1, 1, 0, nullptr},
    {"too large wraps as typing would", kAttack, "value * 100", "", true, -24, 1, 1, 0, nullptr},
    {"a string is not a number", kAttack, "'12'", "", false, 10, 1, 0, 1, nullptr},
    {"a division by zero is not a number", kAttack, "value / 0", "", false, 10, 1, 0, 1, nullptr},
    {"undefined is not a number", kAttack, "row.Нет", "", false, 10, 1, 0, 1, nullptr},
    {"NaN is not a number", kAttack, "Math.sqrt(-1)", "", false, 10, 1, 0, 1, nullptr},
    {"a syntax error has its line and column", kAttack, "1 +\n  * 2", "", false, 10, 0, 0, 0,
     "строка 2, столбец 3"},
    {"an error while running is placed at the name it gives", kAttack, "1 +\n  nothing", "", false,
     10, 0, 0, 0, "строка 2, столбец 3: ReferenceError"},
    {"so is one naming a property", kAttack, "Атака.x.Атака", "", false, 10, 0, 0, 0,
     "строка 1, столбец 9: TypeError"},
    {"an error naming nothing has its line alone", kAttack, "1 + null()", "", false, 10, 0, 0, 0,
     "строка 1: TypeError"},
    {"a thrown value is an error", kAttack, "(() => { throw 5; })()", "", false, 10, 0, 0, 0,
     "строка 1: Error: 5"},
    {"a false condition leaves the entry out", kAttack, "99", "Здоровье > 300", false, 10, 0, 0, 0,
     nullptr},
    {"a true condition takes the entry", kAttack, "99", "Здоровье >= 300 && Золото == 1000", false,
     99, 1, 0, 0, nullptr},
    {"a condition's error is named", kAttack, "99", "Здоровье >", false, 10, 0, 0, 0,
     "условие: ошибка в формуле, строка 1"},
    {"a caption with a dot through row", kGold, "row[\"Мин. урон\"] * 2.5", "", false, 10, 1, 0, 0,
     nullptr},
    {"plain captions as names", kGold, "Здоровье / Золото * 100 + Атака", "", false, 40, 1, 0, 0,
     nullptr},
    {"an unsigned field takes its whole range", kHealth, "65535.4", "", false, 65535, 1, 0, 0,
     nullptr},
    {"Math is there", kHealth, "Math.max(Атака, 7) ** 2", "", false, 100, 1, 0, 0, nullptr},
    // A bare engine: the language's own globals and nothing of the system.
    {"nothing of the system is there", kHealth,
     "[typeof Qt, typeof print, typeof console, typeof XMLHttpRequest, typeof setTimeout,"
     " typeof require, typeof gc, typeof fetch, typeof importScripts]"
     ".every(t => t === 'undefined') ? 1 : 0",
     "", false, 1, 1, 0, 0, nullptr},
    {"modules cannot be loaded", kHealth, "import('file:///etc/passwd')", "", false, 300, 0, 0, 0,
     "SyntaxError"},
    {"a formula past its time limit is stopped", kHealth, "(() => { while (true) {} })()", "",
     false, 300, 0, 0, 0, "дольше 2 с"},
};

TEST(FormulaTest, ResultsAsWorkedOutByHand) {
  for (const FormulaCase& c : kCases) {
    SCOPED_TRACE(c.what);
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), MakeSample(5).image);
    const auto field = [](int column) { return FieldRef{kCreatures, 0, column}; };
    document.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
      edit.SetValue(field(kAttack), 10);
      edit.SetValue(field(kMinDamage), 4);
      edit.SetValue(field(kHealth), 300);
      edit.SetValue(field(kGold), 1000);
    });
    const std::size_t steps = document.History().Count();

    const RangeEditPlan plan =
        PlanFormulaEdit(document, {field(c.column)}, QString::fromUtf8(c.formula), c.wrap,
                        QString::fromUtf8(c.condition));
    if (c.error) {
      EXPECT_TRUE(plan.error.contains(QString::fromUtf8(c.error))) << plan.error.toStdString();
      EXPECT_TRUE(plan.changes.empty());
    } else {
      EXPECT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
      EXPECT_EQ(plan.cells, c.cells);
      EXPECT_EQ(plan.out_of_range, c.out_of_range);
      EXPECT_EQ(plan.not_number_results, c.not_number_results);
    }
    CarryOut(document, plan);
    EXPECT_EQ(document.ValueAfterCommit(field(c.column)), c.value);
    EXPECT_EQ(document.History().Count(), steps + (plan.changes.empty() ? 0 : 1));
  }
}

// Through the range edit's own path, as the dialog's "По формуле" goes: text
// typed into a cell counts as its value, and a cell whose text is not a
// number is left alone.
TEST(FormulaTest, TheRangeEditRunsAFormulaOverTypedText) {
  RegisterFormulaEdits();
  TableDocument document;
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(5).image);
  const FieldRef typed{kCreatures, 0, kAttack}, junk{kCreatures, 1, kAttack};
  document.Type(typed, "20");
  document.Type(junk, "abc");
  RangeEdit edit;
  edit.operation = RangeEdit::Operation::Formula;
  edit.formula = QStringLiteral("value + 1");
  const RangeEditPlan plan = PlanRangeEdit(document, {typed, junk}, edit);
  EXPECT_EQ(plan.not_numbers, 1);
  ASSERT_EQ(plan.changes.size(), 1u);
  EXPECT_EQ(plan.changes[0].value, 21);
  EXPECT_TRUE(RangeEditSummary(plan, false).contains(QStringLiteral("1 из 2")));
}

}  // namespace
