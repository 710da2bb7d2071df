// Field notes in the window: the bits editor (two bits set are one step,
// undone at once), the marks and hints the notes give the grid, a faulty
// notes file refused whole, a notes file read again when it changes on disk,
// and the choice kept for the next run.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "balance/balance_panel.h"
#include "grid/grid_model.h"
#include "tests/ui/window_fixtures.h"
#include "ui/balance_commands.h"
#include "ui/bits_dialog.h"
#include "ui/checks_dialog.h"
#include "ui/checks_panel.h"
#include "ui/field_note_dialog.h"
#include "ui/field_notes_commands.h"

namespace {

// Creature columns.
constexpr int kAttack = 1, kSpeed = 6, kProperties = 12;

using FieldNotesWindowTest = SampleWindowTest;

bool WriteNotes(const QString& path, const QString& json) {
  const QByteArray utf8 = json.toUtf8();
  return WriteBytes(path, Bytes(utf8.begin(), utf8.end()));
}

const char kNotes[] = R"({"format": "trevalune-notes/1", "tables": {"creatures": {
  "fields": {
    "Скорость": {"ru": "Скорость на поле", "en": "Speed on the field", "min": 1, "max": 1},
    "Свойства": {"ru": "Флаги", "bits": {"0": {"ru": "Летает"}, "5": {"ru": "Стреляет"}}}},
  "checks": [{"name": {"ru": "Атака не бывает такой"}, "condition": "Атака > 200", "level": "error"}]}}})";

TEST_F(FieldNotesWindowTest, TheBitsEditorSetsTwoBitsAsOneStep) {
  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QString::fromUtf8(kNotes)));
  dialogs.notes_answers.push_back(notes);
  form->FieldNotes()->OpenNotesClick();
  ASSERT_EQ(form->FieldNotes()->NotesPath(), QFileInfo(notes).absoluteFilePath());

  // A byte has no bits editor; a 32-bit field has.
  grid->SetCurrentCell(kAttack, 3);
  EXPECT_FALSE(Named<QAction>(form, "EditBits")->isEnabled());
  grid->SetCurrentCell(kProperties, 3);
  ASSERT_TRUE(Named<QAction>(form, "EditBits")->isEnabled());

  const FieldRef field{kCreatures, 2, kProperties};
  const auto before = static_cast<std::uint32_t>(form->Document()->ValueAfterCommit(field));
  QStringList shown;
  QString hex;
  dialogs.bits_answer = [&](const UserDialogs::BitsQuestion& question) {
    // The real editor, worked as the user works it.
    BitsDialog dialog(question, form.get());
    for (int row = 0; row < dialog.Bits()->count(); ++row)
      shown << dialog.Bits()->item(row)->text();
    dialog.SetBit(0, !(before & 1u));
    dialog.SetBit(5, !(before & 0x20u));
    hex = dialog.Hex()->text();
    return std::optional<std::uint32_t>(dialog.Value());
  };
  const std::size_t steps = form->History()->Count();
  Named<QAction>(form, "EditBits")->trigger();

  ASSERT_EQ(dialogs.bits_questions.size(), 1u);
  EXPECT_EQ(dialogs.bits_questions[0].value, before);
  // Named bits first, with their numbers; then the other 30 by number.
  ASSERT_EQ(shown.size(), 32);
  EXPECT_EQ(shown[0], QStringLiteral("Летает (бит 0)"));
  EXPECT_EQ(shown[1], QStringLiteral("Стреляет (бит 5)"));
  EXPECT_EQ(shown[2], QStringLiteral("бит 1"));
  const std::uint32_t after = before ^ 0x21u;
  EXPECT_TRUE(hex.contains(QStringLiteral("0x%1")
                               .arg(after, 8, 16, QLatin1Char('0'))
                               .toUpper()
                               .replace(QStringLiteral("0X"), QStringLiteral("0x"))))
      << hex.toStdString();
  EXPECT_EQ(static_cast<std::uint32_t>(form->Document()->ValueAfterCommit(field)), after);
  EXPECT_EQ(form->History()->Count(), steps + 1);

  form->History()->Undo();
  EXPECT_EQ(static_cast<std::uint32_t>(form->Document()->ValueAfterCommit(field)), before);
  form->History()->Redo();
  EXPECT_EQ(static_cast<std::uint32_t>(form->Document()->ValueAfterCommit(field)), after);

  // Cancelled, nothing changes and no step is made. A double click with Alt
  // on the cell opens the same editor; a plain one only selects a word.
  dialogs.bits_answer = nullptr;
  QTest::mouseDClick(grid->CellEditor(), Qt::LeftButton);
  EXPECT_EQ(dialogs.bits_questions.size(), 1u);
  QTest::mouseDClick(grid->CellEditor(), Qt::LeftButton, Qt::AltModifier);
  EXPECT_EQ(dialogs.bits_questions.size(), 2u);
  EXPECT_EQ(form->History()->Count(), steps + 1);
}

