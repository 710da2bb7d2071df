// Undo and redo over the document, checked against a plain model of the
// fields: random sessions of typing, pastes, tab switches, reverts, undos,
// redos and saves, with every field, every cell text, every saved file and the
// history's state compared after each step.

#include "document/document_history.h"

#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "document/revert_to_file.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"
#include "tables/number_parse.h"
#include "tables/record_field.h"
#include "tests/support/file_helpers.h"

namespace {

// Only the document records into its history and sets fields, and it sets
// them only inside a change: whoever else holds the history or the document
// cannot reach either side.
template <typename T>
concept RecordsChanges = requires(T& history) {
  history.OpenGroup(QString());
};
static_assert(RecordsChanges<HistoryRecorder> && !RecordsChanges<DocumentHistory>);
template <typename T>
concept SetsFields = requires(T& target) {
  target.SetValue(FieldRef{}, 0);
};
static_assert(SetsFields<DocumentEdit> && !SetsFields<TableDocument>);
static_assert(!std::is_convertible_v<TableDocument&, DocumentEdit&>);

std::vector<FieldRef> FieldsOf(TableIndex table) {
  std::vector<FieldRef> fields;
  for (int entry = 0; entry < EntryCount(table); ++entry) {
    for (int column = 1; column < ColCounts[table]; ++column)
      fields.push_back({table, entry, column});
  }
  return fields;
}

std::vector<FieldRef> AllFields() {
  std::vector<FieldRef> fields;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const std::vector<FieldRef> more = FieldsOf(table);
    fields.insert(fields.end(), more.begin(), more.end());
  }
  return fields;
}

// The fields as the user made them: committed values and typed texts, the
// values in the current file, and the steps as lists of fields with their
// states before and after. It follows the window: typing goes into the table
// on show, leaving a table commits it, and an undo or redo first shows the
// table of the field it changes.
class Model {
 public:
  explicit Model(const Bytes& image) : file_(LoadTablesFrom(image)) {
    for (const FieldRef& field : AllFields()) {
      const std::int32_t value = FieldValue(file_, field.table, field.entry, field.column);
      fields[field] = {value, std::nullopt};
      saved[field] = value;
    }
  }

  void Type(const FieldRef& field, const std::string& text) {
    const CellState before = fields[field];
    const CellState after{before.committed, text};
    if (after == before)
      return;
    fields[field] = after;
    if (undone.empty() && !done.empty() && done.back().visit == visit &&
        done.back().touched.size() == 1 && done.back().touched.begin()->first == field) {
      done.back().touched.begin()->second.second = after;
      if (clean == done.size())
        clean.reset();
      return;
    }
    Push({{{field, {before, after}}}, visit});
  }

  // Texts put into several cells as one step, as a paste puts them.
  void Paste(const std::vector<std::pair<FieldRef, std::string>>& cells) {
    EndVisit();
    Step step{{}, -1};
    for (const auto& [field, text] : cells) {
      const CellState after{fields[field].committed, text};
      step.touched.try_emplace(field, fields[field], after);
      step.touched.at(field).second = after;
      fields[field] = after;
    }
    std::erase_if(step.touched, [](const auto& touched) {
      return touched.second.first == touched.second.second;
    });
    if (!step.touched.empty())
      Push(std::move(step));
  }

  void EndVisit() { ++visit; }

  // Leaving the table on show for `table`.
  void ShowTable(TableIndex table) {
    if (table == shown)
      return;
    for (const FieldRef& field : FieldsOf(shown)) {
      CellState& state = fields[field];
      if (state.typed)
        state = {Commit(field, state), std::nullopt};
    }
    shown = table;
    EndVisit();
  }

  void Revert(const std::vector<FieldRef>& chosen) {
    EndVisit();
    Step step{{}, -1};
    for (const FieldRef& field : chosen) {
      const CellState in_file{saved[field], std::nullopt};
      if (fields[field] != in_file)
        step.touched[field] = {fields[field], in_file};
      fields[field] = in_file;
    }
    if (!step.touched.empty())
      Push(std::move(step));
  }

