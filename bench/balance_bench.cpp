// What balancing costs: the balance panel (list, footer and chart) after a
// keystroke's commit with its repaint, a sort and a filter of the building
// table, the preview of a formula over every cell of the creature table, and
// trevalune-cli formula over a whole column against trevalune-cli apply of a
// change list of the same size. Medians in milliseconds; the budgets are
// 16 ms, 5 ms, 5 ms, 1 ms and 1.3 times apply.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "balance/balance_panel.h"
#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "bench/bench_window.h"
#include "document/comparison_file.h"
#include "document/formula.h"
#include "document/table_document.h"
#include "formats/change_list.h"
#include "grid/string_grid.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/window_parts.h"
#include "ui/balance_commands.h"
#include "ui/main_form.h"

namespace {

// The shown main window with the sample open, another sample as the
// comparison file, and the balance panel shown on `table`.
struct BalanceWindow {
  explicit BalanceWindow(TableIndex table) {
    form.resize(1200, 900);
    form.show();
    dialogs.open_answers.push_back(PathOf(SampleFile().path()));
    form.OpenClick();
    const std::filesystem::path other = SampleFile().Sibling("other.exe");
    const Bytes image = MakeSample(2).image;
    WriteFile(other, image);
    QString error;
    form.Document()->Comparison().Open(
        PathOf(other), [] { return true; }, error);
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(table);
    Named<QAction>(&form, "ShowPanel")->trigger();
    panel = qobject_cast<BalancePanel*>(form.Balance()->Panel());
    CatchUp();
    if (!dialogs.errors.isEmpty() || !panel) {
      std::fprintf(stderr, "the window did not open the sample\n");
      std::abort();
    }
  }
  FakeDialogs dialogs;
  TMainForm form{&dialogs};
  BalancePanel* panel = nullptr;
};

// A value typed into a creature cell and committed (the cell left), with the
// panel's list, footer and chart made again and everything repainted.
void BM_Balance_KeystrokeCommit(benchmark::State& state) {
  BalanceWindow window(kCreatures);
  TMainForm& form = window.form;
  std::vector<double> commits;
  int typed = 0;
  for (auto _ : state) {
    Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(5, 3);
    CatchUp();
    const std::size_t steps = form.Document()->History().Count();
    QLineEdit* editor = Named<TStringGrid>(&form, "sg_Table")->CellEditor();
    editor->selectAll();
    for (const QChar digit : QString::number(1000 + (typed++ % 50))) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(digit));
      QApplication::sendEvent(editor, &press);
    }
    const auto start = std::chrono::steady_clock::now();
    Named<TStringGrid>(&form, "sg_Table")
        ->SetCurrentCell(5, 4);  // leaving the cell commits the visit: one step
    window.panel->repaint();
    Named<TStringGrid>(&form, "sg_Table")->viewport()->repaint();
    CatchUp();
    KeepTime(state, commits, SecondsSince(start), 1e3);
    if (form.Document()->History().Count() != steps + 1) {
      std::fprintf(stderr, "the keystrokes made no step\n");
      std::abort();
    }
  }
  ReportMedian(state, commits, "median_ms");
}
BENCHMARK(BM_Balance_KeystrokeCommit)->UseManualTime()->Iterations(60);

