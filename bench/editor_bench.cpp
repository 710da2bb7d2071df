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
  QString AskOpenFileName(QWidget*, const QString&) override { return open_path; }
  QString AskSaveFileName(QWidget*, const QString&) override { return save_paths[next_++ % 2]; }
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

double SecondsPerIteration(const benchmark::State& state,
                           std::chrono::steady_clock::duration total) {
  return std::chrono::duration<double>(total).count() / static_cast<double>(state.iterations());
}

void ReportAgainstFloor(benchmark::State& state, std::chrono::steady_clock::duration total,
                        double floor) {
  if (floor > 0)
    state.counters["x_floor"] = SecondsPerIteration(state, total) / floor;
}

// Floor of Open: the file read once into memory.
void BM_ReadFile(benchmark::State& state) {
  const std::string path = Sample().path().string();
  Bytes bytes(ExpectedFileSize);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    benchmark::DoNotOptimize(got);
  }
  read_floor = SecondsPerIteration(state, std::chrono::steady_clock::now() - start);
}
BENCHMARK(BM_ReadFile);

// Open without a window: read through the file layer, load the three tables,
// fill the creature grid.
void BM_Open_MemoryGrid(benchmark::State& state) {
  const QString path = PathOf(Sample().path());
  QtFileStore store;
  MemoryGrid grid;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    Bytes image;
    QString reason;
    store.ReadAll(path, image, reason);
    const TableSet tables = LoadTables(image);
    FillActiveTable(kCreatures, tables, grid);
  }
  ReportAgainstFloor(state, std::chrono::steady_clock::now() - start, read_floor);
}
BENCHMARK(BM_Open_MemoryGrid);

// Open in the shown main window, through its command, until the window has
// processed everything the Open posted (the repaint included).
void BM_Open_Window(benchmark::State& state) {
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  TMainForm form(&dialogs);
  form.show();
  QApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    form.OpenClick();
    QApplication::processEvents();
  }
  ReportAgainstFloor(state, std::chrono::steady_clock::now() - start, read_floor);
}
BENCHMARK(BM_Open_Window);

// Floor of Save As: the file copied once and flushed to the disk.
void BM_CopyAndFlush(benchmark::State& state) {
  const QString source = PathOf(Sample().path());
  const QString copy = PathOf(Sample().Sibling("copy.exe"));
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    QFile::remove(copy);
    QFile::copy(source, copy);
    QFile written(copy);
    written.open(QIODevice::ReadWrite);
#ifdef _WIN32
    _commit(written.handle());
#else
    ::fsync(written.handle());
#endif
  }
  copy_floor = SecondsPerIteration(state, std::chrono::steady_clock::now() - start);
}
BENCHMARK(BM_CopyAndFlush);

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
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    store.ReadAll(source, image, reason);
    CommitActiveTable(kCreatures, tables, grid);
    image = SaveTables(tables, std::move(image));
    store.WriteAll(destination, image, reason);
  }
  ReportAgainstFloor(state, std::chrono::steady_clock::now() - start, copy_floor);
}
BENCHMARK(BM_SaveAs_MemoryGrid);

// Save As in the main window, through its command.
void BM_SaveAs_Window(benchmark::State& state) {
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  dialogs.save_paths[0] = PathOf(Sample().Sibling("saved-a.exe"));
  dialogs.save_paths[1] = PathOf(Sample().Sibling("saved-b.exe"));
  TMainForm form(&dialogs);
  form.show();
  form.OpenClick();
  QApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    form.mm_SaveAsClick();
    QApplication::processEvents();
  }
  ReportAgainstFloor(state, std::chrono::steady_clock::now() - start, copy_floor);
}
BENCHMARK(BM_SaveAs_Window);

// One tab switch into table `state.range(0)` in the shown window, from the
// table before it: commit the table left, reshape, header row, fill, and the
// repaint that follows. The median of the single switches is reported.
void BM_TabSwitch(benchmark::State& state) {
  const int into = static_cast<int>(state.range(0));
  const int from = (into + kTableCount - 1) % kTableCount;
  ScriptedDialogs dialogs;
  dialogs.open_path = PathOf(Sample().path());
  TMainForm form(&dialogs);
  form.show();
  form.OpenClick();
  QApplication::processEvents();
  std::vector<double> switches;
  for (auto _ : state) {
    state.PauseTiming();
    form.tc_Tabs->setCurrentIndex(from);
    QApplication::processEvents();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    form.tc_Tabs->setCurrentIndex(into);
    QApplication::processEvents();
    switches.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::nth_element(switches.begin(), switches.begin() + switches.size() / 2, switches.end());
  state.counters["median_ms"] = switches[switches.size() / 2];
}
BENCHMARK(BM_TabSwitch)->DenseRange(0, 2)->ArgName("table");

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