  void Undo() { Move(done, undone, false); }
  void Redo() { Move(undone, done, true); }

  // Save As: every typed text is committed into its field and stays as typed.
  void Save() {
    for (auto& [field, state] : fields) {
      if (state.typed)
        state.committed = Commit(field, state);
      saved[field] = state.committed;
    }
    clean = done.size();
  }

  std::string CellText(const FieldRef& field) const {
    const CellState& state = fields.at(field);
    return state.typed ? *state.typed
                       : FieldText(state.committed, FieldOf(field.table, field.column).is_signed);
  }

  // The tables as the current file should hold them.
  TableSet SavedTables() const {
    TableSet tables = file_;
    for (const auto& [field, value] : saved)
      StoreFieldValue(tables, field.table, field.entry, field.column, value);
    return tables;
  }

  struct Step {
    std::map<FieldRef, std::pair<CellState, CellState>> touched;
    int visit;  // -1 for a step that is not typing
  };

  std::map<FieldRef, CellState> fields;
  std::map<FieldRef, std::int32_t> saved;
  std::vector<Step> done;
  std::vector<Step> undone;
  // How many steps were done when the fields were saved; none once out of reach.
  std::optional<std::size_t> clean = 0;
  TableIndex shown = kCreatures;
  int visit = 0;

 private:
  void Push(Step step) {
    if (clean > done.size())
      clean.reset();
    undone.clear();
    done.push_back(std::move(step));
  }

  static std::int32_t Commit(const FieldRef& field, const CellState& state) {
    const FieldLayout layout = FieldOf(field.table, field.column);
    return WrapToField(ParseGridNumberOr(*state.typed, state.committed), layout.width,
                       layout.is_signed);
  }

  void Move(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
    if (from.empty())
      return;
    Step step = std::move(from.back());
    from.pop_back();
    EndVisit();
    ShowTable(step.touched.begin()->first.table);
    for (const auto& [field, states] : step.touched)
      fields[field] = forward ? states.second : states.first;
    to.push_back(std::move(step));
  }

  TableSet file_;
};

// Texts a user might type: numbers that fit, numbers too large for the field,
// and texts that are not numbers.
std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> odd = {
      "",      "-",     "abc",    "1x",         " 7",         "+5",          "300", "-129",
      "65536", "70000", "-32769", "4294967295", "4294967296", "99999999999", "0",   "00"};
  if (random() % 3 == 0)
    return odd[random() % odd.size()];
  return std::to_string(static_cast<int>(random() % 600) - 100);
}

class EditHistoryProperty : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    source = MakeSample(GetParam()).image;
    const QString path = dir.filePath(QStringLiteral("start.exe"));
    ASSERT_TRUE(WriteBytes(path, source));
    QString error;
    ASSERT_EQ(document.Open(
                  path, [] { return true; }, error),
              TableDocument::Outcome::Done);
    model = std::make_unique<Model>(source);
    // As the window does: an undo or redo shows the table of its field, and
    // showing another table commits the one left.
    QObject::connect(&history, &DocumentHistory::fieldTouched,
                     [this](const FieldRef& field) { ShowTable(field.table); });
  }

  void ShowTable(TableIndex table) {
    if (table == shown)
      return;
    document.CommitTable(shown);
    history.EndVisit();
    shown = table;
  }

  void ExpectSameFields(int step) {
    for (const FieldRef& field : AllFields()) {
      const CellState& expected = model->fields.at(field);
      const CellState actual = document.StateOf(field);
      ASSERT_EQ(actual.committed, expected.committed) << "step " << step;
      ASSERT_EQ(actual.typed, expected.typed) << "step " << step;
      ASSERT_EQ(document.CellText(field), model->CellText(field)) << "step " << step;
      ASSERT_EQ(FieldValue(document.File().tables, field.table, field.entry, field.column),
                model->saved.at(field))
          << "step " << step;
    }
    ASSERT_EQ(history.Index(), model->done.size()) << "step " << step;
    ASSERT_EQ(history.Count(), model->done.size() + model->undone.size()) << "step " << step;
    ASSERT_EQ(history.IsClean(), model->clean == model->done.size()) << "step " << step;
    ASSERT_EQ(history.CanUndo(), !model->done.empty()) << "step " << step;
    ASSERT_EQ(history.CanRedo(), !model->undone.empty()) << "step " << step;
    ASSERT_EQ(shown, model->shown) << "step " << step;
  }

  QTemporaryDir dir;
  Bytes source;
  TableDocument document;
  DocumentHistory& history = document.History();
  std::unique_ptr<Model> model;
  TableIndex shown = kCreatures;
};