// The building table sorted by each column in turn, ascending then descending.
void BM_Balance_SortBuildings(benchmark::State& state) {
  BalanceWindow window(kBuildings);
  BalanceProxy* proxy = window.panel->Proxy();
  std::vector<double> sorts;
  int k = 0;
  for (auto _ : state) {
    const int column = 1 + (k / 2) % (ColCounts[kBuildings] - 1);
    const auto start = std::chrono::steady_clock::now();
    proxy->sort(column, k++ % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
    KeepTime(state, sorts, SecondsSince(start), 1e3);
  }
  ReportMedian(state, sorts, "median_ms");
}
BENCHMARK(BM_Balance_SortBuildings)->UseManualTime()->Iterations(100);

// A condition set on the building table and taken off again, in turns.
void BM_Balance_FilterBuildings(benchmark::State& state) {
  BalanceWindow window(kBuildings);
  BalanceProxy* proxy = window.panel->Proxy();
  std::vector<double> filters;
  int k = 0;
  for (auto _ : state) {
    const QString condition = k++ % 2 ? QString() : QStringLiteral("Золото > 1000 && Руда < 20");
    const auto start = std::chrono::steady_clock::now();
    proxy->SetCondition(condition);
    KeepTime(state, filters, SecondsSince(start), 1e3);
  }
  ReportMedian(state, filters, "median_ms");
}
BENCHMARK(BM_Balance_FilterBuildings)->UseManualTime()->Iterations(100);

// The preview of a formula over every cell of the creature table (66 x 13).
void BM_Formula_PreviewCreatures(benchmark::State& state) {
  TableDocument document;
  QString error;
  document.Open(
      PathOf(SampleFile().path()), [] { return true; }, error);
  std::vector<FieldRef> fields;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
    for (int column = 1; column < ColCounts[kCreatures]; ++column)
      fields.push_back({kCreatures, entry, column});
  std::vector<double> previews;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const RangeEditPlan plan =
        PlanFormulaEdit(document, fields, QStringLiteral("round(value * 1.1 + Мин_урон)"), false);
    benchmark::DoNotOptimize(plan.changes.size());
    KeepTime(state, previews, SecondsSince(start), 1e3);
  }
  state.counters["cells"] = static_cast<double>(fields.size());
  ReportMedian(state, previews, "median_ms");
}
BENCHMARK(BM_Formula_PreviewCreatures)->UseManualTime()->Iterations(30);

double RunCli(const QStringList& arguments) {
  QProcess process;
  const auto start = std::chrono::steady_clock::now();
  process.start(QStringLiteral(TREVALUNE_CLI_PATH), arguments);
  process.waitForFinished(60000);
  const double took = SecondsSince(start);
  if (process.exitCode() != 0) {
    std::fprintf(stderr, "trevalune-cli failed: %s\n", process.readAllStandardError().constData());
    std::abort();
  }
  return took;
}

// trevalune-cli formula over the whole Золото column of the creatures, and
// trevalune-cli apply of the change list it makes (as many rows), in turns.
void BM_Cli_FormulaAgainstApply(benchmark::State& state) {
  const QString sample = PathOf(SampleFile().path());
  const QString list = PathOf(SampleFile().Sibling("formula.csv"));
  const QString out = PathOf(SampleFile().Sibling("formula-out.exe"));
  const QStringList formula = {"formula",  sample,   "--table", "creatures",
                               "--column", "Золото", "--expr",  "value + 1"};
  RunCli(formula + QStringList{"--changes", list});
  std::vector<double> formulas, applies;
  for (auto _ : state) {
    KeepTime(state, formulas, RunCli(formula + QStringList{"-o", out}), 1e3);
    applies.push_back(RunCli({"apply", sample, list, "-o", out}) * 1e3);
  }
  std::sort(formulas.begin(), formulas.end());
  std::sort(applies.begin(), applies.end());
  state.counters["x_apply"] = formulas[formulas.size() / 2] / applies[applies.size() / 2];
  ReportMedian(state, applies, "apply_median_ms");
  ReportMedian(state, formulas, "median_ms");
}
BENCHMARK(BM_Cli_FormulaAgainstApply)->UseManualTime()->Iterations(21);

}  // namespace

int main(int argc, char** argv) {
  return RunWindowBenchmarks(argc, argv, [] {
    // The chart plugin where the build leaves it, beside the editor.
    QCoreApplication::addLibraryPath(QStringLiteral(TREVALUNE_CHART_PLUGIN_BUILD_DIR));
  });
}
