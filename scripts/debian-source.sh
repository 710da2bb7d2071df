# Sourced by the scripts that build from Debian's source packages.

sudo_cmd=
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=sudo; fi

# Source lines for Debian's archive, made from the binary ones when missing.
ensure_deb_src() {
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; then
    return 0
  fi
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo_cmd tee /etc/apt/sources.list.d/trevalune-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      $sudo_cmd tee /etc/apt/sources.list.d/trevalune-deb-src.list >/dev/null
  else
    echo "no Debian archive is configured for source packages" >&2
    return 1
  fi
  $sudo_cmd apt-get update -qq || { echo "apt-get update failed after adding source lines" >&2; return 1; }
}

# A Debian version without its epoch and revision: 1:1.2.13.dfsg-1+deb12u1
# gives 1.2.13.dfsg.
upstream_version() {
  local v=${1#*:}
  echo "${v%-*}"
}

# The versions of source package $1 the archive lists, newest first.
source_versions() {
  local v sorted=()
  while read -r v; do
    local i=${#sorted[@]}
    sorted+=("$v")
    while [ "$i" -gt 0 ] && dpkg --compare-versions "${sorted[$((i - 1))]}" lt "$v"; do
      sorted[$i]=${sorted[$((i - 1))]}
      i=$((i - 1))
      sorted[$i]=$v
    done
  done < <(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u)
  printf '%s\n' "${sorted[@]}"
}

# debian_source PACKAGE WANTED_VERSION DIR
# Unpacks into DIR/src the newest source of PACKAGE that the archive serves
# with the upstream version of WANTED_VERSION (the installed binary package's
# version), trying older Debian revisions in order when a download fails: the
# security archive does not always serve the source of its updates. Prints
# the version taken, and leaves it in debian_source_version; or prints every
# version tried and why none served.
debian_source() {
  local package=$1 wanted=$2 dir=$3 upstream tried=() v
  upstream=$(upstream_version "$wanted")
  ensure_deb_src || return 1
  mkdir -p "$dir"
  for v in $(source_versions "$package"); do
    [ "$(upstream_version "$v")" = "$upstream" ] || continue
    rm -rf "${dir:?}"/* 2>/dev/null || true
    if (cd "$dir" && apt-get source -qq --download-only "$package=$v" >"$dir/.download.log" 2>&1); then
      if dpkg-source -x "$dir"/*.dsc "$dir/src" >"$dir/.unpack.log" 2>&1; then
        debian_source_version=$v
        echo "source of $package: $v"
        return 0
      fi
      tried+=("$v (did not unpack: $(tail -n 1 "$dir/.unpack.log"))")
    else
      tried+=("$v (did not download: $(grep -m1 -E 'Err|E:|Failed' "$dir/.download.log" || tail -n 1 "$dir/.download.log"))")
    fi
    echo "note: the source of $package $v could not be used; trying an older one" >&2
  done
  echo "no source of $package $upstream could be used" >&2
  if [ ${#tried[@]} -eq 0 ]; then
    echo "  the archive lists none of that upstream version (it lists: $(source_versions "$package" | tr '\n' ' '))" >&2
  else
    printf '  tried %s\n' "${tried[@]}" >&2
  fi
  return 1
}
