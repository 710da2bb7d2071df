// Formulas against results worked out by hand, over one creature whose
// fields are set first: rounding, the field's range (limited or wrapped),
// results that are not numbers, the operators and functions, names in both
// languages, conditions, and errors with their line and column in
// characters. Texts that once hung, crashed or took gigabytes in a script
// engine are errors here, found at once.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "document/formula.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"

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
    {"an unsigned field takes its whole range", kHealth, "65535.4", "", false, 65535, 1, 0, 0,
     nullptr},
    {"a division by zero is not a number", kAttack, "value / 0", "", false, 10, 1, 0, 1, nullptr},
    {"0/0 is not a number", kAttack, "0 / 0", "", false, 10, 1, 0, 1, nullptr},
    {"sqrt(-1) is not a number", kAttack, "sqrt(-1)", "", false, 10, 1, 0, 1, nullptr},
    {"an overflow is not a number", kHealth, "1e308 * 10", "", false, 300, 1, 0, 1, nullptr},
    // The language: operators, comparisons, logic and functions.
    {"^ is a power", kHealth, "value ^ 2 / 100", "", false, 900, 1, 0, 0, nullptr},
    {"round is half away from zero", kAttack, "round(2.5) * 10 + round(-2.5)", "", false, 27, 1, 0,
     0, nullptr},
    {"floor and ceil", kAttack, "floor(-1.5) * 10 + ceil(1.2)", "", false, -18, 1, 0, 0, nullptr},
    {"min, max, abs and sqrt", kAttack, "min(value, 4, 7) + max(1, 2) * abs(-3) - sqrt(16)", "",
     false, 6, 1, 0, 0, nullptr},
    {"comparisons, && and ?:", kAttack, "Здоровье >= 300 && Золото == 1000 ? 1 : 0", "", false, 1,
     1, 0, 0, nullptr},
    {"!= and ||", kAttack, "Здоровье != 300 || value < 5 ? 1 : 2", "", false, 2, 1, 0, 0, nullptr},
    {"< <= > in a chain of ?:", kAttack, "value < 10 ? 1 : value <= 10 ? 2 : value > 10 ? 3 : 4",
     "", false, 2, 1, 0, 0, nullptr},
    // Names: captions with _ for a space and no dots, in Russian and English.
    {"plain captions as names", kGold, "Здоровье / Золото * 100 + Атака", "", false, 40, 1, 0, 0,
     nullptr},
    {"a caption with a dot and a space", kGold, "Мин_урон * 2.5", "", false, 10, 1, 0, 0, nullptr},
    {"English captions", kGold, "Health / Gold * 100 + Attack + Min_damage", "", false, 44, 1, 0, 0,
     nullptr},
    {"an unknown name names the closest caption", kAttack, "Здоровь + 1", "", false, 10, 0, 0, 0,
     "строка 1, столбец 1: нет поля «Здоровь»; может быть, «Здоровье»?"},
    {"so in English", kAttack, "1 + Helth", "", false, 10, 0, 0, 0,
     "столбец 5: нет поля «Helth»; может быть, «Health»?"},
    {"an unknown function names the closest", kAttack, "maxx(1, 2)", "", false, 10, 0, 0, 0,
     "нет функции «maxx»; может быть, «max»?"},
    {"a sign glued to a name is its own error", kAttack, "Здоровье−1", "", false, 10, 0, 0, 0,
     "столбец 9: непонятный знак «−»"},
    // Errors, placed in characters, not bytes.
    {"a syntax error has its line and column", kAttack, "1 +\n  * 2", "", false, 10, 0, 0, 0,
     "строка 2, столбец 3: здесь не может стоять «*»"},
    {"columns count characters", kAttack, "Здоровье + * 2", "", false, 10, 0, 0, 0,
     "строка 1, столбец 12"},
    {"lines count after Cyrillic", kAttack, "Атака +\n  Здоровь", "", false, 10, 0, 0, 0,
     "строка 2, столбец 3: нет поля «Здоровь»"},
    {"an unclosed comment is no comment", kAttack, "5 /* open", "", false, 10, 0, 0, 0,
     "строка 1, столбец 4"},
    {"a missing parenthesis", kAttack, "(value + 1", "", false, 10, 0, 0, 0,
     "не хватает закрывающей скобки"},
    {"an assignment is refused", kAttack, "value = 3", "", false, 10, 0, 0, 0,
     "столбец 7: присваивать в формуле нельзя"},
    {"so is one to a field", kAttack, "Здоровье = 3", "", false, 10, 0, 0, 0,
     "столбец 10: присваивать"},
    {"two results are refused", kAttack, "min(1, 2), 3", "", false, 10, 0, 0, 0,
     "столбец 10: формула — одно выражение"},
    {"strings are not numbers", kAttack, "\"12\"", "", false, 10, 0, 0, 0, "строк в формулах нет"},
    {"a control character is refused", kAttack, "1 +\x01 2", "", false, 10, 0, 0, 0,
     "столбец 4: непечатаемый знак"},
    {"an empty formula", kAttack, " ", "", false, 10, 0, 0, 0, "ошибка в формуле: формула пуста"},
    {"the old row[...] is named as such", kAttack, "row[\"Мин. урон\"]", "", false, 10, 0, 0, 0,
     "«row» — из прежних формул"},
    {"so is Math.", kAttack, "Math.max(1, 2)", "", false, 10, 0, 0, 0, "«Math» — из прежних"},
    // Texts that hung, crashed or took memory without end in a script engine.
    {"a loop closed over the wrapper", kAttack,
     "1); } finally {} }), (()=>{for(;;){}})(), (function(){ try { return (1", "", false, 10, 0, 0,
     0, "строка 1, столбец 2: здесь не может стоять скобка «)»"},
    {"a spread of a million", kAttack, "Math.max(...new Array(1e6).fill(1))", "", false, 10, 0, 0,
     0, "столбец 1"},
    {"an array of a billion", kAttack, "new Array(1e9).fill(1)", "", false, 10, 0, 0, 0,
     "нет поля «new»"},
    {"a string of a billion", kAttack, "'x'.repeat(1e9)", "", false, 10, 0, 0, 0,
     "непонятный знак «'»"},
    {"a buffer of two gigabytes", kAttack, "new ArrayBuffer(2**31)", "", false, 10, 0, 0, 0,
     "нет поля «new»"},
    {"a loop", kAttack, "(() => { while (true) {} })()", "", false, 10, 0, 0, 0,
     "столбец 3: здесь не может стоять скобка «)»"},
    // Conditions.
    {"a false condition leaves the entry out", kAttack, "99", "Здоровье > 300", false, 10, 0, 0, 0,
     nullptr},
    {"a true condition takes the entry", kAttack, "99", "Здоровье >= 300 && Золото == 1000", false,
     99, 1, 0, 0, nullptr},
    {"a condition's error is named", kAttack, "99", "Здоровье >", false, 10, 0, 0, 0,
     "условие: ошибка в формуле, строка 1, столбец 11"},
    {"a condition has no value", kAttack, "99", "value > 1", false, 10, 0, 0, 0,
     "условие: ошибка в формуле, строка 1, столбец 1: у условия и вычисляемого столбца нет своей"},
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

