#!/usr/bin/env bash
# Checks the portable Windows zip as a user gets it: unpacked into an empty
# folder and run under Wine in a fresh prefix, with no WINEPATH, so that every
# library it needs must be in the zip.
#   check-windows-zip.sh ZIP [LINUX_BUILD]
# The command-line tool must give, byte for byte, what the Linux build of the
# same sources gives (LINUX_BUILD, build-test by default); the editor must open
# a sample named on its command line and show it, under Wine's real Windows
# platform on a virtual display (a screenshot is left beside the zip).
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$(realpath "$1")
linux=$(realpath "${2:-$root/build-test}")
lin_cli="$linux/cli/trevalune-cli"
lin_sample="$linux/samplegen/trevalune-sample"
[ -x "$lin_cli" ] && [ -x "$lin_sample" ] || { echo "no Linux build in $linux" >&2; exit 1; }

. "$root/scripts/wine-env.sh"
unset WINEPATH
work=$(mktemp -d)
wine_prefix_new
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$work"' EXIT
mkdir "$work/unpacked" "$work/w" "$work/l"
(cd "$work/unpacked" && unzip -q "$zip")
app=$(ls -d "$work/unpacked"/*/)
failures=0
same() {  # same NAME: the Windows and the Linux result are the same bytes
  if cmp -s "$work/w/$1" "$work/l/$1"; then
    echo "  same: $1"
  else
    echo "  DIFFERENT: $1" >&2
    cmp -l "$work/w/$1" "$work/l/$1" 2>&1 | head -n 5 >&2 || true
    failures=$((failures + 1))
  fi
}
# Runs the same command line with both builds, each in its own folder.
both() {
  (cd "$work/w" && wine "$app/$1.exe" "${@:2}") >"$work/w/out.txt" 2>"$work/w/err.txt" || {
    echo "  FAILED on Windows: $*" >&2; cat "$work/w/err.txt" >&2; failures=$((failures + 1)); }
  local program=$lin_cli
  [ "$1" = trevalune-sample ] && program=$lin_sample
  (cd "$work/l" && "$program" "${@:2}") >"$work/l/out.txt" 2>"$work/l/err.txt"
}

echo "What the zip carries:"
fail() { echo "  $*" >&2; failures=$((failures + 1)); }
crlf_only() { [ "$(grep -c $'\r$' "$1")" -eq "$(wc -l <"$1")" ]; }
notices="$app/THIRD-PARTY.txt"
if [ ! -f "$notices" ]; then
  fail "no THIRD-PARTY.txt"
else
  crlf_only "$notices" || fail "THIRD-PARTY.txt is not all CRLF"
  # Every library in the zip is named in the notices.
  while read -r dll; do
    grep -q "$(basename "$dll")" "$notices" || fail "THIRD-PARTY.txt does not name $(basename "$dll")"
  done < <(find "$app" -name '*.dll')
  echo "  THIRD-PARTY.txt names the $(find "$app" -name '*.dll' | wc -l) libraries"
fi
for text in LICENSE.txt README.txt; do
  crlf_only "$app/$text" || fail "$text is not all CRLF"
done
while read -r binary; do
  if x86_64-w64-mingw32-objdump -h "$binary" | grep -q ' \.debug'; then
    fail "$(basename "$binary") keeps debug sections"
  fi
done < <(find "$app" -name '*.exe' -o -name '*.dll')
echo "  no program or library keeps a debug section ($(du -sk "$app" | cut -f1) KB unpacked)"
for program in trevalune trevalune-cli trevalune-sample; do
  grep -q 'longPathAware' "$app/$program.exe" || fail "$program.exe declares no long-path support"
done

echo "trevalune-cli.exe and trevalune-sample.exe against the Linux build:"
both trevalune-sample --seed 11 a.exe && same a.exe
both trevalune-sample --seed 12 b.exe && same b.exe
# A name the ANSI code page cannot hold, written as named.
both trevalune-sample --seed 2 "второй образец.exe" && same "второй образец.exe"
both trevalune-cli export a.exe --table creatures -o creatures.csv && same creatures.csv
both trevalune-cli export a.exe --table buildings --separator ';' && same out.txt
both trevalune-cli diff a.exe b.exe && same out.txt
both trevalune-cli diff a.exe b.exe -o changes.csv && same changes.csv
both trevalune-cli apply a.exe changes.csv -o applied.exe && same applied.exe
# A value changed in the exported table goes back in.
for side in w l; do sed -i '3s/^\(2,[^,]*\),[^,]*,/\1,99,/' "$work/$side/creatures.csv"; done
both trevalune-cli import a.exe creatures.csv --table creatures -o imported.exe && same imported.exe
both trevalune-cli patch a.exe applied.exe -o mod.bps && same mod.bps
both trevalune-cli patch a.exe imported.exe --format ips -o mod.ips && same mod.ips
both trevalune-cli apply-patch a.exe mod.bps -o patched.exe && same patched.exe
both trevalune-cli formula a.exe --table creatures --column Здоровье \
  --expr 'Скорость > 5 ? round(value * 1.1) : value' -o formula.exe && same formula.exe
both trevalune-cli formula a.exe --table buildings --column Gold --where 'Wood > 10' \
  --expr 'max(value - 100, 0)' --lang en --changes formula.csv && same formula.csv
cmp -s "$work/w/patched.exe" "$work/w/applied.exe" || { echo "  the patched copy is not the modded one" >&2; failures=$((failures + 1)); }
# A refusal: exit 2 and a Russian reason, on Windows as on Linux.
(cd "$work/w" && wine "$app/trevalune-cli.exe" apply-patch b.exe mod.bps -o x.exe) 2>"$work/w/refusal.txt" && code=0 || code=$?
if [ "$code" -eq 2 ] && grep -q 'патч сделан для другого файла' "$work/w/refusal.txt"; then
  echo "  refused as on Linux: $(cat "$work/w/refusal.txt")"
else
  echo "  a patch for another file: exit $code, $(cat "$work/w/refusal.txt")" >&2
  failures=$((failures + 1))
fi

echo "trevalune.exe opens a sample named on its command line, with the Windows platform:"
screenshot="$(dirname "$zip")/windows-editor.png"
(
  cd "$work/w"
  # A prefix of its own, made on the display: Wine's desktop process belongs
  # to the display it first started on.
  xvfb-run -a -s '-screen 0 1280x900x24' bash -c '
    . "$2/scripts/wine-env.sh"
    unset WINEQT_QPA_PLATFORM
    wine_prefix_new
    wine "$0/trevalune.exe" a.exe >/dev/null 2>&1 &
    if timeout 120 xdotool search --sync --name "Trevalune - .*a\.exe" >/dev/null; then
      sleep 3
      import -window root "$1"
      echo "  the window is titled: $(xdotool getwindowname "$(xdotool search --name "Trevalune - " | head -n 1)")"
    else
      echo "  NO WINDOW with the sample open" >&2
      exit 1
    fi' "$app" "$screenshot" "$root"
) || failures=$((failures + 1))

if [ "$failures" -ne 0 ]; then
  echo "Windows zip: $failures checks failed" >&2
  exit 1
fi
echo "Windows zip: every check passed (screenshot: $screenshot)"
