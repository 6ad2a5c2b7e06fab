#!/usr/bin/env bash
# The Windows build's figures beside the desktop build's, on this machine: the size of skypop.exe
# and of its zip; the time from start to the first frame on a 640 x 480 Xvfb screen (no window
# manager), for skypop.exe under Wine, cold (Wine's server not yet running) and warm (running, as
# the system is on a player's Windows), and for the desktop build; the presenter's wall time per
# frame on both (the desktop's without its vsync wait).
# Usage: bench/windows/measure.sh WINDOWS_BUILD BENCH_BUILD [RUNS]
#   WINDOWS_BUILD: `make windows`'s build-windows; BENCH_BUILD: a desktop build with SKYPOP_BENCH
#   (build-bench), which has skypop, bench_present and first_frame_watch.
set -u
windows_build=$(realpath "$1")
bench_build=$(realpath "$2")
runs=${3:-5}
exe="$windows_build/skypop.exe"
game="$bench_build/skypop"
watch="$bench_build/bench/windows/first_frame_watch"
[ -f "$exe" ] && [ -x "$game" ] && [ -x "$watch" ] ||
  { echo "build skypop.exe (make windows) and skypop, first_frame_watch in $2 first"; exit 1; }
cmake --build "$windows_build" --target bench_present >/dev/null || exit 1
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo "$(dirname "$(realpath "$wine")")/wineserver")

work=$(mktemp -d)
xvfb_pid=""
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "skypop.exe: $(stat -c %s "$exe") bytes"
for zip in "$windows_build"/skypop-*-windows-x64.zip; do echo "$(basename "$zip"): $(stat -c %s "$zip") bytes"; done

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
"$wine" "$exe" --version >/dev/null 2>&1  # makes the prefix

# One run: the watcher and the game start together; the watcher prints the milliseconds until
# the score column's colour appears at (560, 240), the first frame; then Escape ends the game.
one_run() {
  "$watch" 560 240 232318 >"$work/first" &
  local watcher=$!
  "$@" >/dev/null 2>&1 &
  local pid=$!
  wait "$watcher"
  local window
  window=$(timeout 10 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY' | head -1)
  [ -n "$window" ] && { xdotool keydown Escape; sleep 0.06; xdotool keyup Escape; }
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  cat "$work/first"
}

report() {
  local label=$1 before=$2
  shift 2
  local times=()
  for _ in $(seq "$runs"); do
    $before
    times+=("$(one_run "$@")")
  done
  echo "$label: ${times[*]} ms"
}

stop_wineserver() {
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null
}
keep_wineserver() {
  "$wineserver" -p 2>/dev/null
}

mkdir -p "$work/linux"
report "first frame, skypop.exe under Wine, cold" stop_wineserver "$wine" "$exe"
report "first frame, skypop.exe under Wine, warm" keep_wineserver "$wine" "$exe"
report "first frame, desktop build (SDL)" true env SDL_AUDIODRIVER=dummy \
  XDG_CONFIG_HOME="$work/linux" "$game" --data-dir "$work/linux"

echo "Windows (GDI under Wine): $("$wine" "$windows_build/bench/present/bench_present.exe" 600 2>/dev/null | tr -d '\r')"
echo "desktop (SDL, vsync off): $(SDL_RENDER_VSYNC=0 "$bench_build/bench/present/bench_present" 600 2>/dev/null)"
