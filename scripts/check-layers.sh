#!/usr/bin/env bash
# Checks that no program folder includes a header of a folder above it. Every
# header of ours is included by its path from the top of the tree
# ("document/range_edit.h"), so the layer is read from the include line
# itself: the folder must hold that header, and be the including folder or
# one it lists below. The same rule is kept by the CMake targets, each linking
# only the layers below it; this check names the offending line instead of a
# missing symbol.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# folder: the folders it may include from, lowest layer first.
declare -A allowed=(
  [tables]=""
  [samplegen]="tables storage document"
  [storage]="tables"
  [document]="tables storage"
  [formats]="tables storage document"
  [journal]="tables storage document formats"
  [cli]="tables storage document formats journal"
  [grid]="tables storage document"
  [balance]="tables storage document formats grid"
  [ui]="tables storage document formats journal grid balance"
)
# Headers made by the build, included as "generated/<name>".
generated="generated/version.h generated/third_party.h"
# Files outside the program proper that may reach further: the tool that draws
# the window for the documentation, from a generated sample with the tests'
# answered dialogs (it is not installed).
declare -A extra=(
  [ui/ui_screenshot.cpp]="samplegen tests/support"
)

failures=0
for folder in "${!allowed[@]}"; do
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    name=$(sed -E 's/^[^"]*"([^"]+)".*$/\1/' <<<"${rest#*:}")
    [[ " $generated " == *" $name "* ]] && continue
    if [[ $name != */* || ! -f $name ]]; then
      echo "$file:$line: includes \"$name\", which is no header's path from the top of the tree" >&2
      failures=$((failures + 1))
      continue
    fi
    owner=${name%/*}
    if [[ $owner != "$folder" && " ${allowed[$folder]} ${extra[$file]:-} " != *" $owner "* ]]; then
      echo "$file:$line: $folder/ includes \"$name\" from $owner/, a layer it may not use" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -EnH '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -r "$folder" \
             --include='*.cpp' --include='*.h')
done

if ((failures > 0)); then
  echo "check-layers: $failures include(s) against the layers" >&2
  exit 1
fi
echo "layers: every include is of the folder itself or a layer below it"
