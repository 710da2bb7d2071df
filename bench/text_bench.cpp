// What the tables as text cost, each next to one read of the file: export of
// all three tables, import of the largest, diff of two files and applying the
// list. The floor runs first; the others report "x_floor", its multiple.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <chrono>

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "formats/change_list.h"
#include "formats/table_csv.h"

namespace {

BenchSampleFile& SampleFile() {
  static BenchSampleFile file;
  return file;
}

QString SamplePath() {
  return QString::fromStdString(SampleFile().path().string());
}

double read_floor = 0;

// Times `work` in each iteration and reports it against one read of the file.
template <typename Work>
double TimeAgainstRead(benchmark::State& state, Work work) {
  const double mean = TimeEach(state, work);
  ReportAgainstFloor(state, mean, read_floor);
  return mean;
}

// The floor: the file read once into a fresh buffer.
void BM_ReadFile(benchmark::State& state) {
  read_floor = TimeAgainstRead(state, [] {
    QFile file(SamplePath());
    file.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(file.readAll());
  });
  state.counters.erase("x_floor");
}
BENCHMARK(BM_ReadFile)->UseManualTime();

TableDocument& Document() {
  static TableDocument document;
  if (!document.IsLoaded())
    document.OpenImage(SamplePath(), MakeSample(1).image);
  return document;
}

void BM_ExportAllTables(benchmark::State& state) {
  const TableDocument& document = Document();
  TimeAgainstRead(state, [&] {
    for (TableIndex table = 0; table < kTableCount; ++table)
      benchmark::DoNotOptimize(ExportTableCsv(document, table, CsvSeparator::Comma));
  });
}
BENCHMARK(BM_ExportAllTables)->UseManualTime();

void BM_ImportBuildings(benchmark::State& state) {
  TableDocument& document = Document();
  const QByteArray csv = ExportTableCsv(document, kBuildings, CsvSeparator::Comma);
  TimeAgainstRead(state,
                  [&] { benchmark::DoNotOptimize(ImportTableCsv(document, kBuildings, csv)); });
}
BENCHMARK(BM_ImportBuildings)->UseManualTime();

void BM_Diff(benchmark::State& state) {
  const Bytes a = MakeSample(1).image;
  const Bytes b = MakeSample(2).image;
  TimeAgainstRead(state, [&] {
    const TableSet from = LoadTablesFrom(a);
    benchmark::DoNotOptimize(WriteChangeList(DiffTables(from, LoadTablesFrom(b)), from));
  });
}
BENCHMARK(BM_Diff)->UseManualTime();

void BM_Apply(benchmark::State& state) {
  const Bytes a = MakeSample(1).image;
  const TableSet from = LoadTablesFrom(a);
  const QByteArray list =
      WriteChangeList(DiffTables(from, LoadTablesFrom(MakeSample(2).image)), from);
  TimeAgainstRead(state, [&] {
    TableDocument document;
    document.OpenImage(SamplePath(), a);
    benchmark::DoNotOptimize(ApplyChangeList(document, list));
  });
}
BENCHMARK(BM_Apply)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunBenchmarks(argc, argv);
}
