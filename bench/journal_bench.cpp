// What the recovery journal costs after a step: the part on the window's
// thread (the unsaved fields gathered and written out as text), and the whole
// write up to the journal on the disk through the durable write (file synced,
// renamed, folder synced). Each is timed for a few edits and for a whole table
// edited; the steps alternate between two states, so every write has
// something new to put down. "median_s" is the median of the single timings.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <vector>

#include "bench/bench_files.h"
#include "bench/bench_timing.h"
#include "document/table_document.h"
#include "journal/recovery_journal.h"

namespace {

// A document with the sample open and its journal in a folder beside it; two
// steps made, the last undone and redone in turns.
struct JournalledDocument {
  explicit JournalledDocument(int fields) {
    const QString path = QString::fromStdString(SampleFile().path().string());
    const QString folder = QString::fromStdString(SampleFile().Sibling("journals").string());
    journal = new RecoveryJournal(&document, folder);
    QString error;
    document.Open(path, nullptr, error);
    Step(fields, 1);
    Step(fields, 2);
  }
  void Step(int fields, int value) {
    // The first `fields` fields, table by table.
    document.Change(QStringLiteral("вставку"), [&](DocumentEdit& edit) {
      int left = fields;
      for (TableIndex table = 0; table < kTableCount; ++table)
        for (int entry = 0; entry < EntryCount(table); ++entry)
          for (int column = 1; column < ColCounts[table] && left > 0; ++column, --left)
            edit.SetValue({table, entry, column}, value + left);
    });
  }
  void Toggle() {
    if (document.History().CanRedo())
      document.History().Redo();
    else
      document.History().Undo();
  }

  TableDocument document;
  RecoveryJournal* journal;
};

// Times the journal's write after each step of `state.range(0)` fields: the
// part on the window's thread alone, or, `to_the_disk`, the whole write until
// the journal is on the disk. What is not timed is finished between steps.
void TimeJournalWrites(benchmark::State& state, bool to_the_disk) {
  JournalledDocument edited(static_cast<int>(state.range(0)));
  std::vector<double> samples;
  TimeEach(
      state,
      [&] {
        const auto start = std::chrono::steady_clock::now();
        edited.journal->WriteNow();
        if (to_the_disk)
          edited.journal->Flush();
        samples.push_back(SecondsSince(start));
      },
      [&] {
        if (!to_the_disk)
          edited.journal->Flush();
        edited.Toggle();
      });
  ReportMedian(state, samples, "median_s");
}

void BM_JournalOnTheWindowThread(benchmark::State& state) {
  TimeJournalWrites(state, false);
}
BENCHMARK(BM_JournalOnTheWindowThread)->Arg(3)->Arg(500)->UseManualTime();

void BM_JournalOnTheDisk(benchmark::State& state) {
  TimeJournalWrites(state, true);
}
BENCHMARK(BM_JournalOnTheDisk)->Arg(3)->Arg(500)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunBenchmarks(argc, argv);
}
