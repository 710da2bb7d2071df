// The hint a cell gives: the field's kind and range, and for typed text what a
// commit will store, over fields of every width and sign in the three tables.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "document/cell_hint.h"
#include "samplegen/sample_image.h"

namespace {

struct HintCase {
  const char* what;
  FieldRef field;
  const char* value;                // set into the field first, as committed
  std::optional<std::string> text;  // then typed into its cell, if any
  QString hint;
};

const HintCase kHintCases[] = {
    {"a wrapped value",
     {kCreatures, 3, 1},
     "35",
     "300",
     QStringLiteral("Атака: целое со знаком, 1 байт, от -128 до 127\n300 → будет сохранено 44")},
    {"text that does not parse",
     {kSpells, 10, 2},
     "35",
     "12a",
     QStringLiteral("Мана: целое без знака, 1 байт, от 0 до 255\nне число: останется 35")},
    {"empty text",
     {kCreatures, 0, 8},
     "-7",
     "",
     QStringLiteral(
         "Золото: целое со знаком, 2 байта, от -32768 до 32767\nне число: останется -7")},
    {"a negative value in an unsigned field",
     {kCreatures, 65, 5},
     "9",
     "-1",
     QStringLiteral(
         "Здоровье: целое без знака, 2 байта, от 0 до 65535\n-1 → будет сохранено 65535")},
    {"hexadecimal text",
     {kSpells, 64, 3},
     "0",
     "$7FFF",
     QStringLiteral(
         "Альфа: целое со знаком, 2 байта, от -32768 до 32767\n$7FFF → будет сохранено 32767")},
    {"a large unsigned value as the field shows it",
     {kBuildings, 81, 1},
     "0xFFFFFFF0",
     "4294967280",
     QStringLiteral("Золото: целое без знака, 4 байта, от 0 до 4294967295")},
    {"a large unsigned value the field does not hold",
     {kBuildings, 0, 7},
     "0xFFFFFFF0",
     "4294967281",
     QStringLiteral("Самоцветы: целое без знака, 4 байта, от 0 до 4294967295\n"
                    "не число: останется 4294967280")},
    {"the value typed again",
     {kCreatures, 20, 12},
     "1000",
     "1000",
     QStringLiteral("Свойства: целое без знака, 4 байта, от 0 до 4294967295")},
    {"an untouched cell",
     {kSpells, 0, 1},
     "5",
     std::nullopt,
     QStringLiteral("Уровень: целое без знака, 1 байт, от 0 до 255")},
};

TEST(CellHint, TellsTheFieldAndWhatACommitWillStore) {
  for (const HintCase& c : kHintCases) {
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), MakeSample(4).image);
    document.Change(QStringLiteral("правка"),
                    [&](DocumentEdit& edit) { edit.SetText(c.field, c.value); });
    if (c.text)
      document.Type(c.field, *c.text);
    EXPECT_EQ(CellHint(document, c.field), c.hint) << c.what;
  }
}

TEST(CellHint, NothingOutsideTheFieldsOrBeforeAFileIsOpen) {
  TableDocument document;
  document.Type({kCreatures, 0, 1}, "300");
  EXPECT_EQ(CellHint(document, {kCreatures, 0, 1}), QString());
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(4).image);
  EXPECT_EQ(CellHint(document, {kSpells, 0, 4}), QString());
  EXPECT_EQ(CellHint(document, {kBuildings, 82, 1}), QString());
}

// No table has a four-byte signed field; its range is still the full 32 bits.
TEST(CellHint, FourByteSignedRange) {
  EXPECT_EQ(FieldKindHint("Поле", FieldLayout{0, 4, true}),
            QStringLiteral("Поле: целое со знаком, 4 байта, от -2147483648 до 2147483647"));
}

}  // namespace
