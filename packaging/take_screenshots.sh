#!/usr/bin/env bash
# Retakes the software-centre screenshots from the real game on a 640 x 480 Xvfb screen: the
# title, a wave in progress (a little robot player pops whatever balloon it sees) and the name
# entry that follows. Look at the pictures before committing them.
# Usage: packaging/take_screenshots.sh PATH_TO_SKYPOP [DISPLAY_NUMBER]
set -eu
game_bin=$(realpath "$1")
display_number=${2:-150}
out=$(cd "$(dirname "$0")" && pwd)/screenshots

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill -TERM "$game_pid" 2>/dev/null
  sleep 0.5
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb ":$display_number" -screen 0 640x480x24 -nolisten tcp 2>"$work/xvfb.log" &
xvfb_pid=$!
export DISPLAY=":$display_number"
sleep 1
kill -0 "$xvfb_pid" || { echo "Xvfb :$display_number did not start: $(cat "$work/xvfb.log")"; exit 1; }

# A modest table, so that the robot's score earns the name entry.
mkdir -p "$work/data/skypop"
printf '%s\n' '3000 NORVE.@@@@' '2400 SKY@@@@@@@' '1800 POP.POP@@@' '900 ACE@@@@@@@' \
  '500 Z@@@@@@@@@' | tee "$work/KIPO.INI" >"$work/data/skypop/KIPO.INI"
(cd "$work" && XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy exec "$game_bin") &
game_pid=$!
window=$(timeout 15 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' | head -1)
xdotool windowfocus --sync "$window"
shoot() { import -window root "$out/$1.png"; }
click_at() {
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.06
  xdotool mouseup 1
  # Park the cross-hair on the score column, where the robot does not look for balloons.
  xdotool mousemove 600 460
}

sleep 6
xdotool mousemove 300 230
sleep 0.3
shoot title
click_at 240 240
sleep 3

# The robot: the brightest 10 x 10 cell of the playfield is most likely a balloon.
brightest() {
  import -window root png:- | convert - -crop 480x440+0+40 +repage -scale 10% -depth 8 gray:- |
    od -An -v -tu1 -w48 |
    awk '{ for (i = 1; i <= NF; ++i) if ($i > best) { best = $i; x = i; y = NR } }
         END { if (best > 60) print (x - 1) * 10 + 5, 40 + (y - 1) * 10 + 5 }'
}
for turn in $(seq 160); do
  target=$(brightest)
  if [ "$turn" -eq 40 ] && [ -n "$target" ]; then
    # The cross-hair on the balloon it is about to pop.
    xdotool mousemove $target
    sleep 0.05
    shoot wave
  fi
  [ -n "$target" ] && click_at $target
  sleep 0.15
done
sleep 4
# Name entry: J, O, Y clicked on the letter grid (rows 32 pixels apart, A at 55, 343).
click_at 343 343
sleep 0.3
click_at 87 375
sleep 0.3
click_at 407 375
xdotool mousemove 215 343
sleep 0.5
shoot name-entry
echo "wrote $out/title.png, wave.png, name-entry.png"
