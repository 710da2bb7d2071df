#!/usr/bin/env bash
# Installs what building, running and testing the editor need on Debian or
# Ubuntu, plus any packages named on the command line. Packages already present
# are left alone; nothing is installed when everything is there.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"

packages=(
  cmake ninja-build g++ clang clang-format pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-l10n-tools qt6-tools-dev python3 libgl-dev libcsv-dev zlib1g-dev
  libmuparser-dev libqcustomplot-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  desktop-file-utils appstream lintian dpkg-dev file man-db groff-base
  strace
  "$@"
)
# Wanted but named differently on some releases: tried one by one.
optional_packages=(libclang-rt-dev)

# The fuzz targets link libFuzzer from the runtime of the installed clang; on
# Debian 12 (clang 14) libclang-rt-14-dev holds it. Installed after clang when
# it is missing.
ensure_fuzzer_runtime() {
  command -v clang >/dev/null || return 0
  compgen -G "$(clang -print-runtime-dir)/libclang_rt.fuzzer*" >/dev/null && return 0
  local package
  package="libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$package" >/dev/null ||
    echo "note: $package not available"
}
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}" "${optional_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_fuzzer_runtime
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
required_missing=()
for p in "${missing[@]}"; do
  case " ${optional_packages[*]} " in
    *" $p "*) "${sudo_cmd[@]}" apt-get install -y -qq "$p" >/dev/null || echo "note: $p not available" ;;
    *) required_missing+=("$p") ;;
  esac
done
if [ ${#required_missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${required_missing[@]}"
fi
ensure_fuzzer_runtime
