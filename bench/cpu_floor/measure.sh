#!/usr/bin/env bash
# Measures the CPU the game uses on its title screen beside the floor program (cpu_floor), each
# over the same number of seconds, under a 640 x 480 Xvfb screen and under SDL's dummy video
# driver. Prints the share of one core each used and the game's ratio to the floor.
# Usage: bench/cpu_floor/measure.sh [SECONDS] [BUILD_DIR]     (defaults: 20, build)
set -u
seconds=${1:-20}
build=${2:-build}
source "$(dirname "$0")/../cpu_common.sh"

# Percent of one core that process $1 uses over $seconds, after a settling second; with a second
# pid (the X server), its share over the same seconds follows after a slash.
sample() {
  sleep 1
  local a b xa=0 xb=0
  a=$(cpu_ticks "$1")
  [ -n "${2:-}" ] && xa=$(cpu_ticks "$2")
  sleep "$seconds"
  b=$(cpu_ticks "$1")
  [ -n "${2:-}" ] && xb=$(cpu_ticks "$2")
  awk -v a="$a" -v b="$b" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", (b - a) * 100 / hz / s }'
  [ -n "${2:-}" ] && awk -v a="$xa" -v b="$xb" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "/%.1f", (b - a) * 100 / hz / s }'
  return 0
}

# Runs one program (name, command...) in $work, focuses its window under X, prints its CPU.
measure() {
  local name=$1
  shift
  (cd "$work" && exec "$@" >/dev/null 2>&1) &
  local pid=$!
  pids+=("$pid")
  if [ -n "${DISPLAY:-}" ] && [ "${SDL_VIDEODRIVER:-}" != dummy ]; then
    local window
    window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
    [ -z "$window" ] && window=$(timeout 10 xdotool search --sync --onlyvisible --name "$name" | head -1)
    [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  fi
  local result
  result=$(sample "$pid" "${xvfb:-}")
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "$result"
}

ratio() { awk -v g="$1" -v f="$2" 'BEGIN { if (f > 0) printf "%.2f", g / f; else print "n/a" }'; }

report() {
  local label=$1 floor_cpu=${2%%/*} game_cpu=${3%%/*}
  printf '%-22s floor %5s %%   game %5s %%   game/floor %s\n' "$label" "$floor_cpu" "$game_cpu" \
    "$(ratio "$game_cpu" "$floor_cpu")"
  if [ "$2" != "$floor_cpu" ]; then
    printf '%-22s X server beside the floor %s %%, beside the game %s %%\n' "" "${2#*/}" "${3#*/}"
  fi
}

echo "CPU over $seconds s, percent of one core ($(nproc) cores here)"

if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$work/display")"
  floor_cpu=$(measure "CPU FLOOR" "$floor")
  game_cpu=$(SDL_AUDIODRIVER=dummy measure "SKYPOP FRENZY" "$game")
  report "Xvfb 640x480:" "$floor_cpu" "$game_cpu"
  kill "$xvfb" 2>/dev/null
  xvfb=""
  unset DISPLAY
else
  echo "Xvfb or xdotool missing: skipping the X measurement"
fi

export SDL_VIDEODRIVER=dummy
floor_cpu=$(measure "CPU FLOOR" "$floor")
game_cpu=$(SDL_AUDIODRIVER=dummy measure "SKYPOP FRENZY" "$game")
report "dummy video driver:" "$floor_cpu" "$game_cpu"
