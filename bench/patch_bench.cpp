// What patches cost, each next to one read of the file: a BPS and an IPS patch
// made between two samples of different seeds, and each applied to the first;
// and, as the window does it, one exported from a document whose every field
// is edited, and one judged for a document (the fields it sets found).
// The floor runs first; the others report "x_floor", its multiple.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "formats/change_list.h"
#include "formats/patch_file.h"
#include "formats/patch_formats.h"

namespace {

double read_floor = 0;

template <typename Work>
void TimeAgainstRead(benchmark::State& state, Work work) {
  ReportAgainstFloor(state, TimeEach(state, work), read_floor);
}

// The floor: the file read once into a fresh buffer.
void BM_ReadFile(benchmark::State& state) {
  const QString path = QString::fromStdString(SampleFile().path().string());
  read_floor = TimeEach(state, [&] {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(file.readAll());
  });
}
BENCHMARK(BM_ReadFile)->UseManualTime();

const Bytes& Original() {
  static const Bytes image = MakeSample(1).image;
  return image;
}

const Bytes& Modded() {
  static const Bytes image = MakeSample(2).image;
  return image;
}

void BM_Make(benchmark::State& state, PatchFormat format) {
  const Bytes& original = Original();
  const Bytes& modded = Modded();
  TimeAgainstRead(state,
                  [&] { benchmark::DoNotOptimize(MakePatch(format, original, modded).bytes); });
  state.counters["patch_bytes"] =
      static_cast<double>(MakePatch(format, original, modded).bytes.size());
}
BENCHMARK_CAPTURE(BM_Make, Bps, PatchFormat::kBps)->UseManualTime();
BENCHMARK_CAPTURE(BM_Make, Ips, PatchFormat::kIps)->UseManualTime();

void BM_Apply(benchmark::State& state, PatchFormat format) {
  const Bytes& original = Original();
  const Bytes patch = MakePatch(format, original, Modded()).bytes;
  TimeAgainstRead(state, [&] { benchmark::DoNotOptimize(ApplyPatch(patch, original).bytes); });
  if (ApplyPatch(patch, original).bytes != Modded())
    state.SkipWithError("the patch does not give the second sample");
}
BENCHMARK_CAPTURE(BM_Apply, Bps, PatchFormat::kBps)->UseManualTime();
BENCHMARK_CAPTURE(BM_Apply, Ips, PatchFormat::kIps)->UseManualTime();

// The first sample with the fields of the second: what the window exports.
const Bytes& Edited() {
  static const Bytes image = [] {
    TableSet tables = LoadTablesFrom(Original());
    for (const FieldChange& change : DiffTables(tables, LoadTablesFrom(Modded())))
      StoreFieldValue(tables, change.field.table, change.field.entry, change.field.column,
                      change.now);
    return WriteTablesInto(tables, Original());
  }();
  return image;
}

void BM_ExportFromDocument(benchmark::State& state, PatchFormat format) {
  TableDocument document;
  document.OpenImage(QStringLiteral("a.exe"), Original());
  document.Change(QStringLiteral("правка"), [&](DocumentEdit& edit) {
    for (const FieldChange& change : DiffTables(document.File().tables, LoadTablesFrom(Modded())))
      edit.SetValue(change.field, change.now);
  });
  TimeAgainstRead(state, [&] {
    benchmark::DoNotOptimize(MakeDocumentPatch(document, document.File().image, format).bytes);
  });
  if (ApplyPatch(MakeDocumentPatch(document, document.File().image, format).bytes, Original())
          .bytes != Edited())
    state.SkipWithError("the patch does not give the edited document");
}
BENCHMARK_CAPTURE(BM_ExportFromDocument, Bps, PatchFormat::kBps)->UseManualTime();
BENCHMARK_CAPTURE(BM_ExportFromDocument, Ips, PatchFormat::kIps)->UseManualTime();

void BM_JudgeForDocument(benchmark::State& state, PatchFormat format) {
  TableDocument document;
  document.OpenImage(QStringLiteral("a.exe"), Original());
  const Bytes patch = MakePatch(format, Original(), Edited()).bytes;
  TimeAgainstRead(state,
                  [&] { benchmark::DoNotOptimize(JudgeDocumentPatch(document, patch).changes); });
  state.counters["fields"] =
      static_cast<double>(JudgeDocumentPatch(document, patch).changes.size());
}
BENCHMARK_CAPTURE(BM_JudgeForDocument, Bps, PatchFormat::kBps)->UseManualTime();
BENCHMARK_CAPTURE(BM_JudgeForDocument, Ips, PatchFormat::kIps)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunBenchmarks(argc, argv);
}
