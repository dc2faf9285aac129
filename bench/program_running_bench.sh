#!/usr/bin/env bash
# Messages.exe running under Wine in the tray with the settings window hidden: processor time
# and private (anonymous resident) memory of its process, read from Linux over SECONDS
# (default 20), with a phrase every second shown for 50 ms.
#   bench/program_running_bench.sh [SECONDS]
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/script/lib/wine.sh"
source "$root/script/lib/xvfb.sh"
seconds="${1:-20}"

exe="$root/build/windows/messages/Messages.exe"
[[ -f "$exe" ]] || { echo "build the windows preset first: $exe is missing" >&2; exit 1; }
folder="$(mktemp -d)"
mkdir -p "$folder/Lists"
cp "$exe" "$folder/"
printf '1Calm\r\n1Focus' >"$folder/_._"
printf '1I am calm\r\n1I breathe slowly' >"$folder/Lists/Calm.lst"
printf '1I see clearly' >"$folder/Lists/Focus.lst"
printf 'Arial\r\n24\r\nFalse\r\nFalse\r\n255\r\n50\r\n1' >"$folder/__.__"

wine_env "$root/build/windows/wineprefix"
ensure_display || exit 1
cleanup() {
  [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null
  wine_stop_server
  stop_display
  rm -rf "$folder"
}
trap cleanup EXIT
wine_keep_server 60

(cd "$folder" && exec "$WINE64" Messages.exe >/dev/null 2>&1 </dev/null) &
pid=$!
sleep 5  # past the start-up
ticks="$(getconf CLK_TCK)"
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before="$(cpu)"
start_ns="$(date +%s%N)"
sleep "$seconds"
after="$(cpu)"
end_ns="$(date +%s%N)"
anon_kb="$(awk '/RssAnon/ {print $2}' "/proc/$pid/status")"
rss_kb="$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")"
awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$start_ns" -v e="$end_ns" \
  -v anon="$anon_kb" -v rss="$rss_kb" -v secs="$seconds" 'BEGIN {
    wall = (e - s) / 1e9
    printf "Messages.exe under Wine, %d s in the tray, settings window hidden, a phrase every second:\n", secs
    printf "  processor %.3f %% of one core (goal < 0.5 %%)\n", 100 * (a - b) / t / wall
    printf "  private (anonymous resident) memory %.1f MB; resident set %.1f MB\n", anon / 1024, rss / 1024
  }'
