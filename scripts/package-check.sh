#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks it as a user's
# machine and Debian's tools would: its file list, the unpacked programs'
# --version with no display, the desktop entry, the AppStream metadata, the
# manual pages and lintian. One line per check; exits non-zero on the first
# failure. Run by scripts/test.sh; runs alone as well.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"
jobs=$(nproc)
[ "${TREVALUNE_SKIP_DEPS:-}" = 1 ] || "$root/scripts/install-deps.sh"

pass() { echo "package: PASS $*"; }
fail() {
  echo "package: FAIL $*" >&2
  exit 1
}

# Runs a command; on failure prints what it said and stops.
check() {
  local what=$1
  shift
  local log
  log=$(mktemp)
  if "$@" >"$log" 2>&1; then
    rm -f "$log"
    pass "$what"
  else
    cat "$log" >&2
    rm -f "$log"
    fail "$what"
  fi
}

cd "$root"
# Debian's hardening flags, as a package built by Debian's own tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
check "Release build configured (tests off, Debian's hardening flags)" \
  cmake -S "$root" -B "$build" -G Ninja --no-warn-unused-cli \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
check "Release build" cmake --build "$build" -j "$jobs"
rm -f "$build"/trevalune_*.deb
check "cpack -G DEB" bash -c "cd '$build' && cpack -G DEB"
debs=("$build"/trevalune_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "exactly one trevalune_*.deb, found: ${debs[*]}"
deb=${debs[0]}
pass "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB), Depends: $(dpkg-deb -f "$deb" Depends)"
recommends=$(dpkg-deb -f "$deb" Recommends)
case ", $recommends," in
  *", qt6-translations-l10n,"*) pass "Recommends: $recommends" ;;
  *) fail "the package recommends '$recommends', not qt6-translations-l10n (Qt's Russian texts)" ;;
esac

echo "-- contents of $(basename "$deb"):"
dpkg-deb -c "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
check "dpkg-deb -x" dpkg-deb -x "$deb" "$unpacked"
for file in usr/bin/trevalune \
  usr/share/applications/io.github.trevalune.Trevalune.desktop \
  usr/share/metainfo/io.github.trevalune.Trevalune.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/trevalune.svg \
  usr/share/man/man1/trevalune.1.gz usr/share/man/en/man1/trevalune.1.gz \
  usr/share/doc/trevalune/copyright usr/share/doc/trevalune/changelog.gz; do
  [ -f "$unpacked/$file" ] || fail "$file in the package"
done
pass "the package holds the program, its desktop entry, metadata, icon, manual and documents"

# The unpacked programs answer --version in a plain shell: no display at all.
version=$(dpkg-deb -f "$deb" Version)
for program in trevalune trevalune-cli; do
  binary="$unpacked/usr/bin/$program"
  [ -e "$binary" ] || continue
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$binary" --version 2>&1) ||
    fail "usr/bin/$program --version exited with $?: $out"
  case "$out" in
    *"$version"*) ;;
    *) fail "usr/bin/$program --version printed '$out', without the package's version $version" ;;
  esac
  pass "usr/bin/$program --version without a display: $out"
done
changelog_version=$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
  fail "packaging/changelog names $changelog_version, the package $version: add an entry"
pass "packaging/changelog names the package's version $version"

# desktop-file-validate prints hints and warnings but fails only on errors:
# any output at all counts as a failure here.
desktop="$root/ui/resources/io.github.trevalune.Trevalune.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
pass "desktop-file-validate $(basename "$desktop"): no output"

metainfo="$root/ui/resources/io.github.trevalune.Trevalune.metainfo.xml"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
pass "appstreamcli validate --no-net $(basename "$metainfo"): $(echo "$out" | tr -s '\n' ' ' | sed 's/^ *//')"

# Every manual page in docs/man, so that the command-line tool's is checked
# even while the build has no such tool: through man with its warnings on (as
# lintian does with the pages in the package) and through groff's own.
for page in "$root"/docs/man/*.1.in "$root"/docs/man/en/*.1.in; do
  name=$(basename "$(dirname "$page")")/$(basename "$page" .in)
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man --warnings -l $name: $out"
  out=$(groff -k -Tutf8 -man -ww -z "$page" 2>&1)
  [ -z "$out" ] || fail "groff -man -ww $name: $out"
  pass "man and groff warn of nothing in $name"
done

# What apt would do with the package on this machine: every dependency found.
check "apt-get install --simulate $(basename "$deb")" apt-get install --simulate -qq "$deb"

# lintian ends with a non-zero status on any error; warnings are listed.
lintian_log="$build/lintian.log"
lintian_status=0
lintian --allow-root --display-info --tag-display-limit 0 "$deb" >"$lintian_log" 2>&1 ||
  lintian_status=$?
echo "-- lintian:"
cat "$lintian_log"
if [ "$lintian_status" -ne 0 ] || grep -q '^E:' "$lintian_log"; then
  fail "lintian: exit status $lintian_status, $(grep -c '^E:' "$lintian_log") errors"
fi
pass "lintian: no error ($(grep -c '^W:' "$lintian_log") warnings, $(grep -c '^I:' "$lintian_log") notes)"