// A formula's number of any size for fields of every width: within the
// range it is the field's value, beyond it the nearer end or, wrapped, the
// number's own low bits, on both sides of the largest whole number of 64
// bits.
TEST(FormulaTest, NumbersOfAnySizeAreLimitedOrKeepTheirLowBits) {
  const FieldLayout layouts[] = {{0, 1, true},  {0, 1, false}, {0, 2, true},
                                 {0, 2, false}, {0, 4, true},  {0, 4, false}};
  std::vector<double> numbers = {0, 1.5, -2.5, 127, 128, 65535, 65536, 4294967295.0, -2147483649.0};
  // Around powers of two, with low bits set where a double holds them: at
  // 2^p a double counts in steps of 2^(p-52).
  for (const int power : {53, 61, 62, 63, 64, 80, 100})
    for (const double sign : {1.0, -1.0})
      for (const double steps : {-3.0, 0.0, 3.0})
        numbers.push_back(sign * (std::ldexp(1.0, power) + steps * std::ldexp(1.0, power - 52)));
  for (const FieldLayout layout : layouts)
    for (const double number : numbers) {
      SCOPED_TRACE(testing::Message() << number << " into " << int(layout.width) << " bytes, "
                                      << (layout.is_signed ? "signed" : "unsigned"));
      const double rounded = std::round(number);
      const std::int64_t low = layout.is_signed ? -(std::int64_t{1} << (8 * layout.width - 1)) : 0;
      const std::int64_t high = layout.is_signed ? (std::int64_t{1} << (8 * layout.width - 1)) - 1
                                                 : (std::int64_t{1} << (8 * layout.width)) - 1;
      const bool fits = rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high);
      // The low 32 bits: what is left above the largest multiple of 2^32 not
      // past the number, every step exact in a double.
      const double above = rounded - std::floor(rounded / 4294967296.0) * 4294967296.0;
      const auto bits = static_cast<std::uint32_t>(above);
      const std::int32_t wrapped =
          WrapToField(static_cast<std::int32_t>(bits), layout.width, layout.is_signed);
      const std::int32_t limited = WrapToField(
          static_cast<std::int32_t>(static_cast<std::uint32_t>(rounded < 0 ? low : high)),
          layout.width, layout.is_signed);

      const RangeResult kept = FormulaNumberToField(number, layout, false);
      const RangeResult wrapping = FormulaNumberToField(number, layout, true);
      EXPECT_EQ(kept.fitted, fits);
      EXPECT_EQ(wrapping.fitted, fits);
      EXPECT_EQ(kept.value, fits ? wrapped : limited);
      EXPECT_EQ(wrapping.value, wrapped);
    }
}

}  // namespace