TEST_F(FieldNotesWindowTest, NotesMarkTheGridAndAFaultyFileIsRefusedWhole) {
  GridModel* model = grid->Model();
  // The shipped notes: descriptions and no ranges.
  EXPECT_TRUE(model->headerData(kSpeed - 1, Qt::Horizontal, Qt::ToolTipRole)
                  .toString()
                  .contains(QStringLiteral("смещение 11")));
  EXPECT_FALSE(model->OutsideSaneRange(kSpeed, 1));
  // Every name has the icon's room; the marked ones have the mark.
  for (int row = 1; row <= EntryCount(kCreatures); ++row)
    EXPECT_EQ(
        model->headerData(row - 1, Qt::Vertical, Qt::DecorationRole).value<QIcon>().cacheKey(),
        (model->BrokenChecks(row).empty() ? GridModel::NoMarkIcon() : GridModel::BrokenCheckIcon())
            .cacheKey())
        << row;

  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QString::fromUtf8(kNotes)));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  const QString caption = model->headerData(kSpeed - 1, Qt::Horizontal, Qt::ToolTipRole).toString();
  EXPECT_TRUE(caption.contains(QStringLiteral("Скорость на поле"))) << caption.toStdString();
  EXPECT_TRUE(caption.contains(QStringLiteral("от -128 до 127")));
  EXPECT_TRUE(caption.contains(QStringLiteral("1..1")));

  int outside = 0;
  for (int row = 1; row <= EntryCount(kCreatures); ++row) {
    const std::int32_t speed = form->Document()->ValueAfterCommit({kCreatures, row - 1, kSpeed});
    EXPECT_EQ(model->OutsideSaneRange(kSpeed, row), speed != 1) << row;
    EXPECT_EQ(model->index(row - 1, kSpeed - 1).data(GridModel::kOutsideSaneRole).toBool(),
              speed != 1);
    outside += speed != 1;
    // No attack is above 200 in a signed byte: every name is marked.
    EXPECT_TRUE(model->headerData(row - 1, Qt::Vertical, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("Атака не бывает такой")));
    EXPECT_TRUE(model->headerData(row - 1, Qt::Vertical, Qt::BackgroundRole).isValid());
    // The icon is the mark that Windows' style shows as well.
    EXPECT_EQ(
        model->headerData(row - 1, Qt::Vertical, Qt::DecorationRole).value<QIcon>().cacheKey(),
        GridModel::BrokenCheckIcon().cacheKey());
  }
  EXPECT_GT(outside, 0);
  // The cell's own hint says the range.
  int row = 1;
  while (!model->OutsideSaneRange(kSpeed, row))
    ++row;
  EXPECT_TRUE(model->Hint(kSpeed, row).contains(QStringLiteral("вне разумных значений 1..1")));
  // Typing a sane value takes the mark off at once.
  model->SetText(kSpeed, row, "1");
  EXPECT_FALSE(model->OutsideSaneRange(kSpeed, row));

  // A faulty file changes nothing: the notes in force stay, and the message
  // gives the place.
  const FieldNotes in_force = form->FieldNotes()->Checker().Notes();
  const QString bad = Path(QStringLiteral("bad.json"));
  ASSERT_TRUE(WriteNotes(
      bad, QStringLiteral("{\"format\": \"trevalune-notes/1\", \"tables\": {\"creatures\": "
                          "{\"fields\": {\"Скорость\": {\"min\": 5, \"max\": 2}}}}}")));
  EXPECT_FALSE(form->FieldNotes()->Load(bad));
  ASSERT_FALSE(dialogs.errors.isEmpty());
  EXPECT_TRUE(dialogs.errors.last().contains(QStringLiteral("столбец")))
      << dialogs.errors.last().toStdString();
  EXPECT_EQ(form->FieldNotes()->Checker().Notes(), in_force);
  EXPECT_EQ(form->FieldNotes()->NotesPath(), QFileInfo(notes).absoluteFilePath());

  // The file in use changed on disk is read again.
  ASSERT_TRUE(
      WriteNotes(notes, QString::fromUtf8(kNotes).replace(QStringLiteral("\"max\": 1}"),
                                                          QStringLiteral("\"max\": 127}"))));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return form->FieldNotes()->Checker().Notes().Field(kCreatures, kSpeed).max == 127; },
      5000));

  // The choice outlives the window.
  form.reset();
  form = std::make_unique<TMainForm>(&dialogs, &store);
  EXPECT_EQ(form->FieldNotes()->NotesPath(), QFileInfo(notes).absoluteFilePath());
  form->FieldNotes()->ShippedNotesClick();
  EXPECT_TRUE(form->FieldNotes()->NotesPath().isEmpty());
}

