#!/usr/bin/env bash
# Resmelder beside the tools people use for the same edits, each timed as a whole process on
# the same file, every output read back by Resmelder before a time counts:
#   - set a version string and the file version;
#   - replace the program's icon (its first icon group);
#   - inject an 8 MB blob as RCDATA named BLOB.
# The peers: rcedit (its Windows program, under Wine), resedit (resedit-cli) and postject
# (both under node). The script installs nothing and depends on nothing it does not find:
# a missing peer is named and its cells print "missing". It is not a test.
#
#   bench/peers_bench.sh [PROGRAM] [RUNS]
#
# PROGRAM defaults to Wine's shell32.dll, stripped as programs ship (9.6 MB, 180 icon
# groups, a version block). RUNS (default 5) runs of each cell; the median is printed.
# The peers are looked for in NODE_MODULES (default: ./node_modules, then npm's global root),
# installed there with `npm install rcedit resedit-cli postject`. The Resmelder builds are
# the native-release and windows presets' (RESMELDER and RESMELDER_EXE override them).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/script/lib/wine.sh"

program="${1:-}"
runs="${2:-5}"
work="$(mktemp -d)"
trap 'wine_stop_server_if_started; rm -rf "$work"' EXIT
wine_started=""
wine_stop_server_if_started() { [[ -n "$wine_started" ]] && wine_stop_server; }

# --- What is here ------------------------------------------------------------------------

resmelder="${RESMELDER:-$root/build/native-release/resmelder/tool/resmelder}"
resmelder_exe="${RESMELDER_EXE:-$root/build/windows/resmelder/tool/resmelder.exe}"
missing=()
[[ -x "$resmelder" ]] || { echo "needs the native tool: $resmelder (cmake --build --preset native-release --target resmelder_tool)" >&2; exit 1; }
[[ -f "$resmelder_exe" ]] || missing+=("resmelder.exe ($resmelder_exe: build the windows preset)")
[[ -x "$WINE64" ]] || missing+=("Wine ($WINE64)")

modules="${NODE_MODULES:-}"
if [[ -z "$modules" ]]; then
  modules="$PWD/node_modules"
  if [[ ! -d "$modules" ]] && command -v npm >/dev/null; then
    modules="$(npm root -g 2>/dev/null)"
  fi
fi
node="$(command -v node || true)"
[[ -n "$node" ]] || missing+=("node")
rcedit_exe="$modules/rcedit/bin/rcedit-x64.exe"
resedit_cli="$modules/resedit-cli/dist/cli.js"
postject_cli="$modules/postject/dist/cli.js"
[[ -f "$rcedit_exe" ]] || missing+=("rcedit ($rcedit_exe)")
[[ -f "$resedit_cli" ]] || missing+=("resedit-cli ($resedit_cli)")
[[ -f "$postject_cli" ]] || missing+=("postject ($postject_cli)")
have() { [[ -f "$1" && ( "$1" != *.js || -n "$node" ) ]]; }
wine_ok() { [[ -x "$WINE64" ]]; }

if [[ -z "$program" ]]; then
  shell32=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll
  strip="$(command -v x86_64-w64-mingw32-strip || true)"
  [[ -f "$shell32" && -n "$strip" ]] || { echo "give a PROGRAM: no Wine shell32.dll or mingw strip here" >&2; exit 1; }
  program="$work/shell32.dll"
  "$strip" -o "$program" "$shell32"
fi
[[ -f "$program" ]] || { echo "no such program: $program" >&2; exit 1; }
cp "$program" "$work/in.dll"
cp "$root/resmelder/com/resbundle.ico" "$work/app.ico"
head -c $((8 << 20)) /dev/urandom >"$work/blob.bin"

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "missing, their cells are skipped:"
  printf '  %s\n' "${missing[@]}"
fi
if wine_ok; then
  wine_env "$root/build/windows/wineprefix"
  wine_keep_server 120
  wine_started=1
fi

# --- Running and timing ------------------------------------------------------------------

z() { echo "Z:$1"; }  # a Unix path as a Windows program reads it

