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
#   mingw-deps-<hash>/             libcsv, muParser, QCustomPlot and GoogleTest
#                                  built for MinGW
# A cache entry counts only once its build has finished (a stamp file in it).
# Sources come from Debian's source packages: for each, the newest version the
# archive serves with the upstream version installed here (see
# debian-source.sh). Any step that fails says which and why.
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/fail-loudly.sh"
# shellcheck source=debian-source.sh
. "$root/scripts/debian-source.sh"
run_tests=0
qt_only=0
for arg in "$@"; do
  case "$arg" in
    --test) run_tests=1 ;;
    --qt) qt_only=1 ;;
    *) echo "usage: $0 [--test] [--qt]" >&2; exit 1 ;;
  esac
done

# Besides what the Linux build needs: the cross compiler, Wine to run the
# tests, the tools that unpack Debian's source and make the zip, and Xvfb for
# the check of the editor under Wine's real Windows platform.
"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
  libz-mingw-w64-dev libmuparser-dev libqcustomplot-dev wine wine64 dpkg-dev xz-utils zip unzip xvfb xauth xdotool imagemagick googletest

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
  # alone or with Direct2D off alone: these four go together. Without
  # Direct2D, Qt GUI has no DirectWrite font engine, which print support
  # would otherwise call: DirectWrite goes too.
  -DINPUT_opengl=no -DFEATURE_directwrite3=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_directwrite=OFF
  # Found in the build machine's /usr/include otherwise, whose headers are not
  # MinGW's.
  -DFEATURE_vulkan=OFF
  # Modules the editor does not use.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON
  # The balance chart (QCustomPlot) needs Qt's print support.
  -DFEATURE_printsupport=ON
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
  debian_source qt6-base "$(dpkg-query -W -f='${Version}' qt6-base-dev)" "$work"
  local qt_source=$debian_source_version
  echo "building Qt $qt_version for MinGW in $work (about a quarter of an hour on two cores)"
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}" >"$work/configure.log" 2>&1 || {
    tail -n 40 "$work/configure.log"
    echo "configuring Qt for MinGW failed; the whole log is $work/configure.log" >&2
    exit 1
  }
  cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || {
    grep -E 'error|FAILED' "$work/build.log" | head -n 40
    echo "building Qt for MinGW failed; the whole log is $work/build.log" >&2
    exit 1
  }
  cmake --install "$work/build" >/dev/null
  # Qt's own texts in Russian: the translation files are the same on every
  # system, Debian's serve.
  mkdir -p "$qt_prefix/translations"
  cp /usr/share/qt6/translations/qtbase_ru.qm "$qt_prefix/translations/"
  echo "$qt_source" >"$qt_prefix/.source-version"
  touch "$qt_prefix/.complete"
  rm -rf "$work"
}
if [ ! -f "$qt_prefix/.complete" ]; then
  build_qt
else
  echo "Qt $qt_version for MinGW: cached in $qt_prefix"
fi
[ "$qt_only" -eq 1 ] && exit 0

