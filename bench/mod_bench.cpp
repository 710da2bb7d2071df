// What working on a mod costs in the shown window: a keystroke with the panel
// "Изменения" listing one field or every field, setting a comparison file
// against one read of the file, F7, and a range edit over a whole table with
// the repaint that follows. Times of single actions are reported as medians.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "bench/bench_window.h"
#include "document/changes_model.h"
#include "document/comparison_file.h"
#include "document/table_document.h"
#include "grid/string_grid.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/window_parts.h"
#include "ui/changes_panel.h"
#include "ui/main_form.h"
#include "ui/mod_commands.h"

namespace {

// A second executable to compare with: another sample, or the bench's own
// sample with the first creature field and the last spell field changed.
QString ComparisonFile(bool two_fields) {
  const std::string name = two_fields ? "two-fields.exe" : "other.exe";
  const std::filesystem::path path = SampleFile().Sibling(name);
  if (!std::filesystem::exists(path)) {
    Bytes image = MakeSample(two_fields ? 1 : 2).image;
    if (two_fields) {
      TableSet tables = LoadTablesFrom(image);
      const FieldRef first{kCreatures, 0, 1};
      const FieldRef last{kSpells, EntryCount(kSpells) - 1, ColCounts[kSpells] - 1};
      for (const FieldRef& field : {first, last})
        StoreFieldValue(tables, field.table, field.entry, field.column,
                        FieldValue(tables, field.table, field.entry, field.column) + 1);
      image = WriteTablesInto(tables, std::move(image));
    }
    WriteFile(path, image);
  }
  return PathOf(path);
}

void Check(const FakeDialogs& dialogs) {
  if (dialogs.errors.isEmpty())
    return;
  std::fprintf(stderr, "unexpected error: %s\n", qPrintable(dialogs.errors.last()));
  std::abort();
}

// Every field of the three tables set to another value, as one step.
void ChangeEveryField(TableDocument& document) {
  std::vector<FieldValueChange> values;
  for (TableIndex table = 0; table < kTableCount; ++table)
    for (int entry = 0; entry < EntryCount(table); ++entry)
      for (int column = 1; column < ColCounts[table]; ++column) {
        const FieldLayout layout = FieldOf(table, column);
        const std::int32_t now = FieldValue(document.Committed(), table, entry, column);
        values.push_back(
            {{table, entry, column}, WrapToField(now + 1, layout.width, layout.is_signed)});
      }
  SetFieldValues(document, QStringLiteral("всё"), values);
}

// The shown main window with the sample open and the panel shown.
struct ModWindow {
  explicit ModWindow(bool panel = true) {
    form.resize(1200, 900);
    form.show();
    dialogs.open_answers.push_back(PathOf(SampleFile().path()));
    form.OpenClick();
    Named<ChangesPanel>(&form, "ChangesPanel")->setVisible(panel);
    CatchUp();
    Check(dialogs);
  }
  void Compare(const QString& path) {
    dialogs.comparison_answers.push_back(path);
    Named<QAction>(&form, "CompareWith")->trigger();
    Check(dialogs);
  }
  FakeDialogs dialogs;
  TMainForm form{&dialogs};
};

double read_floor = 0;

void BM_ReadFile(benchmark::State& state) {
  const std::string path = SampleFile().path().string();
  read_floor = TimeEach(state, [&] { ReadOnce(path); });
}
BENCHMARK(BM_ReadFile)->UseManualTime();

// One keystroke in the cell editor with the repaint that follows, the panel
// shown or hidden, while it lists only the field typed into (all_changed 0)
// or every field of the three tables (1).
void BM_Keystroke_Panel(benchmark::State& state) {
  const bool all_changed = state.range(0) != 0;
  const bool panel = state.range(1) != 0;
  ModWindow window(panel);
  TMainForm& form = window.form;
  if (all_changed) {
    ChangeEveryField(*form.Document());
    CatchUp();
  }
  QLineEdit* editor = CellEditorAtThirdCell(form);
  std::vector<double> keystrokes;
  for (auto _ : state)
    KeepTime(state, keystrokes, TimedKeystroke(editor, keystrokes.size(), 2), 1e6);
  state.counters["rows"] = Named<ChangesPanel>(&form, "ChangesPanel")->Model()->rowCount();
  ReportMedian(state, keystrokes, "median_us");
}
BENCHMARK(BM_Keystroke_Panel)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"all_changed", "panel"})
    ->UseManualTime();

