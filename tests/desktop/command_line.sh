#!/bin/bash
# The real binary before any window: --help, --version and a bad command line answer at once
# and never reach the screen (a video driver that does not exist would make any window attempt
# fail loudly); without a display the game says so and ends with status 1 within a second.
set -u
game_bin=$(realpath "$1")
work=$(mktemp -d /tmp/skypop_cli_XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs the game in a scratch home with `env` settings; leaves status, stdout, stderr and the
# time taken in milliseconds.
run() {
  local start end
  start=$(date +%s%N)
  (cd "$work" && export HOME="$work" XDG_DATA_HOME='' XDG_CONFIG_HOME='' SDL_AUDIODRIVER=dummy &&
    env "$@" >"$work/out" 2>"$work/err")
  status=$?
  end=$(date +%s%N)
  elapsed=$(((end - start) / 1000000))
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

for help in -h --help; do
  run SDL_VIDEODRIVER=nosuch "$game_bin" "$help"
  [ "$status" -eq 0 ] || fail "$help: status $status"
  [[ "$out" == "Usage: skypop"* ]] || fail "$help: no usage on stdout: $out"
  [ -z "$err" ] || fail "$help: stderr says: $err"
done

run SDL_VIDEODRIVER=nosuch "$game_bin" --version
[ "$status" -eq 0 ] && [[ "$out" =~ ^skypop\ [0-9]+\.[0-9]+\.[0-9]+$ ]] && [ -z "$err" ] ||
  fail "--version: status $status, stdout '$out', stderr '$err'"

run SDL_VIDEODRIVER=nosuch "$game_bin" --volume 120
[ "$status" -eq 2 ] || fail "bad value: status $status"
[ -z "$out" ] || fail "bad value: stdout says: $out"
[ "$(wc -l <"$work/err")" -eq 1 ] && [[ "$err" == *"skypop --help"* ]] ||
  fail "bad value: not one line with a hint: $err"

# A driver that cannot start is a failure, not a quiet success.
run SDL_VIDEODRIVER=nosuch "$game_bin"
[ "$status" -eq 1 ] || fail "unknown video driver: status $status"
[[ "$err" == "skypop: no display: "* ]] || fail "unknown video driver: stderr says: $err"

# No display at all: no invisible fallback window, one line, status 1, at once.
run -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$game_bin"
[ "$status" -eq 1 ] || fail "no display: status $status"
[[ "$err" == "skypop: no display: DISPLAY is not set"* ]] || fail "no display: stderr says: $err"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "no display: more than one line: $err"
[ "$elapsed" -lt 1000 ] || fail "no display: took $elapsed ms"
[ ! -e "$work/.config" ] && [ ! -e "$work/.local" ] || fail "files written by a run that never began"

# What the environment gave is quoted with its control characters escaped, on one line.
run -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=$':9\e[31m\nX' "$game_bin"
[ "$status" -eq 1 ] && [[ "$err" == 'skypop: no display: cannot open display ":9\x1b[31m\nX" ('* ]] ||
  fail "odd DISPLAY: status $status, stderr says: $err"

# A soundfont that cannot be used gives one line with the reason, and nothing from FluidSynth.
printf 'RIFF\x10\x00\x00\x00sfbkLIST' >"$work/cut.sf2"
for font in "cut.sf2: it is 16 bytes long where its header says 24 (cut short)" \
  "missing.sf2: No such file or directory"; do
  log=$work/${font%%:*}.log
  (cd "$work" && export HOME="$work" XDG_DATA_HOME='' XDG_CONFIG_HOME='' SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy && exec "$game_bin" --soundfont "$work/${font%%:*}") 2>"$log" &
  game_pid=$!
  for _ in $(seq 50); do grep -qs 'soundfont' "$log" && break || sleep 0.1; done
  kill -TERM "$game_pid" && wait "$game_pid"
  err=$(grep -v 'no General-MIDI soundfont found' "$log")
  [ "$err" = "skypop: cannot use soundfont $work/$font; trying the game's own" ] ||
    fail "soundfont ${font%%:*}: stderr says: $(cat "$log")"
done

# Standard error a pipe nobody reads any more (`skypop 2>&1 | true`) and a settings file to warn
# about: the warning's write fails, and the game plays on and ends cleanly on SIGTERM.
mkdir -p "$work/.config/skypop" && echo junk >"$work/.config/skypop/skypop.cfg"
exec {closed}> >(:)
wait $!
(cd "$work" && export HOME="$work" XDG_DATA_HOME='' XDG_CONFIG_HOME='' SDL_VIDEODRIVER=dummy \
  SDL_AUDIODRIVER=dummy && exec "$game_bin") 2>&$closed &
game_pid=$!
exec {closed}>&-
sleep 1.5
kill -TERM "$game_pid"
wait "$game_pid"
status=$?
[ "$status" -eq 0 ] || fail "closed standard error: status $status (141: ended by SIGPIPE)"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: help, version, bad options, missing displays, bad soundfonts, closed standard error"
