// What Open, Save As and a tab switch cost, each next to its floor: reading the
// file once, and copying it once with a flush. The floors run first; every
// later benchmark reports its time as a multiple of its floor in the counter
// "x_floor", so the ratios come from one run on one machine.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "bench/bench_window.h"
#include "document/document_history.h"
#include "document/table_document.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/window_parts.h"
#include "ui/grid_clipboard.h"
#include "ui/main_form.h"

namespace {

// The answers a user would give: the sample in the Open dialog, and a name in
// the Save dialog that alternates between two files so that every save
// replaces a file that exists, as saving again does.
class ScriptedUser {
 public:
  ScriptedUser() {
    open_path = PathOf(SampleFile().path());
    save_paths[0] = PathOf(SampleFile().Sibling("saved-a.exe"));
    save_paths[1] = PathOf(SampleFile().Sibling("saved-b.exe"));
  }
  void Open(TMainForm& form) {
    dialogs.open_answers.push_back(open_path);
    form.OpenClick();
    Check();
  }
  void SaveAs(TMainForm& form) {
    dialogs.save_answers.push_back(save_paths[next_++ % 2]);
    form.mm_SaveAsClick();
    Check();
  }

  FakeDialogs dialogs;
  QString open_path;
  QString save_paths[2];

 private:
  void Check() const {
    if (dialogs.errors.isEmpty())
      return;
    std::fprintf(stderr, "unexpected error: %s\n", qPrintable(dialogs.errors.last()));
    std::abort();
  }
  unsigned next_ = 0;
};

// The mean time per iteration of each floor, in seconds, as last measured.
double read_floor = 0;
double copy_floor = 0;

// The shown main window with the sample open, and the events that follow
// handled.
struct OpenWindow {
  OpenWindow() {
    form.show();
    user.Open(form);
    CatchUp();
  }
  ScriptedUser user;
  TMainForm form{&user.dialogs};
};

// Floor of Open: one read, again and again, so with the file and the buffer
// warm in the processor's caches.
void BM_ReadFile(benchmark::State& state) {
  const std::string path = SampleFile().path().string();
  read_floor = TimeEach(state, [&] { ReadOnce(path); });
}
BENCHMARK(BM_ReadFile)->UseManualTime();

// Open without a window: the document's Open, which the window's command
// calls: read through the file layer, load the three tables.
void BM_Open_Document(benchmark::State& state) {
  const QString path = PathOf(SampleFile().path());
  TableDocument document;
  QString error;
  const double seconds = TimeEach(state, [&] {
    document.Open(
        path, [] { return true; }, error);
  });
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_Open_Document)->UseManualTime();

// Open in the shown main window, through its command, with the tab of table
// `state.range(0)` on show before it (so the grid is reshaped for the creatures
// unless they are on show already). The repaint that follows, and the switch to
// that tab, run untimed between the iterations.
//
// A repaint of the window pushes the file out of the processor's caches, which
// the floor's back-to-back reads keep warm. So each iteration also times one
// read after the same switch and repaint, and "x_read_after_repaint" gives
// Open against that: both measured in the same state of the caches.
// "read_after_repaint_x_floor" gives that read against the warm floor: what
// Open pays for its read alone, before it loads or shows anything.
void BM_Open_Window(benchmark::State& state) {
  const std::string path = SampleFile().path().string();
  OpenWindow window;
  TMainForm& form = window.form;
  const int shown = static_cast<int>(state.range(0));
  const auto show_tab = [&] {
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(shown);
    CatchUp();
  };
  show_tab();
  double reads = 0;
  const double seconds = TimeEach(
      state, [&] { window.user.Open(form); },
      [&] {
        show_tab();
        const auto start = std::chrono::steady_clock::now();
        ReadOnce(path);
        reads += SecondsSince(start);
        // That read warmed the caches for the next Open: away and back again.
        Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex((shown + 1) % kTableCount);
        CatchUp();
        show_tab();
      });
  ReportAgainstFloor(state, seconds, read_floor);
  const double read_after_repaint = reads / static_cast<double>(state.iterations());
  state.counters["x_read_after_repaint"] = seconds / read_after_repaint;
  if (read_floor > 0)
    state.counters["read_after_repaint_x_floor"] = read_after_repaint / read_floor;
}
BENCHMARK(BM_Open_Window)->DenseRange(0, 2)->ArgName("from_table")->UseManualTime();

// Floor of Save As: the file copied once and flushed to the disk.
void BM_CopyAndFlush(benchmark::State& state) {
  const QString source = PathOf(SampleFile().path());
  const QString copy = PathOf(SampleFile().Sibling("copy.exe"));
  copy_floor = TimeEach(state, [&] {
    QFile::remove(copy);
    QFile::copy(source, copy);
    QFile written(copy);
    written.open(QIODevice::ReadWrite);
#ifdef _WIN32
    _commit(written.handle());
#else
    ::fsync(written.handle());
#endif
  });
}
BENCHMARK(BM_CopyAndFlush)->UseManualTime();

// Save As without a window: the document's Save As, which the window's
// command calls: read the current file, commit, write the three tables into
// the image, put it on disk safely.
void BM_SaveAs_Document(benchmark::State& state) {
  const QString paths[2] = {PathOf(SampleFile().Sibling("saved-a.exe")),
                            PathOf(SampleFile().Sibling("saved-b.exe"))};
  TableDocument document;
  QString error;
  document.Open(
      PathOf(SampleFile().path()), [] { return true; }, error);
  unsigned next = 0;
  const double seconds =
      TimeEach(state, [&] { document.SaveAs(paths[next++ % 2], nullptr, error); });
  ReportAgainstFloor(state, seconds, copy_floor);
}
BENCHMARK(BM_SaveAs_Document)->UseManualTime();

// Save As in the main window, through its command.
void BM_SaveAs_Window(benchmark::State& state) {
  OpenWindow window;
  TMainForm& form = window.form;
  const double seconds = TimeEach(
      state, [&] { window.user.SaveAs(form); }, CatchUp);
  ReportAgainstFloor(state, seconds, copy_floor);
}
BENCHMARK(BM_SaveAs_Window)->UseManualTime();

// One tab switch into table `state.range(0)` in the shown window, from the
// table before it: commit the table left, reshape, header row, fill. With
// `state.range(1)` set, the repaint that follows is timed too. The median of
// the single switches is reported in "median_ms".
void BM_TabSwitch(benchmark::State& state) {
  const int into = static_cast<int>(state.range(0));
  const int from = (into + kTableCount - 1) % kTableCount;
  const bool painted = state.range(1) != 0;
  OpenWindow window;
  TMainForm& form = window.form;
  std::vector<double> switches;
  for (auto _ : state) {
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(from);
    CatchUp();
    const auto start = std::chrono::steady_clock::now();
    Named<QTabBar>(&form, "tc_Tabs")->setCurrentIndex(into);
    if (painted)
      CatchUp();
    KeepTime(state, switches, SecondsSince(start), 1e3);
    CatchUp();
  }
  ReportMedian(state, switches, "median_ms");
}
BENCHMARK(BM_TabSwitch)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"table", "painted"})
    ->UseManualTime();

