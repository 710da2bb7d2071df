// What the field notes cost after a keystroke: the text typed into a cell,
// then every check and every sane range of all three tables worked out again,
// as the Checks panel does after each step. The notes are the shipped ones
// with a sane range on every field and a second check per table, more than
// any notes file is likely to hold. The budget is 1 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>

#include "bench/bench_timing.h"
#include "document/field_notes.h"
#include "document/notes_checks.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"

namespace {

FieldNotes HeavyNotes() {
  FieldNotes notes = ShippedFieldNotes();
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int column = 1; column < ColCounts[table]; ++column) {
      const FieldLayout layout = FieldOf(table, column);
      notes.tables[table].fields[column].min = FieldLowest(layout) / 2;
      notes.tables[table].fields[column].max = FieldHighest(layout) / 2;
    }
    notes.tables[table].checks.push_back(
        {{QStringLiteral("a"), {}},
         FormulaName(HeaderCaptions[table][1]) + QStringLiteral(" >= 0"),
         CheckLevel::Warning});
    notes.tables[table].checks.push_back(
        {{QStringLiteral("b"), {}},
         QStringLiteral("min(%1, 3) * 2 + abs(%1) != 7").arg(FormulaName(HeaderCaptions[table][1])),
         CheckLevel::Error});
  }
  return notes;
}

void BM_ChecksAfterAKeystroke(benchmark::State& state) {
  TableDocument document;
  document.OpenImage(QStringLiteral("sample.exe"), MakeSample(1).image);
  const NotesChecker checker(HeavyNotes());
  std::size_t findings = 0;
  int keystroke = 0;
  const double seconds = TimeEach(state, [&] {
    const FieldRef field{kCreatures, keystroke % EntryCount(kCreatures), 3};
    document.Type(field, std::to_string(keystroke++ % 100));
    findings = checker.Findings(document).size();
  });
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["ms"] = seconds * 1000;
}
BENCHMARK(BM_ChecksAfterAKeystroke)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunBenchmarks(argc, argv);
}
