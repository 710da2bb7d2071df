#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# format check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)

run_suite() {
  local build=$1
  shift
  cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
  cmake --build "$build" -j "$jobs"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$jobs"
}

echo "== Build and test =="
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=Debug

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTREVALUNE_SANITIZE=ON

echo "== Format check =="
cd "$root"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "format: all files clean"
