#!/usr/bin/env bash
# Checks that no program folder includes a header of a folder above it. Each
# folder may include its own headers and those of the folders it lists below;
# a header is found by its name in the folder that holds it. The same rule is
# kept by the CMake targets, each linking only the layers below it; this check
# names the offending line instead of a missing header.
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
# Headers made by the build, not kept in a folder.
generated="version.h third_party.h"
# Files outside the program proper that may reach further: the tool that draws
# the window for the documentation, from a generated sample with the tests'
# answered dialogs (it is not installed).
declare -A extra=(
  [ui/ui_screenshot.cpp]="samplegen tests/support"
)

# Which folder holds each header; a name in two folders would be ambiguous.
declare -A home=()
failures=0
for folder in "${!allowed[@]}" tests/support; do
  while IFS= read -r header; do
    name=${header##*/}
    if [[ -n ${home[$name]:-} ]]; then
      echo "check-layers: $name is in both ${home[$name]}/ and $folder/" >&2
      failures=$((failures + 1))
    fi
    home[$name]=$folder
  done < <(find "$folder" -name '*.h')
done

for folder in "${!allowed[@]}"; do
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    name=$(sed -E 's/^[^"]*"([^"]+)".*$/\1/' <<<"${rest#*:}")
    owner=${home[${name##*/}]:-}
    if [[ -z $owner ]]; then
      [[ " $generated " == *" $name "* ]] && continue
      echo "$file:$line: includes \"$name\", which no program folder holds" >&2
      failures=$((failures + 1))
    elif [[ $owner != "$folder" && " ${allowed[$folder]} ${extra[$file]:-} " != *" $owner "* ]]; then
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
