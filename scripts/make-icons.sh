#!/usr/bin/env bash
# Draws the window icon's PNG files from ui/resources/trevalune.svg. Run it
# after changing the SVG and commit the files: the editor reads PNG, which Qt
# needs no image plugin for, and the build needs no SVG renderer.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" librsvg2-bin
for side in 16 32 48 64; do
  rsvg-convert -w "$side" -h "$side" "$root/ui/resources/trevalune.svg" \
    -o "$root/ui/resources/icons/trevalune-$side.png"
done
