// The field notes reader: good files read to the notes they spell, and bad
// ones refused whole with the line and column of the fault (marked in each
// case's text by @, which the test takes out) and what is wrong. Then the
// checks and sane ranges worked out over a generated sample, against the same
// conditions computed here from the tables' own fields.

#include <QFile>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "document/field_notes.h"
#include "document/notes_checks.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"

namespace {

// Creature columns.
constexpr int kAttack = 1, kMinDamage = 3, kMaxDamage = 4, kHealth = 5, kSpeed = 6;
constexpr int kProperties = 12, kFaction = 13;

// `text` without its @, and where the @ was (line and column, in characters).
struct Marked {
  QByteArray json;
  int line = 0;
  int column = 0;
};
Marked TakeMark(const char* text) {
  const QString marked = QString::fromUtf8(text);
  const qsizetype at = marked.indexOf(QLatin1Char('@'));
  Marked result;
  if (at >= 0) {
    const QString before = marked.left(at);
    result.line = static_cast<int>(before.count(QLatin1Char('\n'))) + 1;
    result.column = static_cast<int>(at - before.lastIndexOf(QLatin1Char('\n')));
  }
  QString clean = marked;
  clean.remove(at, at >= 0 ? 1 : 0);
  result.json = clean.toUtf8();
  return result;
}

struct BadCase {
  const char* what;
  const char* json;
  const char* message;  // a part of what the error says
};

const BadCase kBadFiles[] = {
    {"not JSON: a missing comma", "{\n  \"format\": \"trevalune-notes/1\"\n  \"@tables\": {}\n}",
     "не JSON"},
    {"not an object at the top", "  @[1, 2]", "объектом JSON"},
    {"wrong format tag", "{\"format\": @\"trevalune-notes/2\", \"tables\": {}}",
     "trevalune-notes/1"},
    {"no format tag", "@{\"tables\": {}}", "trevalune-notes/1"},
    {"unknown table",
     "{\"format\": \"trevalune-notes/1\",\n \"tables\": {\"creatures\": {},\n   @\"monsters\": "
     "{}}}",
     "monsters"},
    {"unknown caption",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Атака\": {\"ru\": \"Атака\"},\n  @\"Ловкость\": {\"ru\": \"?\"}}}}}",
     "Ловкость"},
    {"caption of another table",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"spells\": {\"fields\": {@\"Скорость\": "
     "{}}}}}",
     "Скорость"},
    {"one field under both its captions",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Attack\": {}, @\"Атака\": {}}}}}",
     "уже описано"},
    {"min above max",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Скорость\": {\"min\": @20, \"max\": 1}}}}}",
     "больше"},
    {"min outside a signed byte",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Атака\": {\"min\": @-129}}}}}",
     "-128..127"},
    {"max past an unsigned 32-bit field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"buildings\": {\"fields\": {\n"
     "  \"Gold\": {\"max\": @4294967296}}}}}",
     "0..4294967295"},
    {"max not whole",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Скорость\": {\"max\": @1.5}}}}}",
     "целое"},
    {"min as text",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\"Скорость\": "
     "{\"min\": @\"1\"}}}}}",
     "целое"},
    {"bit number past a 16-bit field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Здоровье\": {\"bits\": {\"15\": {\"ru\": \"a\"}, @\"16\": {\"ru\": \"b\"}}}}}}}",
     "от 0 до 15"},
    {"negative bit number",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Свойства\": {\"bits\": {@\"-1\": {\"ru\": \"b\"}}}}}}}",
     "от 0 до 31"},
    {"bits on an 8-bit field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Фракция\": {\"ru\": \"Фракция\",\n     @\"bits\": {\"0\": {\"ru\": \"a\"}}}}}}}",
     "1 байт"},
    {"a bit name with no text",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Свойства\": {\"bits\": {\"3\": @{}}}}}}}",
     "пустое название"},
    {"value name outside the field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Фракция\": {\"values\": {\"1\": {\"en\": \"a\"}, @\"256\": {\"en\": \"b\"}}}}}}}",
     "0..255"},
    {"value name not a number",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Фракция\": {\"values\": {@\"один\": {\"en\": \"one\"}}}}}}}",
     "один"},
    {"description not text",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Скорость\": {\"ru\": \"ok\", \"en\": @5}}}}}",
     "строкой"},
    {"misspelt key in a field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"Скорость\": {@\"mni\": 1}}}}}",
     "mni"},
    {"checks not a list",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"checks\": @{}}}}",
     "массивом"},
    {"bad level",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"checks\": [\n"
     "  {\"name\": {\"ru\": \"a\"}, \"condition\": \"Атака > 0\", \"level\": \"error\"},\n"
     "  {\"name\": {\"ru\": \"b\"}, \"condition\": \"Атака > 0\", \"level\": @\"fatal\"}]}}}",
     "warning"},
    {"condition that does not compile",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"checks\": [\n"
     "  {\"name\": {\"ru\": \"a\"}, \"condition\": \"Мин_урон <= @Ловкость\", \"level\": "
     "\"error\"}]}}}",
     "Ловкость"},
    {"condition naming another table's field",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"spells\": {\"checks\": [\n"
     "  {\"name\": {\"ru\": \"a\"}, \"condition\": \"Мана <= @Скорость\", \"level\": "
     "\"error\"}]}}}",
     "Скорость"},
    // With an escape in it, the string's characters are not the file's: the
    // place is the string's, and the message gives the formula's own.
    {"condition with an escape that does not compile",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"spells\": {\"checks\": [\n"
     "  {\"name\": {\"ru\": \"a\"}, \"condition\": @\"\\u041cана <= Скорость\", \"level\": "
     "\"error\"}]}}}",
     "столбец 9"},
    {"check without a condition",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"checks\": [\n"
     "  @{\"name\": {\"ru\": \"a\"}, \"level\": \"error\"}]}}}",
     "condition"},
    {"check name as plain text",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"checks\": [\n"
     "  {\"name\": @\"a\", \"condition\": \"1\", \"level\": \"error\"}]}}}",
     "объектом"},
    // The fault is found past a key written with escapes, which the finder of
    // places must read as QJsonDocument did.
    {"fault after escaped keys",
     "{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": {\"fields\": {\n"
     "  \"\\u0410така\": {\"ru\": \"a \\\"b\\\" {c}\"},\n  \"Скорость\": {\"max\": @\"x\"}}}}}",
     "целое"},
};

TEST(FieldNotesReader, RefusesEachBadFileWithItsPlace) {
  for (const BadCase& bad : kBadFiles) {
    SCOPED_TRACE(bad.what);
    const Marked marked = TakeMark(bad.json);
    ASSERT_GT(marked.line, 0) << "the case has no @";
    NotesError error;
    EXPECT_FALSE(ParseFieldNotes(marked.json, error).has_value());
    EXPECT_EQ(error.line, marked.line);
    EXPECT_EQ(error.column, marked.column);
    EXPECT_TRUE(error.message.contains(QString::fromUtf8(bad.message)))
        << error.message.toStdString();
    EXPECT_TRUE(NotesErrorText(error).contains(QString::number(marked.line)));
  }
}

TEST(FieldNotesReader, ReadsGoodFiles) {
  // The example of the documentation, with a field under its English caption.
  const char* example = R"({
    "format": "trevalune-notes/1",
    "tables": {
      "creatures": {
        "fields": {
          "Скорость": {"ru": "Скорость на поле боя", "en": "Speed on the battlefield", "min": 1, "max": 20},
          "Properties": {"ru": "Флаги", "en": "Flags", "bits": {"0": {"ru": "Летает", "en": "Flies"}, "31": {"en": "Top"}}},
          "Фракция": {"ru": "Фракция", "en": "Faction", "values": {"1": {"ru": "Первая", "en": "First"}}}
        },
        "checks": [
          {"name": {"ru": "Мин. урон не больше макс.", "en": "Min. damage not above max."},
           "condition": "Мин_урон <= Макс_урон", "level": "error"},
          {"name": {"en": "Fast"}, "condition": "Speed > 0", "level": "warning"}
        ]
      },
      "buildings": {"fields": {"Золото": {"min": 0, "max": 4294967295}}},
      "spells": {}
    }
  })";
  NotesError error;
  const auto notes = ParseFieldNotes(example, error);
  ASSERT_TRUE(notes.has_value()) << NotesErrorText(error).toStdString();
  const FieldNote& speed = notes->Field(kCreatures, kSpeed);
  EXPECT_EQ(speed.description.ru, QStringLiteral("Скорость на поле боя"));
  EXPECT_EQ(speed.description.In(true), QStringLiteral("Speed on the battlefield"));
  EXPECT_EQ(speed.min, 1);
  EXPECT_EQ(speed.max, 20);
  const FieldNote& properties = notes->Field(kCreatures, kProperties);
  ASSERT_EQ(properties.bits.size(), 2u);
  EXPECT_EQ(properties.bits.at(0).ru, QStringLiteral("Летает"));
  // A name in one language stands for both.
  EXPECT_EQ(properties.bits.at(31).In(false), QStringLiteral("Top"));
  EXPECT_EQ(notes->Field(kCreatures, kFaction).values.at(1).en, QStringLiteral("First"));
  const std::vector<NoteCheck>& checks = notes->tables[kCreatures].checks;
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].level, CheckLevel::Error);
  EXPECT_EQ(checks[1].level, CheckLevel::Warning);
  EXPECT_EQ(checks[0].condition, QStringLiteral("Мин_урон <= Макс_урон"));
  EXPECT_EQ(notes->Field(kBuildings, 1).max, 4294967295LL);
  // Fields the file does not name have no notes.
  EXPECT_EQ(notes->Field(kCreatures, kAttack), FieldNote{});

  // Written out and read back, the notes are the same.
  const auto again = ParseFieldNotes(WriteFieldNotes(*notes), error);
  ASSERT_TRUE(again.has_value()) << NotesErrorText(error).toStdString();
  EXPECT_EQ(*again, *notes);
  EXPECT_EQ(ParseFieldNotes(WriteFieldNotes(ShippedFieldNotes()), error), ShippedFieldNotes());

  // The least file: no table at all.
  EXPECT_TRUE(ParseFieldNotes(R"({"format": "trevalune-notes/1", "tables": {}})", error));
}

