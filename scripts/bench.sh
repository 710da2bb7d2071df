#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release and runs them:
# Open, Save As, the tab switch and undo against their floors (Google Benchmark),
# the tables as text, patches and the undo history's memory, then
# start-up time and peak memory of the editor against a bare Qt window.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" time

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_TESTING=OFF -DTREVALUNE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Each timing benchmark five times, with its medians and spreads.
timed() {
  echo "== $2 =="
  "$build/bench/$1" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=true "${@:3}"
}
timed editor_bench "Open, Save As and tab switch" "$@"
timed text_bench "The tables as text" "$@"
timed mod_bench "Working on a mod: the panel, a comparison file, F7, a range edit" "$@"
if [ -x "$build/bench/balance_bench" ]; then
  timed balance_bench "Balancing: the panel, a sort and a filter, a formula, the command line" "$@"
fi
timed journal_bench "The recovery journal after a step" "$@"
timed patch_bench "Patches" "$@"
timed notes_bench "Field notes: every check and sane range after a keystroke" "$@"

echo "== The undo history's memory =="
"$build/bench/history_bench" --benchmark_counters_tabular=true "$@"

echo "== Start-up: editor against a bare Qt window =="
# The machine may be shared: interleaved runs, and the medians compared.
"$build/bench/startup_ratio" "$build/bench/bare_window" "$build/bench/trevalune_startup" 101

echo "== Peak memory (maximum resident set, KiB, median of 10 runs) =="
peak() {
  for _ in $(seq 10); do /usr/bin/time -f %M "$1" 2>&1 >/dev/null | tail -n 1; done | sort -n | sed -n 5p
}
bare=$(peak "$build/bench/bare_window")
editor=$(peak "$build/bench/trevalune_startup")
echo "bare window: $bare KiB, editor: $editor KiB, ratio: $(awk -v e="$editor" -v b="$bare" 'BEGIN { printf "%.3f", e / b }')"