// One field set through the window's grid, as a keystroke sets it: the text
// goes into the document, and the cell with its mark is painted again. The
// median of the single edits is reported in "median_us".
void BM_SetField_Window(benchmark::State& state) {
  OpenWindow window;
  TMainForm& form = window.form;
  GridModel* model = Named<TStringGrid>(&form, "sg_Table")->Model();
  const QModelIndex cell = model->index(0, 0);
  std::vector<double> edits;
  int value = 0;
  for (auto _ : state) {
    const QString text = QString::number(value++ % 300);
    const auto start = std::chrono::steady_clock::now();
    model->setData(cell, text, Qt::EditRole);
    CatchUp();
    KeepTime(state, edits, SecondsSince(start), 1e6);
  }
  ReportMedian(state, edits, "median_us");
}
BENCHMARK(BM_SetField_Window)->UseManualTime();

// One keystroke in the cell editor, as the user types it: the text goes into
// the document through the undo history (a new step, or merged into the step
// of the cell's visit when `state.range(0)` is 0), the Edit menu names the
// step, and the cell with its mark is painted again. The median of the single
// keystrokes is reported in "median_us".
void BM_Keystroke_Window(benchmark::State& state) {
  const bool new_step = state.range(0) != 0;
  OpenWindow window;
  TMainForm& form = window.form;
  QLineEdit* editor = CellEditorAtThirdCell(form);
  std::vector<double> keystrokes;
  for (auto _ : state) {
    // Digits up to four, then back to one: a number of the field's size.
    KeepTime(state, keystrokes, TimedKeystroke(editor, keystrokes.size(), 4), 1e6);
    if (new_step)
      form.History()->EndVisit();
  }
  if (!form.History()->CanUndo()) {
    std::fprintf(stderr, "the keystrokes made no undo step\n");
    std::abort();
  }
  state.counters["steps"] = static_cast<double>(form.History()->Count());
  ReportMedian(state, keystrokes, "median_us");
}
BENCHMARK(BM_Keystroke_Window)->Arg(0)->Arg(1)->ArgName("new_step")->UseManualTime();

// A whole creature table (66 rows of 13 cells) pasted in the shown window
// from the first cell, as one step, with the repaint that follows; with
// `state.range(0)` set, the undo of that paste is timed instead. Two blocks
// take turns, so every paste changes every cell. The median of the single
// pastes is reported in "median_ms".
void BM_PasteWholeTable_Window(benchmark::State& state) {
  const bool time_the_undo = state.range(0) != 0;
  OpenWindow window;
  TMainForm& form = window.form;
  QString blocks[2];
  for (int turn = 0; turn < 2; ++turn)
    for (int row = 1; row < RowCounts[kCreatures]; ++row) {
      QStringList cells;
      for (int column = 1; column < ColCounts[kCreatures]; ++column)
        cells.append(QString::number((row * 7 + column * 3 + turn) % 100));
      blocks[turn] += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
  std::vector<double> pastes;
  unsigned turn = 0;
  for (auto _ : state) {
    Named<TStringGrid>(&form, "sg_Table")->SetCurrentCell(1, 1);
    auto start = std::chrono::steady_clock::now();
    form.Clipboard()->Paste(blocks[turn++ % 2]);
    CatchUp();
    if (time_the_undo) {
      // The paste just made is taken back as one step; only that is timed.
      start = std::chrono::steady_clock::now();
      Named<QAction>(&form, "mm_Undo")->trigger();
      CatchUp();
    }
    KeepTime(state, pastes, SecondsSince(start), 1e3);
  }
  ReportMedian(state, pastes, "median_ms");
}
BENCHMARK(BM_PasteWholeTable_Window)->Arg(0)->Arg(1)->ArgName("undo")->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  return RunWindowBenchmarks(argc, argv);
}