TEST(FieldNotesReader, ShipsNotesForEveryField) {
  QFile file(QString::fromLatin1(kShippedNotesPath));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  NotesError error;
  const auto parsed = ParseFieldNotes(file.readAll(), error);
  ASSERT_TRUE(parsed.has_value()) << NotesErrorText(error).toStdString();
  EXPECT_EQ(*parsed, ShippedFieldNotes());
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int column = 1; column < ColCounts[table]; ++column) {
      const FieldNote& note = parsed->Field(table, column);
      EXPECT_FALSE(note.description.ru.isEmpty() || note.description.en.isEmpty())
          << int(table) << " " << column;
      // No invented game facts: the shipped notes hold no sane ranges.
      EXPECT_FALSE(note.min || note.max);
    }
  EXPECT_FALSE(parsed->tables[kCreatures].checks.empty());
}

// Damaged notes files, made from a good one by cutting, doubling and
// replacing bytes at random: each is read whole or refused with a place
// inside the file, and whatever is read writes out and reads back the same.
TEST(FieldNotesReader, DamagedFilesAreReadOrRefusedWithAPlace) {
  NotesError error;
  const auto example = ParseFieldNotes(R"({"format": "trevalune-notes/1",
    "tables": {"creatures": {"fields": {"Скорость": {"ru": "С \"кавычками\"", "min": 1, "max": 20},
      "Свойства": {"bits": {"0": {"ru": "Летает"}, "31": {"en": "Top"}}},
      "Фракция": {"values": {"1": {"ru": "Первая"}}}},
      "checks": [{"name": {"en": "a"}, "condition": "Мин_урон <= Макс_урон", "level": "error"}]}}})",
                                       error);
  ASSERT_TRUE(example.has_value()) << NotesErrorText(error).toStdString();
  const QByteArray good = WriteFieldNotes(*example);
  const QByteArray pieces[] = {"{", "}",   "[",    "]",        "\"",   ":",    ",", "\\", "\\u0041",
                               "-", "1e9", "\xD0", "\xD0\xA1", "null", "true", " ", "\n"};
  std::mt19937 random(20261211);
  int read = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    QByteArray damaged = good;
    for (int change = 0; change < 1 + static_cast<int>(random() % 3); ++change) {
      const auto at = static_cast<qsizetype>(random() % static_cast<std::uint32_t>(damaged.size()));
      switch (random() % 3) {
        case 0:
          damaged.remove(at, 1 + static_cast<qsizetype>(random() % 8));
          break;
        case 1:
          damaged.insert(at, pieces[random() % std::size(pieces)]);
          break;
        default:
          damaged[at] = pieces[random() % std::size(pieces)][0];
      }
    }
    const auto notes = ParseFieldNotes(damaged, error);
    if (notes) {
      ++read;
      EXPECT_EQ(ParseFieldNotes(WriteFieldNotes(*notes), error), notes) << damaged.toStdString();
      continue;
    }
    ++refused;
    ASSERT_GE(error.line, 1) << damaged.toStdString();
    ASSERT_GE(error.column, 1);
    EXPECT_LE(error.line, damaged.count('\n') + 1) << damaged.toStdString();
    EXPECT_FALSE(error.message.isEmpty());
  }
  // Both roads are taken, or the damage proves little.
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 1000);
}