# Milliseconds of one whole process; its output goes to $work/said.
time_ms() {
  local start end
  start="$(date +%s%N)"
  "$@" >"$work/said" 2>&1
  local status=$?
  end="$(date +%s%N)"
  echo $(((end - start) / 1000000))
  return $status
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One cell: PREPARE (untimed, e.g. the copy an in-place tool edits), the timed command, and
# CHECK on out.dll; prints the median milliseconds, or "failed" with the reason on stderr.
cell() {
  local prepare="$1" check="$2"
  shift 2
  local times=()
  for ((i = 0; i < runs + 1; i++)); do  # the first run warms the cache and is not counted
    rm -f "$work/out.dll"
    $prepare
    local ms
    if ! ms="$(time_ms "$@")" || ! $check; then
      echo "  failed: $* ($(head -c 300 "$work/said"))" >&2
      echo "failed"
      return
    fi
    ((i > 0)) && times+=("$ms")
  done
  printf '%s\n' "${times[@]}" | median
}

copy_in() { cp "$work/in.dll" "$work/out.dll"; }
# postject finds its sentinel fuse in the program and flips it; a program built without it
# (any program not made for postject) gets one appended, as the last bytes of its overlay.
copy_in_with_fuse() {
  copy_in
  grep -q POSTJECT_SENTINEL_fce680ab2cc467b6e072b8b5df1996b2 "$work/out.dll" ||
    printf 'POSTJECT_SENTINEL_fce680ab2cc467b6e072b8b5df1996b2:0' >>"$work/out.dll"
}
nothing() { :; }

check_version() {
  local said
  said="$("$resmelder" get-version "$work/out.dll" 2>/dev/null)" || return 1
  grep -q $'^FileVersion\t1\.2\.3\.4$' <<<"$said" && grep -q $'\tCompanyName\tBench Co$' <<<"$said"
}
# The program's icon is its first icon group, as Explorer shows it; afterwards that group
# lists as many images as the icon file holds.
first_group="$("$resmelder" list "$work/in.dll" | awk -F'\t' '$1 == 14 { print $2; exit }')"
first_group="${first_group:-#1}"
check_icon() {
  local group images
  group="$("$resmelder" get "$work/out.dll" "$first_group" --type GROUP_ICON 2>/dev/null |
    od -An -tu2 -j4 -N2)" || return 1
  images="$(od -An -tu2 -j4 -N2 "$work/app.ico")"
  [[ -n "$group" && "${group// /}" == "${images// /}" ]]
}
check_blob() { "$resmelder" get "$work/out.dll" BLOB --type RCDATA 2>/dev/null | cmp -s - "$work/blob.bin"; }

# --- The table ---------------------------------------------------------------------------

declare -A result
run_row() {
  local task="$1" check="check_$1"
  local in="$work/in.dll" out="$work/out.dll"
  local -a ours=() rcedit=() resedit=() postject=()
  case "$task" in
    version)
      ours=(set-version "$in" --file-version 1.2.3.4 --string "CompanyName=Bench Co")
      rcedit=(--set-file-version 1.2.3.4 --set-version-string CompanyName "Bench Co")
      resedit=(--file-version 1.2.3.4 --company-name "Bench Co")
      ;;
    icon)
      ours=(set-icon "$in" "$work/app.ico")
      rcedit=(--set-icon "$(z "$work/app.ico")")
      resedit=(--icon "$first_group,$work/app.ico")
      ;;
    blob)
      ours=(add-file "$in" BLOB "$work/blob.bin")
      # resedit-cli's raw form: TYPE,ID,@FILE takes the bytes of FILE.
      resedit=(--raw "rcdata,BLOB,@$work/blob.bin")
      postject=("$out" BLOB "$work/blob.bin")
      ;;
  esac
  result[$task,ours]="$(cell nothing "$check" "$resmelder" "${ours[@]}" -o "$out")"
  result[$task,ours_wine]="missing"
  if [[ -f "$resmelder_exe" ]] && wine_ok; then
    local wine_args=("${ours[@]}")
    wine_args[1]="$(z "$in")"
    [[ "$task" == icon ]] && wine_args[2]="$(z "$work/app.ico")"
    [[ "$task" == blob ]] && wine_args[3]="$(z "$work/blob.bin")"
    result[$task,ours_wine]="$(cell nothing "$check" "$WINE64" "$resmelder_exe" "${wine_args[@]}" -o "$(z "$out")")"
  fi
  result[$task,rcedit]="—"
  if [[ ${#rcedit[@]} -gt 0 ]]; then
    result[$task,rcedit]="missing"
    if have "$rcedit_exe" && wine_ok; then
      result[$task,rcedit]="$(cell copy_in "$check" "$WINE64" "$rcedit_exe" "$(z "$out")" "${rcedit[@]}")"
    fi
  fi
  result[$task,resedit]="missing"
  if have "$resedit_cli"; then
    result[$task,resedit]="$(cell nothing "$check" "$node" "$resedit_cli" --in "$in" --out "$out" "${resedit[@]}")"
  fi
  result[$task,postject]="—"
  if [[ ${#postject[@]} -gt 0 ]]; then
    result[$task,postject]="missing"
    if have "$postject_cli"; then
      result[$task,postject]="$(cell copy_in_with_fuse "$check" "$node" "$postject_cli" "${postject[@]}")"
    fi
  fi
}

for task in version icon blob; do
  run_row "$task"
done

ms() { [[ "$1" =~ ^[0-9]+$ ]] && echo "$1 ms" || echo "$1"; }
printf '\n%s, %s bytes; median of %s whole-process runs, each output read back by Resmelder\n\n' \
  "$(basename "$program")" "$(stat -c %s "$program")" "$runs"
printf '| task | Resmelder (native) | Resmelder (Wine) | rcedit (Wine) | resedit (node) | postject (node) |\n'
printf '|---|---|---|---|---|---|\n'
declare -A titles=([version]="set a version string and the file version"
                   [icon]="replace the icon" [blob]="inject an 8 MB blob as RCDATA")
for task in version icon blob; do
  printf '| %s | %s | %s | %s | %s | %s |\n' "${titles[$task]}" \
    "$(ms "${result[$task,ours]}")" "$(ms "${result[$task,ours_wine]}")" \
    "$(ms "${result[$task,rcedit]}")" "$(ms "${result[$task,resedit]}")" \
    "$(ms "${result[$task,postject]}")"
done
