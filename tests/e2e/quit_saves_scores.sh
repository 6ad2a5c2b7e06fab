#!/usr/bin/env bash
# Starts the game on its own 640 x 480 Xvfb screen in an empty directory, checks the window,
# focuses it, quits it one way (escape | alt_f4 | terminate | hangup) and checks that it ended with code 0
# and left the built-in high-score table in KIPO.INI.
# locked_escape, locked_terminate: another program holds both folders' locks; M is said at once,
# the quit ends the game within about 2 s, the settings are written at quit once free, the table
# not. ranked_escape: a wave played to the name entry with the score folder locked, OK (said at
# once), then Escape: a message box appears within about 2 s.
# When ICON_FILE exists the game embeds it, and the window must carry an icon.
# Usage: quit_saves_scores.sh PATH_TO_SKYPOP WAY [ICON_FILE]
set -u
game_bin=$1
way=${2:-escape}
icon_file=${3:-}
case "$way" in locked_* | ranked_*) quit=${way#*_} ;; *) quit=$way ;; esac

for tool in Xvfb xdotool xwininfo xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (tools/install_deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

# A screen of exactly 640 x 480 needs no window manager for full screen; -displayfd picks a free
# display number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display_number=$(head -1 "$work/display")
export DISPLAY=":$display_number"
# The server answering there must be ours: alive, and holding the display's listening socket
# (Xvfb started with -displayfd leaves no lock file to look at).
own_server() {
  kill -0 "$xvfb_pid" 2>/dev/null || return 1
  local inode
  for inode in $(awk -v p="/tmp/.X11-unix/X$display_number" '$8 == p || $8 == "@" p {print $7}' /proc/net/unix); do
    ls -l "/proc/$xvfb_pid/fd" 2>/dev/null | grep -q "socket:\[$inode\]" && return 0
  done
  return 1
}
own_server || fail "the X server on $DISPLAY is not the one this test started"

# Another program's locks, held by this shell (the game does not inherit them).
mkdir "$work/skypop"
if [ "$quit" != "$way" ]; then
  exec 8<"$work" && flock -x 8
  [ "${way%%_*}" = locked ] && exec 9<"$work/skypop" && flock -x 9
  printf '3000 A\n2500 B\n2000 C\n1500 D\n-1 E\n' >"$work/KIPO.INI"  # a score of 0 ranks
fi

# The table stays in the working directory, and no settings of the person running the tests
# (a window instead of full screen, say) reach the game.
(cd "$work" && SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work" exec "$game_bin" --data-dir . \
  2>"$work/game.log" 8<&- 9<&-) &
game_pid=$!

window=$(timeout 15 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' | head -1)
[ -n "$window" ] || fail "no visible window named SKYPOP FRENZY"
geometry=$(xwininfo -id "$window")
echo "$geometry" | grep -q "Width: 640" || fail "window is not full screen: $geometry"
echo "$geometry" | grep -q "Height: 480" || fail "window is not full screen: $geometry"
if [ -n "$icon_file" ] && [ -f "$icon_file" ]; then
  xprop -id "$window" _NET_WM_ICON | grep -q "_NET_WM_ICON(CARDINAL) =" || fail "window has no icon"
fi

# With the focus taken away the game is not the active application: Escape must not end it,
# even though X still delivers the key to the window under the pointer.
if [ "$way" = escape ]; then
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  xdotool windowfocus --sync "$root" || fail "could not move the focus away"
  sleep 0.3
  xdotool keydown Escape; sleep 0.06; xdotool keyup Escape
  sleep 0.5
  kill -0 "$game_pid" 2>/dev/null || fail "Escape ended the game while it was not active"
fi

# Without a window manager nothing gives the new window the keyboard: focus it, then give the
# game a moment to see the activation before the key arrives.
xdotool windowfocus --sync "$window" || fail "could not focus the window"
sleep 0.5

press() { for key in "$@"; do xdotool keydown "$key"; sleep 0.06; xdotool keyup "$key"; sleep 0.2; done; }
said_at_once() { timeout 1 tail -f "$work/game.log" | grep -q "$1" || fail "not said at once: $1"; }
lock_held="another program holds the lock on its folder"
if [ "${way%%_*}" = locked ]; then
  press m
  said_at_once "skypop.cfg: $lock_held; the game tries again when it ends"
  exec 9<&-
elif [ "${way%%_*}" = ranked ]; then
  xdotool mousemove --window "$window" 320 240 mousedown 1 sleep 0.06 mouseup 1
  # The name entry's OK button is drawn in dark red (104, 0, 20): wait for it, a wave at most.
  for _ in $(seq 240); do
    import -window "$window" -crop 48x32+184+424 +repage -format %c histogram:info:- |
      awk '/srgb\(104,0,20\)/ && $1 + 0 > 100 { found = 1 } END { exit !found }' && break
    sleep 1
  done
  press x x Left x  # AA, OK
  said_at_once "KIPO.INI: $lock_held; high scores not saved"
fi
box() { xwininfo -root -tree | grep '"SKYPOP FRENZY"' | grep -vq "$(printf '0x%x' "$window")"; }
start=$(date +%s%N)

case "$quit" in
  escape)
    xdotool keydown Escape; sleep 0.06; xdotool keyup Escape ;;
  alt_f4)
    xdotool keydown alt+F4; sleep 0.06; xdotool keyup alt+F4 ;;
  terminate)
    kill -TERM "$game_pid" ;;
  hangup)
    kill -HUP "$game_pid" ;;
  *) fail "unknown way to quit: $way" ;;
esac

for _ in $(seq 100); do
  kill -0 "$game_pid" 2>/dev/null || break
  [ "$way" = ranked_escape ] && box && break
  sleep 0.1
done
elapsed=$((($(date +%s%N) - start) / 1000000))
# The box does not hold the game against a signal.
[ "$way" = ranked_escape ] && { box || fail "no box at close"; kill -TERM "$game_pid"; sleep 1; }
kill -0 "$game_pid" 2>/dev/null && fail "the game did not quit within 10 s"
wait "$game_pid"
code=$?
game_pid=""
if [ "$quit" != "$way" ]; then
  [ "$way" = ranked_escape ] || [ "$code" -eq 0 ] || fail "exit code $code"
  [ "$elapsed" -lt 4000 ] || fail "the game took $elapsed ms to end or show its box"
  grep -q "KIPO.INI: $lock_held; high scores not saved" "$work/game.log" || fail "$(cat "$work/game.log")"
  [ "${way%%_*}" != locked ] || grep -q "mute = yes" "$work/skypop/skypop.cfg" || fail "settings lost"
  echo "PASS: $way, ended or showed its box $elapsed ms after the quit, exit code $code"
  exit 0
fi
[ "$code" -eq 0 ] || fail "exit code $code"

[ -f "$work/KIPO.INI" ] || fail "no KIPO.INI written"
first=$(head -1 "$work/KIPO.INI")
[ "$first" = "3000 NORVE.@@@@" ] || fail "first line of KIPO.INI is '$first'"
echo "PASS: quit by $way, exit code 0, KIPO.INI starts with '$first'"