TEST_F(FieldNotesWindowTest, TheChecksPanelFollowsEachStepAndShowsTheEntry) {
  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QStringLiteral(R"({"format": "trevalune-notes/1", "tables": {
    "creatures": {"checks": [{"name": {"ru": "Мин. урон не больше макс."},
                              "condition": "Мин_урон <= Макс_урон", "level": "error"}]},
    "spells": {"fields": {"Мана": {"max": 100}}}}})")));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  EXPECT_EQ(Named<ChecksPanel>(form, "ChecksPanel"), nullptr);  // made when first shown
  Named<QAction>(form, "mm_Checks")->trigger();
  ChecksPanel* panel = Named<ChecksPanel>(form, "ChecksPanel");
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(panel->isVisible());

  // The rows are the findings worked out here from the fields.
  const auto value = [&](TableIndex table, int entry, int column) {
    return form->Document()->ValueAfterCommit({table, entry, column});
  };
  const auto expected_rows = [&] {
    int rows = 0;
    for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
      rows += value(kCreatures, entry, 3) > value(kCreatures, entry, 4);
    for (int entry = 0; entry < EntryCount(kSpells); ++entry)
      rows += value(kSpells, entry, 2) > 100;
    return rows;
  };
  EXPECT_EQ(panel->View()->rowCount(), expected_rows());
  ASSERT_GT(panel->View()->rowCount(), 0);

  // A step that breaks the check of a sound entry adds its row once the step is told.
  int sound = 0;
  while (value(kCreatures, sound, 3) > value(kCreatures, sound, 4))
    ++sound;
  const int rows = panel->View()->rowCount();
  SetFieldValues(*form->Document(), QStringLiteral("test"),
                 {{{kCreatures, sound, 3}, value(kCreatures, sound, 4) + 1}});
  EXPECT_TRUE(QTest::qWaitFor([&] { return panel->View()->rowCount() == rows + 1; }, 2000));
  EXPECT_EQ(panel->View()->rowCount(), expected_rows());
  form->History()->Undo();
  EXPECT_TRUE(QTest::qWaitFor([&] { return panel->View()->rowCount() == rows; }, 2000));

  // Enter on the last row (a spell's mana, if any is above 100) shows its entry.
  const int last = panel->View()->rowCount() - 1;
  const NoteFinding finding = panel->Findings()[static_cast<std::size_t>(last)];
  panel->View()->setCurrentCell(last, 0);
  panel->View()->setFocus();
  QTest::keyClick(panel->View(), Qt::Key_Return);
  EXPECT_EQ(form->ActiveTable(), finding.table);
  EXPECT_EQ(grid->CurrentRow(), finding.entry + 1);
  EXPECT_EQ(panel->View()->item(last, 2)->text(),
            QString::fromStdString(
                EntryNameText(form->Document()->Committed(), finding.table, finding.entry)));
}