// The creatures' fields as the tables hold them, read without the formulas.
std::int32_t Creature(const TableSet& tables, int entry, int column) {
  return FieldValue(tables, kCreatures, entry, column);
}

TEST(NotesChecks, AgreeWithTheFieldsOfASample) {
  const char* json = R"json({"format": "trevalune-notes/1", "tables": {
    "creatures": {
      "fields": {"Скорость": {"min": 1, "max": 20}, "Здоровье": {"min": 100}},
      "checks": [
        {"name": {"ru": "a"}, "condition": "Мин_урон <= Макс_урон", "level": "error"},
        {"name": {"ru": "b"}, "condition": "Атака + Защита > 0 && Здоровье != 0", "level": "warning"},
        {"name": {"ru": "c"}, "condition": "Атака / (Атака - Атака)", "level": "warning"}]},
    "spells": {"fields": {"Мана": {"max": 100}}}}})json";
  NotesError error;
  auto notes = ParseFieldNotes(json, error);
  ASSERT_TRUE(notes.has_value()) << NotesErrorText(error).toStdString();
  const NotesChecker checker(std::move(*notes));

  for (const std::uint32_t seed : {1u, 7u, 42u}) {
    SCOPED_TRACE(seed);
    TableDocument document;
    document.OpenImage(QStringLiteral("sample.exe"), MakeSample(seed).image);
    const TableSet& tables = document.Committed();
    std::vector<NoteFinding> expected;
    for (int entry = 0; entry < EntryCount(kCreatures); ++entry) {
      const auto field = [&](int column) { return Creature(tables, entry, column); };
      if (field(kMinDamage) > field(kMaxDamage))
        expected.push_back({kCreatures, entry, 0, 0, CheckLevel::Error});
      if (!(field(kAttack) + field(2) > 0 && field(kHealth) != 0))
        expected.push_back({kCreatures, entry, 0, 1, CheckLevel::Warning});
      // 0/0 and x/0 are not numbers: the check is broken for every entry.
      expected.push_back({kCreatures, entry, 0, 2, CheckLevel::Warning});
      if (field(kHealth) < 100)
        expected.push_back({kCreatures, entry, kHealth, -1, CheckLevel::Warning});
      if (field(kSpeed) < 1 || field(kSpeed) > 20)
        expected.push_back({kCreatures, entry, kSpeed, -1, CheckLevel::Warning});
    }
    for (int entry = 0; entry < EntryCount(kSpells); ++entry)
      if (FieldValue(tables, kSpells, entry, 2) > 100)
        expected.push_back({kSpells, entry, 2, -1, CheckLevel::Warning});
    const std::vector<NoteFinding> found = checker.Findings(document);
    EXPECT_EQ(found, expected);
    // A sample of random values breaks the first check somewhere, or the test proves little.
    EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                            [](const NoteFinding& f) { return f.check == 0; }));

    // Typed text counts once it would be stored: the checks follow the keystroke.
    int entry = 0;
    while (Creature(tables, entry, kMinDamage) > Creature(tables, entry, kMaxDamage))
      ++entry;
    document.Type({kCreatures, entry, kMinDamage},
                  std::to_string(Creature(tables, entry, kMaxDamage) + 1));
    const std::vector<int> broken =
        checker.BrokenChecks(FieldsAfterCommit(document, kCreatures), kCreatures, entry);
    ASSERT_FALSE(broken.empty());
    EXPECT_EQ(broken.front(), 0);
  }
}

TEST(NotesChecks, SaneRangeOfAnUnsigned32BitFieldReadsItUnsigned) {
  FieldNotes notes;
  notes.tables[kBuildings].fields[1].min = 3000000000LL;
  const NotesChecker checker(notes);
  EXPECT_FALSE(checker.OutsideSaneRange(kBuildings, 1, static_cast<std::int32_t>(3000000001u)));
  EXPECT_TRUE(checker.OutsideSaneRange(kBuildings, 1, 5));
  EXPECT_FALSE(checker.OutsideSaneRange(kBuildings, 2, 5));  // no range, never outside
}

}  // namespace
