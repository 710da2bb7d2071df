#!/usr/bin/env bash
# Builds Trevalune for 64-bit Windows on Debian or Ubuntu, with MinGW-w64,
# against Qt built from Debian's own source package, and leaves the portable
# zip in dist/. Options:
#   --test   also run the test suite and the zip checks under Wine
#   --qt     stop once the Windows Qt (and the libraries the build needs) are ready
#
# Slow parts are cached outside the clone, in ${TREVALUNE_CACHE:-~/.cache/trevalune}:
#   qt6-mingw-<version>-<hash>/   Qt for MinGW, keyed by the Qt version and a
#                                  hash of its build options and the toolchain
#   mingw-deps-<hash>/             libcsv, zlib and GoogleTest built for MinGW
# A cache entry counts only once its build has finished (a stamp file in it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
run_tests=0
qt_only=0
for arg in "$@"; do
  case "$arg" in
    --test) run_tests=1 ;;
    --qt) qt_only=1 ;;
    *) echo "usage: $0 [--test] [--qt]" >&2; exit 1 ;;
  esac
done

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

# Besides what the Linux build needs: the cross compiler, Wine to run the
# tests, the tools that unpack Debian's source and make the zip, and Xvfb for
# the check of the editor under Wine's real Windows platform.
"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
  wine wine64 dpkg-dev xz-utils zip unzip xvfb xauth xdotool imagemagick googletest

jobs=$(nproc)
cache=${TREVALUNE_CACHE:-$HOME/.cache/trevalune}
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
mkdir -p "$cache"

# ---------------------------------------------------------------- Qt for MinGW
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[+~-].*//')
qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  # Debian's source leaves out wintab, and 6.4 does not build with OpenGL off
  # alone or with Direct2D off alone: these four go together.
  -DINPUT_opengl=no -DFEATURE_directwrite3=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF
  # Found in the build machine's /usr/include otherwise, whose headers are not
  # MinGW's.
  -DFEATURE_vulkan=OFF
  # Modules the editor does not use.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON
  # The third-party libraries Qt carries, since MinGW has none of them.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
)
qt_key=$(printf '%s\n' "$qt_version" "${qt_options[@]}" | cat - "$toolchain" | sha256sum | cut -c1-12)
qt_prefix="$cache/qt6-mingw-$qt_version-$qt_key"

build_qt() {
  local work="$cache/qt6-build-$qt_key"
  rm -rf "$work" "$qt_prefix"
  mkdir -p "$work"
  # Debian's source package, with Debian's patches applied.
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/trevalune-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  (cd "$work" && apt-get source -qq --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" &&
    dpkg-source -x ./qt6-base_*.dsc src >/dev/null)
  echo "building Qt $qt_version for MinGW in $work (about a quarter of an hour on two cores)"
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}" >"$work/configure.log" 2>&1 || {
    tail -n 40 "$work/configure.log"
    exit 1
  }
  cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || {
    grep -E 'error|FAILED' "$work/build.log" | head -n 40
    exit 1
  }
  cmake --install "$work/build" >/dev/null
  # Qt's own texts in Russian: the translation files are the same on every
  # system, Debian's serve.
  mkdir -p "$qt_prefix/translations"
  cp /usr/share/qt6/translations/qtbase_ru.qm "$qt_prefix/translations/"
  touch "$qt_prefix/.complete"
  rm -rf "$work"
}
if [ ! -f "$qt_prefix/.complete" ]; then
  build_qt
else
  echo "Qt $qt_version for MinGW: cached in $qt_prefix"
fi
[ "$qt_only" -eq 1 ] && exit 0

# ------------------------------------------- libcsv, zlib and GoogleTest for MinGW
# libcsv's configure does not know MinGW (its config.sub is too old); it is one
# C file, compiled here as it stands in Debian's source package. zlib (its
# CRC-32) comes from Debian's source too: the Qt above carries its own, hidden
# inside Qt6Core. Its C files are compiled as they stand, without its build
# scripts, which would make a DLL beside the library.
csv_version=$(dpkg-query -W -f='${Version}' libcsv-dev)
zlib_version=$(dpkg-query -W -f='${Version}' zlib1g-dev)
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
deps_key=$(printf '%s\n' "$csv_version" "$zlib_version" "$gtest_version" | cat - "$toolchain" |
  sha256sum | cut -c1-12)
