# Sourced by the scripts: the one way this project runs Windows programs under Wine.
# Call `wine_env PREFIX` first; it creates the prefix once (under a lock) and exports the variables.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

wine_env() {
  # Wine wants an absolute prefix; callers may name one relative to where they stand.
  mkdir -p "$(dirname "$1")"
  export WINEPREFIX="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  export WINELOADER="$WINE64"
  export WINESERVER
  export WINEDEBUG=-all
  # No Mono or Gecko installers: nothing here needs them and their dialogs would hang a headless run.
  # No winemenubuilder: a shortcut an installer writes stays in the prefix, off the host's menus.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINEARCH=win64
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/.murmurex-ready" ]]; then
      rm -rf "$WINEPREFIX"
      DISPLAY= "$WINE64" wineboot -i >/dev/null 2>&1 || true
      "$WINESERVER" -w
      touch "$WINEPREFIX/.murmurex-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Keeps one server alive between the many short test processes; harmless when one already runs.
wine_keep_server() {
  "$WINESERVER" -p"${1:-30}" >/dev/null 2>&1 </dev/null || true
}

wine_stop_server() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
}
