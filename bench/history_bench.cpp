// What the undo history holds, in bytes, after a session of edits: 1,000
// single-cell steps, or 100 pastes of a whole creature table, made through the
// document as the window makes them. Each iteration opens the sample afresh
// and makes the whole session, which is what is timed; the counters give the
// history's bytes ("history_bytes"), the field changes its steps record
// ("fields_touched"), and the bytes per such change ("bytes_per_field"), which
// must stay a small constant however the session goes.
#include <benchmark/benchmark.h>

#include <string>

#include "document/document_history.h"
#include "document/table_document.h"
#include "samplegen/sample_image.h"

namespace {

const Bytes& Sample() {
  static const Bytes image = MakeSample(1).image;
  return image;
}

void ReportHistory(benchmark::State& state, const DocumentHistory& history, double touched) {
  state.counters["history_bytes"] = static_cast<double>(history.MemoryBytes());
  state.counters["fields_touched"] = touched;
  state.counters["bytes_per_field"] = static_cast<double>(history.MemoryBytes()) / touched;
  state.counters["steps"] = static_cast<double>(history.Count());
}

// One value typed into a cell, then the next cell: every visit is a step.
// With `state.range(0)` set the texts are long enough to live on the heap.
void BM_HistoryOfSingleCellSteps(benchmark::State& state) {
  constexpr int kSteps = 1000;
  const bool long_texts = state.range(0) != 0;
  TableDocument document;
  for (auto _ : state) {
    document.OpenImage(QStringLiteral("sample.exe"), Sample());
    for (int step = 0; step < kSteps; ++step) {
      const TableIndex table = static_cast<TableIndex>(step % kTableCount);
      const FieldRef field{table, step % EntryCount(table), 1 + step % (ColCounts[table] - 1)};
      document.History().EndVisit();
      const std::string text = std::to_string(step % 97);
      document.Type(field, long_texts ? "                    " + text : text);
    }
  }
  ReportHistory(state, document.History(), kSteps);
}
BENCHMARK(BM_HistoryOfSingleCellSteps)->Arg(0)->Arg(1)->ArgName("long_texts");

// A whole creature table pasted from the first cell, as one step, 100 times:
// two blocks take turns, so every paste changes every cell.
void BM_HistoryOfWholeTablePastes(benchmark::State& state) {
  constexpr int kPastes = 100;
  TableDocument document;
  int touched = 0;
  for (auto _ : state) {
    document.OpenImage(QStringLiteral("sample.exe"), Sample());
    touched = 0;
    for (int paste = 0; paste < kPastes; ++paste) {
      document.Change(QStringLiteral("вставку"), [&](DocumentEdit& edit) {
        for (int entry = 0; entry < EntryCount(kCreatures); ++entry)
          for (int column = 1; column < ColCounts[kCreatures]; ++column) {
            edit.Type({kCreatures, entry, column},
                      std::to_string((entry * 7 + column * 3 + paste % 2) % 100));
            ++touched;
          }
      });
    }
  }
  ReportHistory(state, document.History(), touched);
}
BENCHMARK(BM_HistoryOfWholeTablePastes);

}  // namespace

BENCHMARK_MAIN();