deps_prefix="$cache/mingw-deps-$deps_key"
if [ ! -f "$deps_prefix/.complete" ]; then
  work=$(mktemp -d "$cache/deps-build.XXXXXX")
  rm -rf "$deps_prefix"
  mkdir -p "$deps_prefix/include" "$deps_prefix/lib"
  (cd "$work" && apt-get source -qq "libcsv=$csv_version" >/dev/null 2>&1 && ls -d libcsv-*/ >/dev/null)
  csv_src=$(ls -d "$work"/libcsv-*/)
  x86_64-w64-mingw32-gcc-posix -O2 -c "$csv_src/libcsv.c" -I"$csv_src" -o "$work/libcsv.o"
  x86_64-w64-mingw32-ar rcs "$deps_prefix/lib/libcsv.a" "$work/libcsv.o"
  cp "$csv_src/csv.h" "$deps_prefix/include/"
  (cd "$work" && apt-get source -qq "zlib=$zlib_version" >/dev/null 2>&1 && ls -d zlib-*/ >/dev/null)
  zlib_src=$(ls -d "$work"/zlib-*/)
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    x86_64-w64-mingw32-gcc-posix -O2 -c "$zlib_src/$c.c" -I"$zlib_src" -o "$work/zlib-$c.o"
  done
  x86_64-w64-mingw32-ar rcs "$deps_prefix/lib/libz.a" "$work"/zlib-*.o
  cp "$zlib_src/zlib.h" "$zlib_src/zconf.h" "$deps_prefix/include/"
  cmake -S /usr/src/googletest -B "$work/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DBUILD_GMOCK=ON >/dev/null
  cmake --build "$work/gtest" -j "$jobs" >/dev/null
  cmake --install "$work/gtest" >/dev/null
  rm -rf "$work"
  touch "$deps_prefix/.complete"
fi

# ------------------------------------------------------------------ the editor
build="$root/build-windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_PREFIX_PATH="$qt_prefix;$deps_prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  >/dev/null
cmake --build "$build" -j "$jobs"

# ---------------------------------------------------------------- the portable zip
version=$(sed -n 's/^project(Trevalune VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name="trevalune-$version-windows-x64"
dist="$root/dist"
stage="$dist/$name"
rm -rf "$stage" "$dist/$name.zip" "$dist/$name.zip.sha256"
mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations"
cp "$build/ui/trevalune.exe" "$build/cli/trevalune-cli.exe" "$build/samplegen/trevalune-sample.exe" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt_prefix/bin/$dll.dll" "$stage/"; done
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/plugins/styles/"
# The MinGW runtime the programs and Qt link.
for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
  found=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
  [ -f "$found" ] || found=$(find /usr/lib/gcc/x86_64-w64-mingw32 /usr/x86_64-w64-mingw32 -name "$dll" | head -n 1)
  cp "$found" "$stage/"
done
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
# Qt looks for its plugins and translations beside the programs.
printf '[Paths]\nPrefix=.\n' >"$stage/qt.conf"
cp "$root/LICENSE" "$stage/LICENSE.txt"
sed 's/$/\r/' "$root/packaging/windows/README.txt" >"$stage/README.txt"
(cd "$dist" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "zip: $dist/$name.zip ($(stat -c %s "$dist/$name.zip") bytes)"

[ "$run_tests" -eq 1 ] || exit 0

# ------------------------------------------------------------ the tests under Wine
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
wine_prefix_new
# The test programs find Qt and the MinGW runtime where they were built.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="$(wine_path "$qt_prefix/bin");$(wine_path "$runtime");$(wine_path /usr/x86_64-w64-mingw32/lib)"
# One at a time: Wine now and then leaves a finished program hanging when
# two start at once, which would fail a test that passed. A test that still
# times out is run once more.
ctest --test-dir "$build" --output-on-failure --timeout 120 --repeat after-timeout:2
unset WINEPATH

"$root/scripts/check-windows-zip.sh" "$dist/$name.zip"
