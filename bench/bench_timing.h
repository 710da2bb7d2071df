#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds since `start`, on the clock every benchmark here uses.
inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times `work` alone in each iteration, with `between` run untimed after it (to
// let a window catch up on its events), and returns the mean time of `work` in
// seconds. The benchmarks use manual time, so the report shows the same.
template <typename Work, typename Between>
double TimeEach(benchmark::State& state, Work work, Between between) {
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const double took = SecondsSince(start);
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

// Reports `seconds` as the iteration's time, and keeps it among the single
// timings `samples` in units of which a second holds `per_second` (1e3 for
// milliseconds), for ReportMedian.
inline void KeepTime(benchmark::State& state, std::vector<double>& samples, double seconds,
                     double per_second) {
  state.SetIterationTime(seconds);
  samples.push_back(seconds * per_second);
}

// Reports a time as a multiple of its floor, measured earlier in the same run.
inline void ReportAgainstFloor(benchmark::State& state, double seconds, double floor) {
  if (floor > 0)
    state.counters["x_floor"] = seconds / floor;
}

// Runs the benchmarks the command line picks, under the application the
// caller has made; an option it does not know fails the run.
inline int RunBenchmarks(int& argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Reports the median of single timings under the counter `name`.
inline void ReportMedian(benchmark::State& state, std::vector<double> samples, const char* name) {
  if (samples.empty())
    return;
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  state.counters[name] = samples[samples.size() / 2];
}