// What the list costs where the document changes every cell at once: a
// table committed (a tab left) lists every field again. Without the list
// (list 0), with it (1), and with the list of a hidden panel, which does not
// follow (2); every field of the three tables changed.
void BM_Commit_List(benchmark::State& state) {
  const std::int64_t list = state.range(0);
  TableDocument document;
  std::unique_ptr<ChangesModel> model;
  if (list != 0)
    model = std::make_unique<ChangesModel>(&document);
  if (list == 2)
    model->Follow(false);
  QString error;
  document.Open(
      PathOf(SampleFile().path()), [] { return true; }, error);
  ChangeEveryField(document);
  std::vector<double> commits;
  for (auto _ : state) {
    document.Type({kCreatures, 0, 1}, commits.size() % 2 ? "1" : "2");
    const auto start = std::chrono::steady_clock::now();
    document.CommitTable(kCreatures);
    KeepTime(state, commits, SecondsSince(start), 1e6);
  }
  if (model)
    state.counters["rows"] = model->rowCount();
  ReportMedian(state, commits, "median_us");
}
BENCHMARK(BM_Commit_List)->Arg(0)->Arg(1)->Arg(2)->ArgName("list")->UseManualTime();

// Setting a comparison file in the document alone, against one read.
void BM_SetComparison_Document(benchmark::State& state) {
  TableDocument document;
  QString error;
  document.Open(
      PathOf(SampleFile().path()), [] { return true; }, error);
  const QString other = ComparisonFile(false);
  const double seconds = TimeEach(
      state, [&] { document.Comparison().Open(other, nullptr, error); },
      [&] { document.Comparison().Close(); });
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_SetComparison_Document)->UseManualTime();

// Setting one through the window's command, with the grid's and the panel's
// repaint that follows.
void BM_SetComparison_Window(benchmark::State& state) {
  ModWindow window;
  const QString other = ComparisonFile(false);
  const double seconds = TimeEach(
      state,
      [&] {
        window.Compare(other);
        CatchUp();
      },
      [&] {
        Named<QAction>(&window.form, "CloseComparison")->trigger();
        CatchUp();
      });
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_SetComparison_Window)->UseManualTime();

// F7 with the repaint that follows: against another sample (many cells
// differ, the next is near; two_fields 0), or against a file that differs in
// the first creature field and the last spell field only, so that every F7
// searches the whole of the tables and switches the tab (1).
void BM_F7(benchmark::State& state) {
  const bool two_fields = state.range(0) != 0;
  ModWindow window;
  window.Compare(ComparisonFile(two_fields));
  CatchUp();
  std::vector<double> steps;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    Named<QAction>(&window.form, "NextDifference")->trigger();
    CatchUp();
    KeepTime(state, steps, SecondsSince(start), 1e3);
  }
  ReportMedian(state, steps, "median_ms");
}
BENCHMARK(BM_F7)->Arg(0)->Arg(1)->ArgName("two_fields")->UseManualTime();

// The search of F7 alone, in the document, for the same two cases.
void BM_F7_Search(benchmark::State& state) {
  const bool two_fields = state.range(0) != 0;
  ModWindow window;
  window.Compare(ComparisonFile(two_fields));
  const TableDocument& document = *window.form.Document();
  FieldRef at{kCreatures, 0, 1};
  std::vector<double> steps;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    at = document.Comparison().NextDifference(at, true).value_or(at);
    KeepTime(state, steps, SecondsSince(start), 1e6);
  }
  ReportMedian(state, steps, "median_us");
}
BENCHMARK(BM_F7_Search)->Arg(0)->Arg(1)->ArgName("two_fields")->UseManualTime();

