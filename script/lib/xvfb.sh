# Sourced by the scripts: starts Xvfb on a free display when DISPLAY is unset.
# After `ensure_display [WIDTHxHEIGHTxDEPTH]`, XVFB_PID is set when this shell started a server;
# `stop_display` stops it.

XVFB_PID=""

ensure_display() {
  if [[ -n "${DISPLAY:-}" ]]; then
    return 0
  fi
  local n screen="${1:-1280x800x24}"
  for n in $(seq 90 200); do
    if [[ ! -e /tmp/.X${n}-lock && ! -e /tmp/.X11-unix/X${n} ]]; then
      Xvfb ":${n}" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
      XVFB_PID=$!
      local tries
      for tries in $(seq 1 100); do
        if [[ -e /tmp/.X11-unix/X${n} ]]; then
          export DISPLAY=":${n}"
          return 0
        fi
        if ! kill -0 "$XVFB_PID" 2>/dev/null; then
          break # lost the race for this number; try the next one
        fi
        sleep 0.05
      done
      kill "$XVFB_PID" 2>/dev/null || true
      XVFB_PID=""
    fi
  done
  echo "xvfb: no free display" >&2
  return 1
}

stop_display() {
  if [[ -n "$XVFB_PID" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