# ------------------------- libcsv, muParser, QCustomPlot and GoogleTest for MinGW
# zlib is Debian's own MinGW build (libz-mingw-w64-dev), linked statically.
# libcsv's configure does not know MinGW (its config.sub is too old): it is one
# C file, compiled here as it stands in Debian's source package. muParser and
# QCustomPlot are built with their own CMake files from Debian's source
# packages, so that the editor finds them as on Linux (find_package muparser
# and QCustomPlotQt6); muParser statically and without OpenMP, QCustomPlot as
# the DLL its build makes. GoogleTest from Debian's googletest sources.
installed_version() {
  dpkg-query -W -f='${Version}' "$1" 2>/dev/null || { echo "$1 is not installed" >&2; return 1; }
}
csv_version=$(installed_version libcsv-dev)
muparser_version=$(installed_version libmuparser-dev)
qcustomplot_version=$(installed_version libqcustomplot-dev)
gtest_version=$(installed_version googletest)
build_deps() {
  local work
  work=$(mktemp -d "$cache/deps-build.XXXXXX")
  rm -rf "$deps_prefix"
  mkdir -p "$deps_prefix/include" "$deps_prefix/lib"

  mkdir -p "$deps_prefix/licenses"
  debian_source libcsv "$csv_version" "$work/libcsv"
  echo "libcsv $debian_source_version" >>"$deps_prefix/sources.txt"
  x86_64-w64-mingw32-gcc-posix -O2 -c "$work/libcsv/src/libcsv.c" -I"$work/libcsv/src" -o "$work/libcsv.o"
  x86_64-w64-mingw32-ar rcs "$deps_prefix/lib/libcsv.a" "$work/libcsv.o"
  cp "$work/libcsv/src/csv.h" "$deps_prefix/include/"

  debian_source muparser "$muparser_version" "$work/muparser"
  echo "muparser $debian_source_version" >>"$deps_prefix/sources.txt"
  cp "$work/muparser/src/LICENSE" "$deps_prefix/licenses/muParser: LICENSE of its source"
  cmake -S "$work/muparser/src" -B "$work/muparser/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_OPENMP=OFF -DENABLE_SAMPLES=OFF -DENABLE_WIDE_CHAR=OFF -DBUILD_TESTING=OFF \
    >"$work/muparser.log" 2>&1 &&
    cmake --build "$work/muparser/build" -j "$jobs" >>"$work/muparser.log" 2>&1 &&
    cmake --install "$work/muparser/build" >>"$work/muparser.log" 2>&1 || {
    tail -n 30 "$work/muparser.log" >&2
    echo "building muParser for MinGW failed" >&2
    return 1
  }

  debian_source qcustomplot "$qcustomplot_version" "$work/qcustomplot"
  echo "qcustomplot $debian_source_version" >>"$deps_prefix/sources.txt"
  cmake -S "$work/qcustomplot/src" -B "$work/qcustomplot/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DCMAKE_PREFIX_PATH="$qt_prefix" -DUSE_QT_VERSION=6 \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    >"$work/qcustomplot.log" 2>&1 &&
    cmake --build "$work/qcustomplot/build" -j "$jobs" >>"$work/qcustomplot.log" 2>&1 &&
    cmake --install "$work/qcustomplot/build" >>"$work/qcustomplot.log" 2>&1 || {
    tail -n 30 "$work/qcustomplot.log" >&2
    echo "building QCustomPlot for MinGW failed" >&2
    return 1
  }

  cmake -S /usr/src/googletest -B "$work/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DBUILD_GMOCK=ON >"$work/gtest.log" 2>&1 &&
    cmake --build "$work/gtest" -j "$jobs" >>"$work/gtest.log" 2>&1 &&
    cmake --install "$work/gtest" >>"$work/gtest.log" 2>&1 || {
    tail -n 30 "$work/gtest.log" >&2
    echo "building GoogleTest for MinGW failed" >&2
    return 1
  }
  rm -rf "$work"
  touch "$deps_prefix/.complete"
}
# Keyed by the versions, the Qt they build against, the toolchain and the
# recipe above.
deps_key=$(printf '%s\n' "$csv_version" "$muparser_version" "$qcustomplot_version" "$gtest_version" "$qt_key" |
  cat - "$toolchain" <(declare -f build_deps) | sha256sum | cut -c1-12)
deps_prefix="$cache/mingw-deps-$deps_key"
if [ ! -f "$deps_prefix/.complete" ]; then
  echo "building libcsv, muParser, QCustomPlot and GoogleTest for MinGW in $deps_prefix"
  build_deps
else
  echo "libcsv, muParser, QCustomPlot and GoogleTest for MinGW: cached in $deps_prefix"
fi

# ------------------------------------------------------------------ the editor
build="$root/build-windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_PREFIX_PATH="$qt_prefix;$deps_prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
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
# The balance chart: its plugin beside the editor, which loads it when the
# panel first shows, with QCustomPlot and the Qt module that needs.
cp "$build/ui/trevalune-chart.dll" "$deps_prefix/bin/libQCustomPlotQt6.dll" "$qt_prefix/bin/Qt6PrintSupport.dll" "$stage/"
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/plugins/styles/"
# The MinGW runtime the programs and Qt link.
for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
  found=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
  [ -f "$found" ] || found=$(find /usr/lib/gcc/x86_64-w64-mingw32 /usr/x86_64-w64-mingw32 -name "$dll" | head -n 1)
  cp "$found" "$stage/"
done
# The zip's programs and libraries go without their debug sections and
# symbols; the build and the tests under Wine keep theirs.
find "$stage" -name '*.exe' -exec x86_64-w64-mingw32-strip --strip-all {} +
find "$stage" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
# Qt looks for its plugins and translations beside the programs.
printf '[Paths]\nPrefix=.\n' >"$stage/qt.conf"
sed 's/\r*$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
sed 's/\r*$/\r/' "$root/packaging/windows/README.txt" >"$stage/README.txt"
"$root/scripts/third-party-notices.sh" "$stage/THIRD-PARTY.txt" "$(cat "$qt_prefix/.source-version")" "$deps_prefix"
(cd "$dist" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "zip: $dist/$name.zip ($(stat -c %s "$dist/$name.zip") bytes)"

[ "$run_tests" -eq 1 ] || exit 0

# ------------------------------------------------------------ the tests under Wine
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
wine_prefix_new
# The test programs find Qt and the MinGW runtime where they were built.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="$(wine_path "$qt_prefix/bin");$(wine_path "$deps_prefix/bin");$(wine_path "$runtime");$(wine_path /usr/x86_64-w64-mingw32/lib)"
# One at a time: Wine now and then leaves a finished program hanging when
# two start at once, which would fail a test that passed. A test that still
# times out is run once more.
ctest --test-dir "$build" --output-on-failure --timeout 120 --repeat after-timeout:2
unset WINEPATH

"$root/scripts/check-windows-zip.sh" "$dist/$name.zip"