TEST_P(EditHistoryProperty, RandomSessionsMatchThePlainModel) {
  std::mt19937 random(GetParam());
  FieldRef cell{kCreatures, 0, 1};
  int saves = 0;
  for (int step = 0; step < 300; ++step) {
    const unsigned action = random() % 22;
    if (action < 9) {
      // Typing, mostly into the cell typed into last.
      if (action < 3) {
        history.EndVisit();
        model->EndVisit();
        const std::vector<FieldRef> fields = FieldsOf(shown);
        cell = fields[random() % std::min<std::size_t>(fields.size(), 40)];
      }
      if (cell.table != shown)
        cell = FieldsOf(shown).front();
      const std::string text = RandomText(random);
      document.Type(cell, text);
      model->Type(cell, text);
    } else if (action < 11) {
      const auto table = static_cast<TableIndex>(random() % kTableCount);
      ShowTable(table);
      model->ShowTable(table);
    } else if (action < 13) {
      std::vector<FieldRef> chosen = {cell};
      const std::vector<FieldRef> fields = FieldsOf(shown);
      chosen.push_back(fields[random() % std::min<std::size_t>(fields.size(), 40)]);
      if (cell.table != shown)
        chosen.erase(chosen.begin());
      std::sort(chosen.begin(), chosen.end());
      chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
      RevertToFile(document, chosen);
      model->Revert(chosen);
    } else if (action < 16) {
      history.Undo();
      model->Undo();
    } else if (action < 19) {
      history.Redo();
      model->Redo();
    } else if (action < 21) {
      // A paste: a few cells of the table on show, a cell maybe twice, in one group.
      std::vector<std::pair<FieldRef, std::string>> cells;
      const std::vector<FieldRef> fields = FieldsOf(shown);
      for (unsigned n = random() % 5; n-- > 0;)
        cells.emplace_back(fields[random() % std::min<std::size_t>(fields.size(), 40)],
                           RandomText(random));
      // Now and then the paste fails after its cells, inside a change nested
      // in its own: every field goes back and no step is made.
      const bool fails = random() % 4 == 0;
      try {
        document.Change(QStringLiteral("вставку"), [&](DocumentEdit&) {
          document.Change(QStringLiteral("вставку"), [&](DocumentEdit& edit) {
            for (const auto& [field, text] : cells)
              edit.Type(field, text);
            if (fails)
              throw std::runtime_error("the paste failed");
          });
        });
        EXPECT_FALSE(fails);
      } catch (const std::runtime_error&) {
        EXPECT_TRUE(fails);
      }
      if (fails)
        model->EndVisit();
      else
        model->Paste(cells);
    } else {
      const QString path = dir.filePath(QStringLiteral("saved-%1.exe").arg(saves++ % 2));
      QString error;
      ASSERT_EQ(document.SaveAs(path, nullptr, error), TableDocument::Outcome::Done);
      model->Save();
      ASSERT_EQ(ReadBytes(path), WriteTablesInto(model->SavedTables(), source)) << "step " << step;
    }
    ExpectSameFields(step);
  }
  EXPECT_GT(saves, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditHistoryProperty, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
