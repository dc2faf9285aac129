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
    wine_fonts_once
  ) 9>"$WINEPREFIX.lock"
}

# The Windows faces programs ask for, and the installed faces with their metrics (script/setup
# installs them): a label measured here measures the same on Windows. Verdana, the styled
# buttons' face, has no metric twin; DejaVu Sans is the nearest.
WINE_FONT_REPLACEMENTS=(
  "Arial=Liberation Sans"
  "Times New Roman=Liberation Serif"
  "Courier New=Liberation Mono"
  "MS Sans Serif=Liberation Sans"
  "Microsoft Sans Serif=Liberation Sans"
  "Tahoma=Liberation Sans"
  "Verdana=DejaVu Sans"
)
# Text these faces lack (Chinese, Japanese, Korean) is drawn with this face, linked to each.
WINE_FONT_LINK="wqy-microhei.ttc,WenQuanYi Micro Hei"

# The registry file that sets both; REGEDIT4 multi-strings are ANSI bytes in hex.
wine_fonts_reg() {
  local pair face link seen=" "
  link="$(printf '%s\0\0' "$WINE_FONT_LINK" | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for pair in "${WINE_FONT_REPLACEMENTS[@]}"; do
    printf '"%s"="%s"\r\n' "${pair%%=*}" "${pair#*=}"
  done
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
  for pair in "${WINE_FONT_REPLACEMENTS[@]}"; do
    for face in "${pair%%=*}" "${pair#*=}"; do
      if [[ "$seen" != *" $face "* ]]; then
        printf '"%s"=hex(7):%s\r\n' "$face" "$link"
        seen+="$face "
      fi
    done
  done
}

# Sets the fonts up in a prefix that lacks them, new or made before; the stamp names the
# settings, so a prefix follows when they change. Runs under wine_env's lock.
wine_fonts_once() {
  local reg stamp
  reg="$(wine_fonts_reg)"
  stamp="$WINEPREFIX/.murmurex-fonts-$(printf '%s' "$reg" | md5sum | cut -c1-12)"
  if [[ -f "$stamp" ]]; then
    return 0
  fi
  printf '%s' "$reg" >"$WINEPREFIX/drive_c/murmurex-fonts.reg"
  if DISPLAY= "$WINE64" reg import 'C:\murmurex-fonts.reg' >/dev/null 2>&1; then
    rm -f "$WINEPREFIX"/.murmurex-fonts-*
    touch "$stamp"
  fi
  rm -f "$WINEPREFIX/drive_c/murmurex-fonts.reg"
}

# A copy of the prefix BASE whose programs see DPI dots per inch (the LogPixels Wine reports),
# made once with cp -a; BASE keeps its own DPI. Prints the copy's path.
wine_dpi_prefix() {
  local base="$1" dpi="$2"
  local copy="$base-dpi$dpi"
  wine_env "$base"
  (
    flock 9
    if [[ ! -f "$copy/.murmurex-dpi-$dpi" ]]; then
      rm -rf "$copy"
      cp -a "$base" "$copy"
      # The base's server may not have written its registry yet: the copy sets its fonts again.
      rm -f "$copy"/.murmurex-fonts-*
      wine_env "$copy"
      DISPLAY= "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null 2>&1
      # Wine reads the DPI when its server starts: this one ends, and writes the registry.
      "$WINESERVER" -k >/dev/null 2>&1
      "$WINESERVER" -w
      touch "$copy/.murmurex-dpi-$dpi"
    fi
  ) 9>"$copy.dpi-lock" >&2
  echo "$copy"
}

# Keeps one server alive between the many short test processes; harmless when one already runs.
wine_keep_server() {
  "$WINESERVER" -p"${1:-30}" >/dev/null 2>&1 </dev/null || true
}

wine_stop_server() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
}