// The floor of F7 in the window: the current cell moved one cell on by the
// grid, with the repaint that follows, and no comparison file.
void BM_MoveCell(benchmark::State& state) {
  ModWindow window;
  TStringGrid* grid = Named<TStringGrid>(&window.form, "sg_Table");
  std::vector<double> moves;
  for (auto _ : state) {
    const int column = grid->CurrentColumn() % (ColCounts[kCreatures] - 1) + 1;
    const auto start = std::chrono::steady_clock::now();
    grid->SetCurrentCell(column, grid->CurrentRow());
    CatchUp();
    KeepTime(state, moves, SecondsSince(start), 1e3);
  }
  ReportMedian(state, moves, "median_ms");
}
BENCHMARK(BM_MoveCell)->UseManualTime();

// The floor of setting a comparison file in the window: the whole grid and
// panel painted again, with nothing changed.
void BM_Repaint(benchmark::State& state) {
  ModWindow window;
  const double seconds = TimeEach(state, [&] {
    Named<TStringGrid>(&window.form, "sg_Table")->viewport()->update();
    Named<ChangesPanel>(&window.form, "ChangesPanel")->View()->viewport()->update();
    CatchUp();
  });
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_Repaint)->UseManualTime();

// Ctrl+E over the whole creature table (66 rows of 13 cells): add 1, then
// subtract 1, each one step, with the repaint of the grid and the panel.
void BM_RangeEdit_WholeTable(benchmark::State& state) {
  ModWindow window;
  TMainForm& form = window.form;
  Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(1, 1);
  Named<TStringGrid>(&form, "sg_Table")
      ->ExtendRange(ColCounts[kCreatures] - 1, RowCounts[kCreatures] - 1);
  CatchUp();
  std::vector<double> edits;
  for (auto _ : state) {
    const auto operation =
        edits.size() % 2 == 0 ? RangeEdit::Operation::Add : RangeEdit::Operation::Subtract;
    window.dialogs.range_edit_answers.push_back({operation, 1, 0, 0, false});
    const auto start = std::chrono::steady_clock::now();
    Named<QAction>(&form, "EditRange")->trigger();
    CatchUp();
    KeepTime(state, edits, SecondsSince(start), 1e3);
  }
  state.counters["rows"] = Named<ChangesPanel>(&form, "ChangesPanel")->Model()->rowCount();
  ReportMedian(state, edits, "median_ms");
}
BENCHMARK(BM_RangeEdit_WholeTable)->UseManualTime();

// Правка → Взять значения из файла для сравнения over every cell of each of
// the three tables in turn, against another sample, so that nearly every
// field takes another value; each take with the repaint of the grid and the
// panel that follows. Undone, untimed, before the next round.
void BM_TakeFromComparison_AllTables(benchmark::State& state) {
  ModWindow window;
  TMainForm& form = window.form;
  window.Compare(ComparisonFile(false));
  CatchUp();
  std::vector<double> takes;
  for (auto _ : state) {
    double took = 0;
    for (TableIndex table = 0; table < kTableCount; ++table) {
      Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(table);
      Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(1, 1);
      Named<TStringGrid>(&form, "sg_Table")
          ->ExtendRange(ColCounts[table] - 1, RowCounts[table] - 1);
      CatchUp();
      const auto start = std::chrono::steady_clock::now();
      Named<QAction>(&form, "TakeFromComparison")->trigger();
      CatchUp();
      took += SecondsSince(start);
    }
    KeepTime(state, takes, took, 1e3);
    state.PauseTiming();
    while (form.History()->CanUndo())
      Named<QAction>(&form, "mm_Undo")->trigger();
    CatchUp();
    state.ResumeTiming();
  }
  state.counters["rows"] = Named<ChangesPanel>(&form, "ChangesPanel")->Model()->rowCount();
  ReportMedian(state, takes, "median_ms");
}
BENCHMARK(BM_TakeFromComparison_AllTables)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return RunWindowBenchmarks(argc, argv);
}
