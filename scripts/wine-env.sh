# Sourced by the Windows scripts: runs Windows programs under Wine, headless
# and quiet, each run in a Wine prefix of its own.

# Wine hands Windows programs no QT_* variables of the Linux side; it passes
# WINEQT_* on as QT_*.
export WINEDEBUG=-all
export WINEQT_QPA_PLATFORM=offscreen
# Without a font folder Qt's offscreen platform draws every letter as a box.
export WINEQT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A fresh prefix: a lock file left in an old one may name a process id that
# Wine hands out again. Removed when the shell that sourced this ends.
wine_prefix_new() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/trevalune-wine.XXXXXX")
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
  wineboot -i >/dev/null 2>&1 || true
  # The server wineboot started ends by itself; one that stays up between the
  # programs lets each start at once.
  wineserver -w
  wineserver -p
  # The first program started brings up Wine's services, which keep the
  # standard output they were given open for as long as they run: a caller
  # waiting for the end of that output would wait for good. They start here,
  # with nothing to hold.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# A Linux path as Windows programs see it, through Wine's drive Z:.
wine_path() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}