TEST_F(FieldNotesWindowTest, ANamedValueIsChosenByItsNameAsOneStep) {
  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QStringLiteral(R"({"format": "trevalune-notes/1", "tables": {
    "creatures": {"fields": {"Фракция": {"values": {"2": {"ru": "Вторая"}, "1": {"ru": "Первая"}}}}}}})")));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  constexpr int kFaction = 13;
  grid->SetCurrentCell(kSpeed, 4);
  EXPECT_FALSE(Named<QAction>(form, "EditValues")->isEnabled());
  grid->SetCurrentCell(kFaction, 4);
  ASSERT_TRUE(Named<QAction>(form, "EditValues")->isEnabled());

  const FieldRef field{kCreatures, 3, kFaction};
  const std::int32_t before = form->Document()->ValueAfterCommit(field);
  const std::int64_t chosen = before == 2 ? 1 : 2;
  dialogs.named_value_answers.push_back(chosen);
  const std::size_t steps = form->History()->Count();
  Named<QAction>(form, "EditValues")->trigger();
  ASSERT_EQ(dialogs.value_questions.size(), 1u);
  // Offered in order of value, with the field's own value as it is.
  const auto& names = dialogs.value_questions[0].names;
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], std::make_pair(std::int64_t{1}, QStringLiteral("Первая")));
  EXPECT_EQ(dialogs.value_questions[0].value, before);
  EXPECT_EQ(form->Document()->ValueAfterCommit(field), chosen);
  EXPECT_EQ(form->History()->Count(), steps + 1);
  // The cell's hint names its value.
  EXPECT_TRUE(
      grid->Model()
          ->Hint(kFaction, 4)
          .contains(chosen == 1 ? QStringLiteral("1 — Первая") : QStringLiteral("2 — Вторая")));
  form->History()->Undo();
  EXPECT_EQ(form->Document()->ValueAfterCommit(field), before);
  // A field without bits offers its named values on a double click with Alt.
  QTest::mouseDClick(grid->CellEditor(), Qt::LeftButton, Qt::AltModifier);
  EXPECT_EQ(dialogs.value_questions.size(), 2u);
  EXPECT_EQ(form->Document()->ValueAfterCommit(field), before);
}

TEST_F(FieldNotesWindowTest, ANoteEditedOverTheShippedNotesGoesToACopyKeptForTheNextRun) {
  ASSERT_TRUE(form->FieldNotes()->NotesPath().isEmpty());
  const FieldNotes shipped = form->FieldNotes()->Checker().Notes();
  const QString copy = Path(QStringLiteral("mine.json"));
  dialogs.notes_save_answers.push_back(copy);
  dialogs.field_note_answer = [&](const UserDialogs::FieldNoteQuestion& question) {
    // The real dialog, filled in as the user fills it.
    FieldNoteDialog dialog(question, form.get());
    EXPECT_EQ(dialog.Russian()->text(), shipped.Field(kCreatures, kProperties).description.ru);
    dialog.Russian()->setText(QStringLiteral("Флаги"));
    dialog.Min()->setText(QStringLiteral("5"));
    dialog.Max()->setText(QStringLiteral("4"));
    EXPECT_FALSE(dialog.Note().has_value());  // min above max: no OK
    dialog.Max()->setText(QStringLiteral("4294967295"));
    EXPECT_EQ(dialog.Bits()->rowCount(), 32);
    dialog.Bits()->item(31, 2)->setText(QStringLiteral("Top"));
    return dialog.Note();
  };
  form->FieldNotes()->EditFieldNoteClick(kProperties);

  EXPECT_EQ(form->FieldNotes()->NotesPath(), QFileInfo(copy).absoluteFilePath());
  const FieldNote& note = form->FieldNotes()->Checker().Notes().Field(kCreatures, kProperties);
  EXPECT_EQ(note.description.ru, QStringLiteral("Флаги"));
  EXPECT_EQ(note.min, 5);
  EXPECT_EQ(note.max, 4294967295LL);
  EXPECT_EQ(note.bits.at(31).In(false), QStringLiteral("Top"));
  // Everything else is as the shipped notes had it, and the copy on disk says the same.
  FieldNotes expected = shipped;
  expected.tables[kCreatures].fields[kProperties] = note;
  EXPECT_EQ(form->FieldNotes()->Checker().Notes(), expected);
  NotesError error;
  EXPECT_EQ(ReadFieldNotes(store, copy, error), expected);
  // The shipped notes themselves did not change.
  EXPECT_EQ(ShippedFieldNotes(), shipped);

  form.reset();
  form = std::make_unique<TMainForm>(&dialogs, &store);
  EXPECT_EQ(form->FieldNotes()->Checker().Notes(), expected);

  // Cancelling the copy's name writes nothing and changes nothing.
  form->FieldNotes()->ShippedNotesClick();
  dialogs.field_note_answer = [](const UserDialogs::FieldNoteQuestion& question) {
    FieldNote note = question.note;
    note.min = 1;
    return std::optional<FieldNote>(note);
  };
  form->FieldNotes()->EditFieldNoteClick(kSpeed);
  EXPECT_EQ(dialogs.note_questions.size(), 2u);
  EXPECT_TRUE(form->FieldNotes()->NotesPath().isEmpty());
  EXPECT_EQ(form->FieldNotes()->Checker().Notes(), shipped);
}

