// The pieces of working on a mod that live in the document: the range
// operations, and the list of differing fields kept up to date as the
// document changes, against the file on disk and against a comparison file.

#include <algorithm>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/changes_model.h"
#include "document/comparison_file.h"
#include "document/range_edit.h"
#include "document/range_edit_number.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"
#include "tables/number_parse.h"
#include "tests/support/memory_file_store.h"

namespace {

using Op = RangeEdit::Operation;

constexpr FieldLayout kS8{0, 1, true};
constexpr FieldLayout kU8{0, 1, false};
constexpr FieldLayout kU16{0, 2, false};
constexpr FieldLayout kS16{0, 2, true};
constexpr FieldLayout kS32{0, 4, true};
constexpr FieldLayout kU32{0, 4, false};

struct RangeCase {
  const char* what;
  RangeEdit edit;
  FieldLayout layout;
  std::int32_t value;
  std::int32_t limited;  // the result as the field holds it, limited to its range
  std::int32_t wrapped;  // the same, wrapped as typing would
  bool fitted;
};

RangeEdit Make(Op operation, std::int64_t amount, std::int64_t low = 0, std::int64_t high = 0) {
  return {operation, amount, low, high, false};
}

// A percentage with hundredths, such as 12.5 % (12 and 50).
RangeEdit MakePercent(std::int64_t whole, std::int64_t hundredths) {
  RangeEdit edit = Make(Op::Multiply, whole);
  edit.hundredths = hundredths;
  return edit;
}

const RangeCase kRangeCases[] = {
    {"set within the field", Make(Op::Set, 5), kS8, 3, 5, 5, true},
    {"set beyond a signed byte", Make(Op::Set, 200), kS8, 3, 127, -56, false},
    {"add past an unsigned byte", Make(Op::Add, 10), kU8, 250, 255, 4, false},
    {"subtract below zero", Make(Op::Subtract, 10), kU16, 3, 0, 65529, false},
    {"add a negative amount", Make(Op::Add, -40), kS16, 10, -30, -30, true},
    {"150 % of 3 rounds 4.5 up", Make(Op::Multiply, 150), kS16, 3, 5, 5, true},
    {"150 % of -3 rounds -4.5 down", Make(Op::Multiply, 150), kS16, -3, -5, -5, true},
    {"33 % of 10 rounds 3.3 down", Make(Op::Multiply, 33), kS16, 10, 3, 3, true},
    {"50 % of the largest unsigned 32-bit value", Make(Op::Multiply, 50), kU32, -1,
     static_cast<std::int32_t>(2147483648u), static_cast<std::int32_t>(2147483648u), true},
    {"-100 % of an unsigned value", Make(Op::Multiply, -100), kU8, 7, 0, 249, false},
    // Percentages up to ten billion, as the dialog takes them, on 32-bit
    // values: the product is past 64 bits, the result's low bits still exact.
    {"ten billion % of the largest unsigned 32-bit value", Make(Op::Multiply, 10'000'000'000), kU32,
     -1, -1, -100000000, false},
    {"a large negative percentage of a large signed value", Make(Op::Multiply, -5'556'739'557),
     kS32, 1914819027, std::numeric_limits<std::int32_t>::min(), -866829334, false},
    {"a half past 64 bits rounds away from zero", Make(Op::Multiply, 10'000'000'050), kU32,
     static_cast<std::int32_t>(3000000001u), -1, 2013007873, false},
    {"12.5 % of 10 rounds 1.25 down", MakePercent(12, 50), kS16, 10, 1, 1, true},
    {"-12.5 % of 12 is -1.5, rounded away from zero", MakePercent(-12, -50), kS16, 12, -2, -2,
     true},
    {"0.05 % of 1000 rounds 0.5 up", MakePercent(0, 5), kS16, 1000, 1, 1, true},
    {"99.99 % of the largest unsigned 32-bit value", MakePercent(99, 99), kU32, -1,
     static_cast<std::int32_t>(4294537798u), static_cast<std::int32_t>(4294537798u), true},
    {"limit from above", Make(Op::Limit, 0, 10, 20), kS16, 25, 20, 20, true},
    {"limit from below, bounds given reversed", Make(Op::Limit, 0, 20, 10), kS16, 5, 10, 10, true},
    {"a limit the field cannot reach", Make(Op::Limit, 0, 300, 400), kU8, 5, 255, 44, false},
    {"past the signed 32-bit range", Make(Op::Add, 1), kS32, 2147483647, 2147483647,
     static_cast<std::int32_t>(0x80000000u), false},
};

TEST(RangeEditTest, EachOperationLimitsOrWrapsWhatDoesNotFit) {
  for (const RangeCase& c : kRangeCases) {
    RangeEdit edit = c.edit;
    const RangeResult limited = ApplyRangeEdit(edit, c.layout, c.value);
    edit.wrap = true;
    const RangeResult wrapped = ApplyRangeEdit(edit, c.layout, c.value);
    EXPECT_EQ(limited.value, c.limited) << c.what;
    EXPECT_EQ(wrapped.value, c.wrapped) << c.what;
    EXPECT_EQ(limited.fitted, c.fitted) << c.what;
    EXPECT_EQ(wrapped.fitted, c.fitted) << c.what;
  }
}

// The dialog's numbers take every form a cell takes; one too large is out of
// range, with the range, rather than no number.
TEST(RangeEditTest, TheDialogReadsNumbersAsACellDoesAndNamesItsRange) {
  const QString not_a_number = QStringLiteral("Введите целое число.");
  const QString out_of_range =
      QStringLiteral("Число вне допустимого диапазона: от -10000000000 до 10000000000.");
  const struct {
    const char* text;
    std::optional<std::int64_t> value;
    QString problem;
  } rows[] = {
      {"$10", 16, {}},
      {"0x1F", 31, {}},
      {"X1f", 31, {}},
      {"-$10", -16, {}},
      {" +7 ", 7, {}},
      {"$FFFFFFFF", 4294967295, {}},
      {"-10000000000", -10'000'000'000, {}},
      {"10000000001", std::nullopt, out_of_range},
      {"$FFFFFFFFFF", std::nullopt, out_of_range},
      {"99999999999999999999999", std::nullopt, out_of_range},
      {"", std::nullopt, not_a_number},
      {"$", std::nullopt, not_a_number},
      {"12.5", std::nullopt, not_a_number},
      {"$1G", std::nullopt, not_a_number},
      {"99999999999999999999999x", std::nullopt, not_a_number},
  };
  for (const auto& row : rows) {
    const RangeEditNumber number = ReadRangeEditNumber(QString::fromLatin1(row.text));
    EXPECT_EQ(number.value, row.value) << row.text;
    EXPECT_EQ(number.problem, row.problem) << row.text;
  }
  // A percentage takes the same, and up to two decimals after a point or a comma.
  const QString not_a_percentage =
      QStringLiteral("Введите число, можно с двумя знаками после запятой.");
  const struct {
    const char* text;
    std::optional<std::int64_t> whole;
    std::int64_t hundredths;
    QString problem;
  } percentages[] = {
      {"150", 150, 0, {}},
      {"$10", 16, 0, {}},
      {"12.5", 12, 50, {}},
      {" 12,25 ", 12, 25, {}},
      {"-0.05", 0, -5, {}},
      {"+7.0", 7, 0, {}},
      {"10000000000.00", 10'000'000'000, 0, {}},
      {"10000000000.01", std::nullopt, 0, out_of_range},
      {"10000000001", std::nullopt, 0, out_of_range},
      {"12.345", std::nullopt, 0, not_a_percentage},
      {"12.", std::nullopt, 0, not_a_percentage},
      {".5", std::nullopt, 0, not_a_percentage},
      {"1e2", std::nullopt, 0, not_a_percentage},
      {"", std::nullopt, 0, not_a_percentage},
  };
  for (const auto& row : percentages) {
    const RangeEditPercent percent = ReadRangeEditPercent(QString::fromLatin1(row.text));
    EXPECT_EQ(percent.whole, row.whole) << row.text;
    EXPECT_EQ(percent.hundredths, row.hundredths) << row.text;
    EXPECT_EQ(percent.problem, row.problem) << row.text;
  }
  // Wherever the grid reads a 32-bit value that is not a bit pattern past
  // 2^31, the dialog reads the same.
  std::mt19937 rng(12);
  for (int k = 0; k < 2000; ++k) {
    const auto value = static_cast<std::int32_t>(rng() >> (1 + rng() % 31));
    const bool negative = rng() % 2;
    const std::string digits =
        k % 2 ? std::to_string(value) : QString::number(value, 16).toStdString();
    const std::string text = (negative ? "-" : "") + std::string(k % 2 ? "" : "$") + digits;
    ASSERT_EQ(ReadRangeEditNumber(QString::fromStdString(text)).value,
              std::optional<std::int64_t>(ParseGridNumber(text).value()))
        << text;
  }
}

// Over a document: cells that are not numbers are counted and left alone,
// typed numbers count as what a commit would store, and the whole edit is one
// step that an undo takes back exactly, typed texts included.
TEST(RangeEditTest, APlanCountsAndCarriesOutAsOneStep) {
  TableDocument document;
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(4).image);
  const FieldRef plain{kCreatures, 0, 1}, junk{kCreatures, 1, 1}, typed{kCreatures, 2, 1};
  document.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) { edit.SetValue(plain, 100); });
  document.Type(junk, "abc");
  document.Type(typed, "120");
  const std::vector<FieldRef> range{plain, junk, typed};
  const std::size_t steps = document.History().Count();

  const RangeEdit add{Op::Add, 20, 0, 0, false};
  const RangeEditPlan plan = PlanRangeEdit(document, range, add);
  EXPECT_EQ(plan.cells, 3);
  EXPECT_EQ(plan.not_numbers, 1);
  EXPECT_EQ(plan.out_of_range, 1);
  ASSERT_EQ(plan.changes.size(), 2u);
  EXPECT_EQ(plan.changes[0].value, 120);
  EXPECT_EQ(plan.changes[1].value, 127);
  const QString summary = RangeEditSummary(plan, false);
  EXPECT_TRUE(summary.contains(QStringLiteral("2 из 3"))) << summary.toStdString();
  EXPECT_TRUE(summary.contains(QStringLiteral("ограничены"))) << summary.toStdString();
  EXPECT_EQ(PlanRangeEdit(document, range, {Op::Add, 20, 0, 0, true}).changes[1].value, -116);

  CarryOut(document, plan);
  EXPECT_EQ(document.History().Count(), steps + 1);
  EXPECT_EQ(document.CellText(plain), "120");
  EXPECT_EQ(document.CellText(junk), "abc");
  EXPECT_EQ(document.CellText(typed), "127");
  EXPECT_FALSE(document.HasTypedText(typed));
  document.History().Undo();
  EXPECT_EQ(document.CellText(plain), "100");
  EXPECT_EQ(document.CellText(typed), "120");
  EXPECT_TRUE(document.HasTypedText(typed));
}

std::vector<FieldRef> AllFields() {
  std::vector<FieldRef> fields;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column)
        fields.push_back({table, entry, column});
  return fields;
}

// The list kept up to date field by field is always the list made afresh:
// random sessions of typing (numbers, text that is no number, the file's own
// value), values set, tabs committed, undos, redos, and a comparison file set
// and closed, with the model switched between the two lists and left to
// follow or not, as the panel is shown and hidden. F7's next and
// previous differing field, from a field or a name cell, are checked against
// the list too.
TEST(ChangesModelTest, FollowsEveryChangeAsAFreshListWould) {
  MemoryFileStore store;
  store.files[QStringLiteral("/other.exe")] = MakeSample(8).image;
  TableDocument document(&store);
  ChangesModel model(&document);
  document.OpenImage(QStringLiteral("/sample.exe"), MakeSample(7).image);
  const std::vector<FieldRef> fields = AllFields();
  std::mt19937 random(21);
  const auto pick = [&] { return fields[random() % fields.size()]; };

  for (int step = 0; step < 1500; ++step) {
    const FieldRef field = pick();
    switch (random() % 10) {
      case 0:
        document.Type(field, "x" + std::to_string(random() % 9));
        break;
      case 1:
        document.Type(field, document.CellText(field));
        break;
      case 2:
        document.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
          edit.SetValue(field, static_cast<std::int32_t>(random() % 300));
        });
        break;
      case 3:
        document.CommitTable(field.table);
        break;
      case 4:
        document.History().Undo();
        break;
      case 5:
        document.History().Redo();
        break;
      case 6: {
        QString error;
        if (document.Comparison().IsOpen())
          document.Comparison().Close();
        else
          document.Comparison().Open(QStringLiteral("/other.exe"), nullptr, error);
        break;
      }
      case 7:
        model.SetMode(model.Mode() == ChangesModel::Against::File
                          ? ChangesModel::Against::Comparison
                          : ChangesModel::Against::File);
        break;
      case 8:
        // As the panel is hidden and shown.
        if (random() % 3 == 0)
          model.Follow(!model.Following());
        break;
      default:
        document.Type(field, std::to_string(random() % 300));
        break;
    }

    const bool against_comparison = model.Mode() == ChangesModel::Against::Comparison;
    ASSERT_TRUE(!against_comparison || document.Comparison().IsOpen());
    std::vector<FieldRef> expected;
    for (const FieldRef& each : fields) {
      if (against_comparison ? document.Comparison().Differs(each)
                             : document.Mark(each) != CellMark::None)
        expected.push_back(each);
    }
    // Not following, it lists nothing rather than a list out of date.
    ASSERT_EQ(model.Fields(), model.Following() ? expected : std::vector<FieldRef>{})
        << "step " << step;
    ASSERT_EQ(model.rowCount(), static_cast<int>(model.Fields().size()));
    ASSERT_EQ(model.columnCount(),
              against_comparison ? ChangesModel::kInComparison + 1 : ChangesModel::kNow + 1);
    if (model.Following() && !expected.empty()) {
      const int row = static_cast<int>(random() % expected.size());
      const QString now = model.index(row, ChangesModel::kNow).data().toString();
      const QString in_file = model.index(row, ChangesModel::kInFile).data().toString();
      const bool junk =
          document.HasTypedText(expected[static_cast<std::size_t>(row)]) &&
          document.Mark(expected[static_cast<std::size_t>(row)]) == CellMark::NotANumber;
      EXPECT_EQ(now == QStringLiteral("не число"), junk);
      if (!against_comparison && !junk) {
        EXPECT_NE(now, in_file);
      }
    }
    if (against_comparison) {
      // F7 from a field, or from the name cell before an entry's first field.
      FieldRef from = pick();
      if (random() % 4 == 0)
        from.column = 0;
      const auto after = std::upper_bound(expected.begin(), expected.end(), from);
      const auto before = std::lower_bound(expected.begin(), expected.end(), from);
      std::optional<FieldRef> next, previous;
      if (!expected.empty()) {
        next = after == expected.end() ? expected.front() : *after;
        previous = before == expected.begin() ? expected.back() : *(before - 1);
      }
      EXPECT_EQ(document.Comparison().NextDifference(from, true), next);
      EXPECT_EQ(document.Comparison().NextDifference(from, false), previous);
    }
  }
}

}  // namespace
