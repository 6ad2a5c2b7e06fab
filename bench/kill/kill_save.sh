#!/usr/bin/env bash
# Kills the real game with SIGKILL at random moments of its quit-and-save, 100 times, and checks
# the score file after each: it must always hold a whole table, the old one or the new one.
# Headless (dummy video and audio drivers); the quit is a SIGTERM, as a session ending sends.
#   bench/kill/kill_save.sh BUILD_DIR [RUNS]
set -u
build=${1:-build}
runs=${2:-100}
game=$(cd "$build" && pwd)/skypop
[ -x "$game" ] || { echo "kill: $game is not built" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A table unlike the defaults, so a file rewritten from scratch would show too.
table="9990 KILL@TEST@
8880 ABCDEFGHIJ
7770 @@@@@@@@@@
660 Q
50 Z.Z.Z.Z.Z."
missing=0 empty=0 truncated=0 killed_during=0 mid_save=0
for ((i = 1; i <= runs; i++)); do
  dir="$work/run$i"
  mkdir "$dir"
  printf '%s\n' "$table" >"$dir/KIPO.INI"
  (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$dir" \
    exec "$game" --data-dir . >/dev/null 2>&1) &
  pid=$!
  # Let it start (and read the table) before asking it to quit.
  sleep 0.4
  kill -TERM "$pid" 2>/dev/null
  # Here the save opens its temporary file about 9 ms after the signal and renames it about
  # 18 ms after; the game is gone after 80-120 ms. Kills spread over the first 40 ms.
  sleep "0.$(printf '%06d' $((RANDOM % 40000)))"
  kill -0 "$pid" 2>/dev/null && killed_during=$((killed_during + 1))
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  file="$dir/KIPO.INI"
  [ -e "$file.tmp" ] && mid_save=$((mid_save + 1))
  if [ ! -e "$file" ]; then
    missing=$((missing + 1))
  elif [ ! -s "$file" ]; then
    empty=$((empty + 1))
  elif [ "$(cat "$file")" != "$table" ] || [ -n "$(tail -c 1 "$file")" ]; then
    # The game writes this table back exactly as it read it; anything else is a torn file.
    truncated=$((truncated + 1))
  fi
  rm -rf "$dir"
done
lost=$((missing + empty + truncated))
echo "kill: $runs SIGKILLs during quit-and-save ($killed_during while the game still ran," \
  "$mid_save inside the save itself): $missing missing, $empty empty, $truncated truncated"
[ "$lost" -eq 0 ]
