#!/usr/bin/env bash
# Installs what building, running and testing the editor need on Debian or
# Ubuntu. Packages already present are left alone; nothing is installed when
# everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
)
# Wanted but named differently on some releases: tried one by one.
optional_packages=(libclang-rt-dev)

missing=()
for p in "${packages[@]}" "${optional_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
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
