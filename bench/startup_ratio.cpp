// Start-up of the editor against the bare Qt window, from interleaved runs:
// each round starts both programs, in turns first and second, so that whatever
// else a shared machine does at the time weighs on both alike. Prints the
// median wall time of each and their ratio.
//
// Usage: startup_ratio BARE EDITOR [ROUNDS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs `program` with no arguments and its output dropped; the wall time in
// milliseconds from the start to its exit.
double RunMs(const char* program) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, program, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", program);
    std::exit(2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", program);
    std::exit(2);
  }
  return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BARE EDITOR [ROUNDS]\n", argv[0]);
    return 1;
  }
  const char* bare = argv[1];
  const char* editor = argv[2];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 101;
  for (int warm = 0; warm < 5; ++warm) {
    RunMs(bare);
    RunMs(editor);
  }
  std::vector<double> bare_ms;
  std::vector<double> editor_ms;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      bare_ms.push_back(RunMs(bare));
      editor_ms.push_back(RunMs(editor));
    } else {
      editor_ms.push_back(RunMs(editor));
      bare_ms.push_back(RunMs(bare));
    }
  }
  const double b = Median(bare_ms);
  const double e = Median(editor_ms);
  std::printf(
      "median start-up of %d interleaved runs: bare window %.1f ms, editor %.1f ms, ratio %.3f\n",
      rounds, b, e, e / b);
  return 0;
}
