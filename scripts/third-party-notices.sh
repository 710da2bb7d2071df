#!/usr/bin/env bash
# Writes the notices for what the Windows zip carries besides Trevalune itself:
# each component's name, version, licence, the files it is in, and where its
# source is (Debian's source packages, by name and version), then the licence
# texts as Debian ships them. CRLF line endings, for Windows' Notepad.
#   third-party-notices.sh OUT QT_SOURCE_VERSION DEPS_PREFIX
# DEPS_PREFIX/sources.txt holds "package version" lines of the sources built
# there, and DEPS_PREFIX/licenses/ the licence files of their own source.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
out=$1
qt_source=$2
deps=$3
deps_sources=$deps/sources.txt

source_of() {  # the version of the source package $1 that was built
  sed -n "s/^$1 //p" "$deps_sources" | head -n 1
}
debian() {  # "package version" of the Debian source of binary package $1
  dpkg-query -W -f='${source:Package} ${source:Version}' "$1"
}
upstream() {
  local v=${1#*:}
  echo "${v%-*}" | sed 's/+dfsg.*//; s/\.dfsg.*//'
}
muparser=$(source_of muparser)
qcustomplot=$(source_of qcustomplot)
csv=$(source_of libcsv)
gcc_runtime=$(debian gcc-mingw-w64-x86-64-posix-runtime)
mingw=$(debian mingw-w64-x86-64-dev)
zlib=$(debian libz-mingw-w64-dev)
gcc_version=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix-runtime | sed 's/-.*//')

{
  cat <<END
Trevalune for Windows: the components it carries
================================================

Trevalune itself is free software under the GNU General Public License,
version 3 or later (LICENSE.txt). The zip also carries the components below,
each under its own licence. Every one was built from, or is, Debian's package
of the source named here; "apt-get source NAME=VERSION" on a Debian 12 system
fetches it, and https://sources.debian.org/src/NAME/VERSION/ shows it.

Qt $(upstream "$qt_source") (qtbase)
  Files:   Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, Qt6PrintSupport.dll,
           plugins\\platforms\\qwindows.dll, plugins\\styles\\qwindowsvistastyle.dll,
           translations\\qtbase_ru.qm
  Licence: GNU Lesser General Public License, version 3 (LGPL-3.0-only), or
           the GNU General Public License, version 2 or 3; Qt carries code of others under their own licences (FreeType,
           HarfBuzz, PCRE2, libpng, libjpeg, double-conversion, md4c, zlib),
           listed in its copyright file below.
  Source:  Debian source package qt6-base $qt_source, built unchanged with
           the options in scripts/build-windows.sh of Trevalune's source.
           These DLLs may be replaced by other builds of Qt $(upstream "$qt_source").

QCustomPlot $(upstream "$qcustomplot")
  Files:   libQCustomPlotQt6.dll (used by trevalune-chart.dll, Trevalune's own)
  Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later)
  Source:  Debian source package qcustomplot $qcustomplot

muParser $(upstream "$muparser")
  Files:   linked into trevalune.exe and trevalune-cli.exe
  Licence: BSD 2-Clause licence (its source's LICENSE file, below; Debian's
           copyright file still names the MIT licence of earlier versions)
  Source:  Debian source package muparser $muparser

libcsv $(upstream "$csv")
  Files:   linked into trevalune.exe and trevalune-cli.exe
  Licence: GNU Lesser General Public License, version 2.1 or later
           (LGPL-2.1-or-later). Trevalune's own source is free, so the
           programs can be linked again with a changed libcsv.
  Source:  Debian source package libcsv $csv

zlib $(upstream "${zlib#* }")
  Files:   linked into trevalune.exe and trevalune-cli.exe
  Licence: zlib licence
  Source:  Debian source package $zlib

GCC $gcc_version runtime libraries
  Files:   libgcc_s_seh-1.dll, libstdc++-6.dll
  Licence: GNU General Public License, version 3 or later, with the GCC
           Runtime Library Exception, version 3.1
  Source:  Debian source package $gcc_runtime (of GCC $gcc_version)

MinGW-w64 winpthreads $(upstream "${mingw#* }")
  Files:   libwinpthread-1.dll
  Licence: MIT (Expat) licence, with parts under the BSD 3-Clause licence
  Source:  Debian source package $mingw

The licence texts follow, as Debian ships them with each package. Texts that
these refer to in /usr/share/common-licenses come after them.

END
  for package in qt6-base-dev libqcustomplot-dev libmuparser-dev libcsv-dev libz-mingw-w64-dev \
    gcc-mingw-w64-x86-64-posix-runtime mingw-w64-x86-64-dev; do
    printf '\n\n==== %s: the copyright file of Debian package %s ====\n\n' \
      "$(dpkg-query -W -f='${source:Package}' "$package")" "$package"
    cat "/usr/share/doc/$package/copyright"
  done
  for file in "$deps"/licenses/*; do
    printf '\n\n==== %s ====\n\n' "$(basename "$file")"
    cat "$file"
  done
  for licence in LGPL-3 LGPL-2.1 GPL-3; do
    printf '\n\n==== /usr/share/common-licenses/%s ====\n\n' "$licence"
    cat "/usr/share/common-licenses/$licence"
  done
} | sed 's/\r*$/\r/' >"$out"
