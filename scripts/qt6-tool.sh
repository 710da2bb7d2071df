# Sourced by the scripts that run Qt's host tools.
#   qt6_tool NAME   prints the path of Qt 6's NAME (lupdate, lrelease...)
# Taken by Qt 6's own path first: where Qt 5 is installed too, the tool on
# PATH is qtchooser's, which runs Qt 5's.
qt6_tool() {
  local candidate bins
  bins=$(qtpaths6 --query QT_HOST_BINS 2>/dev/null || true)
  for candidate in ${bins:+"$bins/$1"} /usr/lib/qt6/bin/"$1" "$(command -v "$1" 2>/dev/null || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] || continue
    case "$("$candidate" -version 2>&1)" in
      *" 6."*) echo "$candidate"; return 0 ;;
    esac
  done
  echo "Qt 6's $1 was not found (qtpaths6 --query QT_HOST_BINS gave '${bins}')" >&2
  return 1
}
