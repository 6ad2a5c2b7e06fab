#!/usr/bin/env bash
# CPU of the running game through a whole wave, focused, on a 640 x 480 Xvfb screen, beside the
# floor program (a bare loop that only presents a 640 x 480 texture) over the same time in the
# same run. Prints the share of one core each used and the game's ratio to the floor (target:
# within 1.3). Usage: bench/frame/wave_cpu.sh [BUILD_DIR] [SECONDS]   (defaults: build, 47 —
# the length of a wave in which nothing is popped)
set -u
build=${1:-build}
seconds=${2:-47}
source "$(dirname "$0")/../cpu_common.sh"
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 1; }
done

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=("$!")
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"

# Starts a program, focuses its window, runs `after_start`, then prints its CPU over $seconds.
measure() {
  local name=$1 after_start=$2
  shift 2
  (cd "$work" && SDL_AUDIODRIVER=dummy exec "$@" >/dev/null 2>&1) &
  local pid=$!
  pids+=("$pid")
  local window
  window=$(timeout 10 xdotool search --sync --onlyvisible --name "$name" | head -1)
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 1
  $after_start
  local a b
  a=$(cpu_ticks "$pid")
  sleep "$seconds"
  b=$(cpu_ticks "$pid")
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  awk -v a="$a" -v b="$b" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", (b - a) * 100 / hz / s }'
}

nothing() { :; }
# A click held like a person's starts the game from the title; the wave follows START.
start_wave() {
  xdotool mousemove 240 300 mousedown 1
  sleep 0.06
  xdotool mouseup 1
}

floor_cpu=$(measure "CPU FLOOR" nothing "$floor")
game_cpu=$(measure "SKYPOP FRENZY" start_wave "$game")
echo "CPU over $seconds s on Xvfb 640x480, percent of one core ($(nproc) cores here)"
awk -v g="$game_cpu" -v f="$floor_cpu" \
  'BEGIN { printf "floor %5.1f %%   game (START and wave) %5.1f %%   game/floor %.2f (target 1.3)\n", f, g, (f > 0 ? g / f : 0) }'
