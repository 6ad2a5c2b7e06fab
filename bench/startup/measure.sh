#!/usr/bin/env bash
# Time from starting the game to its first frame on screen, a few runs each under SDL's dummy
# video driver and on a 640 x 480 Xvfb screen with a window manager (which focuses the new window,
# as a desktop does). Usage: bench/startup/measure.sh BUILD_DIR [RUNS]
set -u
build=${1:-build}
runs=${2:-5}
game=$(realpath "$build/skypop")
shim=$(realpath "$build/bench/startup/startup_shim.so")
[ -x "$game" ] && [ -f "$shim" ] || { echo "build skypop and first_present_shim first"; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# One run: start the game, wait for its first present, quit it. Prints milliseconds.
one_run() {
  rm -f "$work/first"
  local start
  start=$(date +%s%N)
  (cd "$work" && SDL_AUDIODRIVER=dummy SKYPOP_FIRST_FRAME_FILE="$work/first" \
     LD_PRELOAD="$shim" exec timeout -k 2 20 "$game") >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 200); do
    [ -s "$work/first" ] && break
    sleep 0.05
  done
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ -s "$work/first" ]; then
    echo $(( ($(cat "$work/first") - start) / 1000000 ))
  else
    echo "none"
  fi
}

report() {
  local label=$1
  shift
  local times=()
  for _ in $(seq "$runs"); do times+=("$("$@")"); done
  echo "$label: ${times[*]} ms (target under 300 ms)"
}

SDL_VIDEODRIVER=dummy report "dummy video driver" one_run

if command -v Xvfb >/dev/null && command -v openbox >/dev/null; then
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$work/display")"
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
  report "Xvfb 640x480 with a window manager" one_run
fi
