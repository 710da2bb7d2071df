// What Open, Save As and a tab switch cost, each next to its floor: reading the
// file once, and copying it once with a flush. The floors run first; every
// later benchmark reports its time as a multiple of its floor in the counter
// "x_floor", so the ratios come from one run on one machine.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
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

#include "bench_files.h"
#include "file_store.h"
#include "image_helpers.h"
#include "main_form.h"
#include "memory_grid.h"
#include "table_set.h"
#include "user_dialogs.h"

namespace {

// The answers a user would give: the sample in the Open dialog, and a name in
// the Save dialog that alternates between two files so that every save
// replaces a file that exists, as saving again does.
class ScriptedDialogs : public UserDialogs {
 public:
  QString open_path;
  QString save_paths[2];
  QString AskOpenFileName(QWidget*, const QString&, const QString&) override { return open_path; }
  QString AskSaveFileName(QWidget*, const QString&, const QString&) override {
    return save_paths[next_++ % 2];
  }
  bool AskYesNo(QWidget*, const QString&) override { return false; }
  bool AskSizeWarning(QWidget*) override { return true; }
  void ShowError(QWidget*, const QString& text) override {
    std::fprintf(stderr, "unexpected error: %s\n", qPrintable(text));
    std::abort();
  }

 private:
  unsigned next_ = 0;
};

BenchSampleFile& Sample() {
  static BenchSampleFile file;
  return file;
}

QString PathOf(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

// The mean time per iteration of each floor, in seconds, as last measured.
double read_floor = 0;
double copy_floor = 0;

// Times `work` alone in each iteration, with `between` run untimed after it (to
// let the window catch up on its events), and returns the mean time of `work`
// in seconds. The benchmarks use manual time, so the report shows the same.
template <typename Work, typename Between>
double TimeEach(benchmark::State& state, Work work, Between between) {
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(took);
    total += took;
    between();
  }
  return total / static_cast<double>(state.iterations());
}

template <typename Work>
double TimeEach(benchmark::State& state, Work work) {
  return TimeEach(state, work, [] {});
}

void ReportAgainstFloor(benchmark::State& state, double seconds, double floor) {
  if (floor > 0)
    state.counters["x_floor"] = seconds / floor;
}

void CatchUp() {
  QApplication::processEvents();
}

// Floor of Open: the file read once into a fresh buffer in memory.
void BM_ReadFile(benchmark::State& state) {
  const std::string path = Sample().path().string();
  read_floor = TimeEach(state, [&] {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    Bytes bytes(ExpectedFileSize);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(bytes.data());
  });
}
BENCHMARK(BM_ReadFile)->UseManualTime();

// Open without a window, as the Open command does it: read through the file
// layer, load the three tables, fill the creature grid.
void BM_Open_MemoryGrid(benchmark::State& state) {
  const QString path = PathOf(Sample().path());
  QtFileStore store;
  MemoryGrid grid;
  const double seconds = TimeEach(state, [&] {
    Bytes image;
    QString reason;
    store.ReadAll(path, image, reason);
    auto tables = std::make_unique<TableSet>();
    TargetHandle.Open(std::move(image), false);
    LoadCrNames(tables->CrTable);
    LoadCrRecords(tables->CrTable);
    FillActiveTable(kCreatures, *tables, grid);
    LoadBlNames(tables->BlTable);
    LoadBlRecords(tables->BlTable);
    LoadSpNames(tables->SpTable);
    LoadSpRecords(tables->SpTable);
    image = TargetHandle.Close();
    benchmark::DoNotOptimize(image.data());
  });
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_Open_MemoryGrid)->UseManualTime();

// Open in the shown main window, through its command, with the tab of table
// `state.range(0)` on show before it (so the grid is reshaped for the creatures
// unless they are on show already). The repaint that follows, and the switch to
// that tab, run untimed between the iterations.
void BM_Open_Window(benchmark::State& state) {
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  TMainForm form(&dialogs);
  form.show();
  form.OpenClick();
  const int shown = static_cast<int>(state.range(0));
  const auto show_tab = [&] {
    form.tc_Tabs->setCurrentIndex(shown);
    CatchUp();
  };
  show_tab();
  const double seconds = TimeEach(
      state, [&] { form.OpenClick(); }, show_tab);
  ReportAgainstFloor(state, seconds, read_floor);
}
BENCHMARK(BM_Open_Window)->DenseRange(0, 2)->ArgName("from_table")->UseManualTime();

// Floor of Save As: the file copied once and flushed to the disk.
void BM_CopyAndFlush(benchmark::State& state) {
  const QString source = PathOf(Sample().path());
  const QString copy = PathOf(Sample().Sibling("copy.exe"));
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

// Save As without a window: read the current file, commit the grid, write the
// three tables into the image, put it on disk safely.
void BM_SaveAs_MemoryGrid(benchmark::State& state) {
  const QString source = PathOf(Sample().path());
  const QString destination = PathOf(Sample().Sibling("saved.exe"));
  QtFileStore store;
  Bytes image;
  QString reason;
  store.ReadAll(source, image, reason);
  TableSet tables = LoadTables(image);
  MemoryGrid grid;
  FillActiveTable(kCreatures, tables, grid);
  const double seconds = TimeEach(state, [&] {
    store.ReadAll(source, image, reason);
    CommitActiveTable(kCreatures, tables, grid);
    image = SaveTables(tables, std::move(image));
    store.WriteAll(destination, image, reason);
  });
  ReportAgainstFloor(state, seconds, copy_floor);
}
BENCHMARK(BM_SaveAs_MemoryGrid)->UseManualTime();

// Save As in the main window, through its command.
void BM_SaveAs_Window(benchmark::State& state) {
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  dialogs.save_paths[0] = PathOf(Sample().Sibling("saved-a.exe"));
  dialogs.save_paths[1] = PathOf(Sample().Sibling("saved-b.exe"));
  TMainForm form(&dialogs);
  form.show();
  form.OpenClick();
  CatchUp();
  const double seconds = TimeEach(
      state, [&] { form.mm_SaveAsClick(); }, CatchUp);
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
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  TMainForm form(&dialogs);
  form.show();
  form.OpenClick();
  CatchUp();
  std::vector<double> switches;
  for (auto _ : state) {
    form.tc_Tabs->setCurrentIndex(from);
    CatchUp();
    const auto start = std::chrono::steady_clock::now();
    form.tc_Tabs->setCurrentIndex(into);
    if (painted)
      CatchUp();
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(took);
    switches.push_back(took * 1e3);
    CatchUp();
  }
  std::nth_element(switches.begin(), switches.begin() + switches.size() / 2, switches.end());
  state.counters["median_ms"] = switches[switches.size() / 2];
}
BENCHMARK(BM_TabSwitch)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"table", "painted"})
    ->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
