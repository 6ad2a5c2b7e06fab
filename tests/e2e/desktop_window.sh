#!/usr/bin/env bash
# The game on a 1920 x 1080 screen. First with no window manager, as in a kiosk or a cabinet:
# full screen still covers the whole screen with a 1440 x 1080 picture between black bars, and F11
# goes to a window and back. Then with a window manager, as on a laptop or desktop: the window
# opens at 2x (1280 x 960), can be resized, keeps a crisp 4:3 picture with black bars at any
# size, and F11 / Alt+Enter switch to full screen and back, remembered in the settings file.
# Usage: desktop_window.sh PATH_TO_SKYPOP
set -u
game_bin=$(realpath "$1")

for tool in Xvfb xdotool xwininfo xprop openbox convert import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (tools/install_deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/desktop_window_fail.png
  echo "FAIL: $*"
  exit 1
}

# -displayfd picks a free display number; SKYPOP_E2E_DISPLAY (":131" or "131") pins one instead.
if [ -n "${SKYPOP_E2E_DISPLAY:-}" ]; then
  echo "${SKYPOP_E2E_DISPLAY#:}" >"$work/display"
  Xvfb ":${SKYPOP_E2E_DISPLAY#:}" -screen 0 1920x1080x24 -nolisten tcp 2>"$work/xvfb.log" &
  pids+=($!)
  sleep 1
  kill -0 "${pids[0]}" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
else
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
fi
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

# Starts the game with these options and finds its window.
start_game() {
  (cd "$work" && SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work" exec "$game_bin" --data-dir . "$@" \
    2>"$work/game.log") &
  game_pid=$!
  pids=("$game_pid" "${pids[@]}")
  window=$(timeout 15 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' | head -1)
  [ -n "$window" ] || fail "no visible window named SKYPOP FRENZY"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
  sleep 1
}

size() { xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# Waits up to 5 s for the window to reach a size (the window manager takes its time).
wait_size() {
  for _ in $(seq 50); do
    [ "$(size)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
# Waits up to 5 s for the settings file to hold a line.
wait_setting() {
  for _ in $(seq 50); do
    grep -qx "$1" "$work/skypop/skypop.cfg" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
key() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus "$window"
  xdotool keydown "$1"
  sleep 0.06
  xdotool keyup "$1"
}

# The window manager may resize it: its hints must not pin one size.
check_resizable() {
  local hints min max
  hints=$(xprop -id "$window" WM_NORMAL_HINTS)
  min=$(echo "$hints" | awk '/minimum size/ { print $NF }')
  max=$(echo "$hints" | awk '/maximum size/ { print $NF }')
  [ -z "$max" ] || [ "$min" != "$max" ] || fail "$1: the window is pinned to $max: $hints"
}

# The picture inside the window, expected at expect_w x expect_h and centred. The playfield's
# own background is black like the bars, but the score column runs the picture's full height
# along its right edge: the box of everything not black gives the picture's top, bottom and
# right edge. At a whole multiple every picture pixel must be an exact square block.
check_picture() {
  local expect_w=$1 expect_h=$2 scale=$3 win_w win_h w h x y
  read -r win_w win_h <<<"$(size | tr x ' ')"
  xdotool mousemove 1919 1079  # X's own pointer would show in the shot
  sleep 0.2
  import -window "$window" "$work/shot.png" || fail "no screenshot"
  # A black frame first, so that every corner tells -trim what the background is.
  read -r w h x y <<<"$(convert "$work/shot.png" -bordercolor black -border 1 -fuzz 2% -trim \
    -format '%w %h %X %Y' info: | tr -d +)"
  x=$((x - 1))
  y=$((y - 1))
  [ "$h" -eq "$expect_h" ] && [ $((y - (win_h - expect_h) / 2)) -le 1 ] &&
    [ $((x + w - (win_w + expect_w) / 2)) -le 1 ] && [ $(((win_w + expect_w) / 2 - x - w)) -le 1 ] ||
    fail "picture box ${w}x${h}+${x}+${y} in a ${win_w}x${win_h} window, expected a centred ${expect_w}x${expect_h}"
  if [ "$scale" -gt 1 ]; then
    # Shrunk by the scale with point sampling and grown back, a crisp picture is unchanged.
    convert "$work/shot.png" -sample "$((100 / scale))%" -sample "$((100 * scale))%" "$work/back.png"
    diff=$(compare -metric AE "$work/shot.png" "$work/back.png" null: 2>&1)
    [ "$diff" = "0" ] || fail "picture at ${scale}x is not crisp: $diff pixels differ"
  fi
}

# Escape, and the game must end by itself with status 0.
quit_game() {
  key Escape
  wait "$game_pid" || fail "exit code $?; $(cat "$work/game.log")"
}

start_game
[ "$(size)" = "1920x1080" ] || fail "full screen without a window manager is $(size)"
check_picture 1440 1080 1
key F11
wait_size 1280x960 || fail "F11 without a window manager gave a $(size) window"
key F11
wait_size 1920x1080 || fail "F11 without a window manager gave $(size), not full screen"
check_picture 1440 1080 1
quit_game
rm -f "$work/skypop/skypop.cfg"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done

start_game -w
[ "$(size)" = "1280x960" ] || fail "window opened at $(size), expected 1280x960"
check_resizable "first opened"
check_picture 1280 960 2  # the whole window is the picture here

xdotool windowsize --sync "$window" 1000 600
wait_size 1000x600 || fail "window could not be resized: $(size)"
check_picture 800 600 1

key F11
wait_size 1920x1080 || fail "F11 did not give full screen: $(size)"
wait_setting "fullscreen = yes" || fail "full screen not remembered"
key alt+Return
wait_size 1280x960 || fail "Alt+Enter did not give back a 1280x960 window: $(size)"
check_resizable "after Alt+Enter"
wait_setting "fullscreen = no" || fail "window not remembered: $(cat "$work/skypop/skypop.cfg")"

quit_game
echo "PASS: full screen without a window manager, 1280x960 resizable window, 4:3 crisp picture," \
  "F11 and Alt+Enter remembered"
