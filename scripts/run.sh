#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it in a folder that
# holds a generated sample "HMM2PL.exe", so the Open dialog offers it at once.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build"

mkdir -p "$root/sample"
[ -f "$root/sample/HMM2PL.exe" ] || "$build/samplegen/trevalune-sample" "$root/sample/HMM2PL.exe"
cd "$root/sample"
exec "$build/ui/trevalune"