TEST_F(FieldNotesWindowTest, TheBalancePanelShowsOnlyTheEntriesWithFaults) {
  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QStringLiteral(R"({"format": "trevalune-notes/1", "tables": {
    "creatures": {"fields": {"Скорость": {"min": -50, "max": 50}},
                  "checks": [{"name": {"ru": "a"}, "condition": "Мин_урон <= Макс_урон", "level": "error"}]}}})")));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  Named<QAction>(form, "ShowPanel")->trigger();
  auto* panel = qobject_cast<BalancePanel*>(form->Balance()->Panel());
  ASSERT_NE(panel, nullptr);
  const int all = panel->Proxy()->rowCount();
  ASSERT_EQ(all, EntryCount(kCreatures));

  const auto faulty = [&] {
    int count = 0;
    for (int entry = 0; entry < EntryCount(kCreatures); ++entry) {
      const auto value = [&](int column) {
        return form->Document()->ValueAfterCommit({kCreatures, entry, column});
      };
      count += value(3) > value(4) || value(kSpeed) < -50 || value(kSpeed) > 50;
    }
    return count;
  };
  panel->OnlyBroken()->setChecked(true);
  EXPECT_EQ(panel->Proxy()->rowCount(), faulty());
  EXPECT_LT(panel->Proxy()->rowCount(), all);
  EXPECT_GT(panel->Proxy()->rowCount(), 0);

  // Other notes, and the filter follows them: with none, no entry has a fault.
  form->FieldNotes()->ShippedNotesClick();
  ASSERT_TRUE(
      WriteNotes(notes, QStringLiteral(R"({"format": "trevalune-notes/1", "tables": {}})")));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  EXPECT_EQ(panel->Proxy()->rowCount(), 0);
  panel->OnlyBroken()->setChecked(false);
  EXPECT_EQ(panel->Proxy()->rowCount(), all);
}

TEST_F(FieldNotesWindowTest, ChecksEditedInThePanelAreWrittenAndInForce) {
  const QString notes = Path(QStringLiteral("notes.json"));
  ASSERT_TRUE(WriteNotes(notes, QString::fromUtf8(kNotes)));
  ASSERT_TRUE(form->FieldNotes()->Load(notes));
  bool refused_bad_condition = false;
  dialogs.checks_answer = [&](const UserDialogs::ChecksQuestion& question) {
    ChecksDialog dialog(question, form.get());
    EXPECT_EQ(dialog.Rows()->rowCount(), 1);
    EXPECT_EQ(dialog.Checks(), question.checks);
    // A condition that does not compile leaves no checks to take.
    dialog.AddRow(
        {{QStringLiteral("Быстрые"), {}}, QStringLiteral("Скорость >"), CheckLevel::Error});
    refused_bad_condition = !dialog.Checks().has_value();
    dialog.Rows()->item(1, 2)->setText(QStringLiteral("Скорость > 100"));
    dialog.Rows()->setCurrentCell(0, 0);
    dialog.RemoveCurrentRow();
    return dialog.Checks();
  };
  Named<QAction>(form, "mm_Checks")->trigger();
  Named<ChecksPanel>(form, "ChecksPanel")->EditButton()->click();
  EXPECT_TRUE(refused_bad_condition);

  const std::vector<NoteCheck> expected{
      {{QStringLiteral("Быстрые"), {}}, QStringLiteral("Скорость > 100"), CheckLevel::Error}};
  EXPECT_EQ(form->FieldNotes()->Checker().Notes().tables[kCreatures].checks, expected);
  NotesError error;
  const auto written = ReadFieldNotes(store, notes, error);
  ASSERT_TRUE(written.has_value()) << NotesErrorText(error).toStdString();
  EXPECT_EQ(written->tables[kCreatures].checks, expected);
  // The rest of the file is as it was.
  EXPECT_EQ(written->Field(kCreatures, kSpeed).max, 1);
  // The panel lists the new check's faults.
  Named<ChecksPanel>(form, "ChecksPanel")->Refresh();
  int fast = 0;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
    fast += form->Document()->ValueAfterCommit({kCreatures, entry, kSpeed}) <= 100;
  int listed = 0;
  for (const NoteFinding& finding : Named<ChecksPanel>(form, "ChecksPanel")->Findings())
    listed += finding.check == 0;
  EXPECT_EQ(listed, fast);
}

}  // namespace
