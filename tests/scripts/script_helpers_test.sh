#!/usr/bin/env bash
# The build scripts' helpers against a fake archive and fake Qt tools: the
# source of a package is taken at the newest version the archive serves with
# the installed upstream version, falling back when a download fails; Qt 6's
# tools are taken over qtchooser's links to Qt 5's; the layer check reads
# the folder from each include line.
set -uo pipefail
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
mkdir -p "$fake/bin" "$fake/qt6bin"
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    printf 'FAILED: %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3" >&2
    failures=$((failures + 1))
  fi
}

# The archive lists three versions of zlib; only 1:1.2.13.dfsg-1 downloads,
# as on the security archive that lists an update whose source it lacks.
cat >"$fake/bin/apt-cache" <<'END'
#!/bin/sh
[ "$1" = showsrc ] && [ "$2" = zlib ] && printf 'Package: zlib\nVersion: %s\n\n' \
  1:1.2.13.dfsg-1 1:1.2.13.dfsg-1+deb12u1 1:1.2.11.dfsg-2 1:1.2.13.dfsg-1~bpo11+1
exit 0
END
cat >"$fake/bin/apt-get" <<'END'
#!/bin/sh
for a in "$@"; do version=${a#zlib=}; done
echo "$version" >>"$FAKE_LOG"
case "$version" in
  1:1.2.13.dfsg-1) touch zlib_1.2.13.dfsg-1.dsc ;;
  *) echo "E: Failed to fetch zlib_${version#1:}.dsc  404  Not Found"; exit 100 ;;
esac
END
cat >"$fake/bin/dpkg-source" <<'END'
#!/bin/sh
mkdir -p "$3" && basename "$2" >"$3/from"
END
chmod +x "$fake/bin/"*
export FAKE_LOG="$fake/asked"

(
  export PATH="$fake/bin:$PATH"
  . "$scripts/debian-source.sh"
  ensure_deb_src() { :; }
  check "versions newest first" "1:1.2.13.dfsg-1+deb12u1 1:1.2.13.dfsg-1 1:1.2.13.dfsg-1~bpo11+1 1:1.2.11.dfsg-2" \
    "$(source_versions zlib | tr '\n' ' ' | sed 's/ $//')"
  check "upstream version" "1.2.13.dfsg" "$(upstream_version 1:1.2.13.dfsg-1+deb12u1)"
  said=$(debian_source zlib 1:1.2.13.dfsg-1+deb12u1 "$fake/work" 2>&1)
  check "the update's source missing: the older one is taken" 0 $?
  check "what it says" "note: the source of zlib 1:1.2.13.dfsg-1+deb12u1 could not be used; trying an older one
source of zlib: 1:1.2.13.dfsg-1" "$said"
  check "what was unpacked" "zlib_1.2.13.dfsg-1.dsc" "$(cat "$fake/work/src/from")"
  check "asked newest first, no older upstream" "1:1.2.13.dfsg-1+deb12u1 1:1.2.13.dfsg-1" \
    "$(tr '\n' ' ' <"$FAKE_LOG" | sed 's/ $//')"
  said=$(debian_source zlib 1:1.3-1 "$fake/work2" 2>&1)
  check "no source of that upstream version: a failure" 1 $?
  case "$said" in
    *"no source of zlib 1.3 could be used"*"lists none of that upstream version"*) check "it says why" ok ok ;;
    *) check "it says why" "no source of zlib 1.3 ..." "$said" ;;
  esac
  exit $failures
) || failures=$?

# qtchooser's lupdate on PATH runs Qt 5's tool, which is missing here.
cat >"$fake/bin/lupdate" <<'END'
#!/bin/sh
echo "lupdate: could not exec '/usr/lib/qt5/bin/lupdate': No such file or directory" >&2
exit 1
END
printf '#!/bin/sh\necho "lupdate version 6.4.2"\n' >"$fake/qt6bin/lupdate"
printf '#!/bin/sh\n[ "$2" = QT_HOST_BINS ] && echo "%s"\n' "$fake/qt6bin" >"$fake/bin/qtpaths6"
chmod +x "$fake/bin/"* "$fake/qt6bin/"*
(
  export PATH="$fake/bin:$PATH"
  . "$scripts/qt6-tool.sh"
  check "Qt 6's lupdate over qtchooser's" "$fake/qt6bin/lupdate" "$(qt6_tool lupdate)"
  exit $failures
) || failures=$?

# The layer check on a small tree of its own: each include line against the
# verdict, as `check-layers.sh` reads the folder from the line.
tree="$fake/tree"
mkdir -p "$tree/scripts" "$tree/tables" "$tree/document" "$tree/ui"
cp "$scripts/check-layers.sh" "$scripts/fail-loudly.sh" "$tree/scripts/"
touch "$tree/tables/cr_table.h" "$tree/document/range_edit.h" "$tree/ui/main_form.h"
while IFS='|' read -r file include verdict; do
  printf '#include "%s"\n' "$include" >"$tree/$file"
  said=$(bash "$tree/scripts/check-layers.sh" 2>&1)
  case $?:$verdict:$said in
    0:pass:*) check "$file: $include" pass pass ;;
    1:upwards:*"a layer it may not use"*) check "$file: $include" upwards upwards ;;
    1:unnamed:*"no header's path from the top"*) check "$file: $include" unnamed unnamed ;;
    *) check "$file: $include" "$verdict" "$said" ;;
  esac
  rm "$tree/$file"
done <<'END'
document/a.cpp|tables/cr_table.h|pass
document/a.cpp|document/range_edit.h|pass
document/a.cpp|generated/version.h|pass
document/a.cpp|ui/main_form.h|upwards
tables/a.h|document/range_edit.h|upwards
ui/a.cpp|range_edit.h|unnamed
ui/a.cpp|document/missing.h|unnamed
ui/a.cpp|../document/range_edit.h|unnamed
END

exit $failures
