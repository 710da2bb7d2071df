#!/usr/bin/env bash
# Installs what is missing, checks that no folder includes a header of a
# layer above it, builds and runs every test: the normal build, the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, a bounded run of each
# fuzz target, the Windows build with its suite under Wine and the check of its
# portable zip, the Debian package and its checks, and the format check.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)

# Every build here treats a warning as an error.
run_suite() {
  local build=$1
  shift
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" >/dev/null
  cmake --build "$build" -j "$jobs"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$jobs"
}

echo "== Layers and the links of the documentation =="
"$root/scripts/check-layers.sh"
"$root/scripts/check-docs.sh"

echo "== Build and test =="
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=Debug

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTREVALUNE_SANITIZE=ON

echo "== Fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) =="
# Each target runs for TREVALUNE_FUZZ_SECONDS (default 20) from its committed
# seed corpus; new inputs go to build-fuzz/corpus, crashes to build-fuzz/artifacts.
fuzz_build="$root/build-fuzz"
fuzz_seconds=${TREVALUNE_FUZZ_SECONDS:-20}
cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTREVALUNE_BUILD_FUZZ=ON \
  -DBUILD_TESTING=OFF -DTREVALUNE_BUILD_UI=OFF >/dev/null
cmake --build "$fuzz_build" -j "$jobs"
mkdir -p "$fuzz_build/artifacts" "$fuzz_build/full-images"

# Full-size sample images are generated here rather than kept in the repository;
# each is checked once before fuzzing.
for seed in 1 2; do
  "$fuzz_build/samplegen/trevalune-sample" --seed "$seed" "$fuzz_build/full-images/sample-$seed.exe"
done
if ! "$fuzz_build/fuzz/open_save_fuzz" -runs=1 "$fuzz_build/full-images/"*.exe \
  >"$fuzz_build/full-images.log" 2>&1; then
  cat "$fuzz_build/full-images.log"
  echo "FUZZ FAILURE: open_save_fuzz on a full sample image" >&2
  exit 1
fi
echo "open_save_fuzz: full sample images pass"

for target in number_parse_fuzz open_save_fuzz csv_read_fuzz csv_import_fuzz patch_fuzz session_fuzz; do
  corpus="$fuzz_build/corpus/$target"
  log="$fuzz_build/$target.log"
  mkdir -p "$corpus"
  if ! "$fuzz_build/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$fuzz_build/artifacts/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "FUZZ FAILURE: $target (input saved in $fuzz_build/artifacts)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: $runs executions in $fuzz_seconds s, no failure"
done

echo "== Windows: cross-build with MinGW-w64, the suite under Wine, the portable zip =="
# Qt for Windows is built once from Debian's source and cached outside the
# clone (~/.cache/trevalune); the zip is checked against the Linux build above.
"$root/scripts/build-windows.sh" --test

echo "== Debian package: build, contents, --version, desktop entry, AppStream, manuals, lintian =="
TREVALUNE_SKIP_DEPS=1 "$root/scripts/package-check.sh"

echo "== Translations: every text through tr(), every one in English =="
"$root/scripts/check-translations.sh"

echo "== Format check =="
cd "$root"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "format: all files clean"
