#!/usr/bin/env bash
# The Windows build (build-windows/skypop.exe) played once under Wine on its own 640 x 480 Xvfb
# screen, where full screen is 1:1: the window appears with its icon; the title's fixed areas
# (its title text, the score column) show exactly the pixels the desktop code draws; a click
# starts the game and START appears; Escape quits with exit code 0; the sound thread feeds a
# WASAPI device (Wine's ALSA output made a file) all along; and a table seeded in the Windows
# player's data folder (CRLF line ends, short and blank-padded names) is written back at quit
# byte for byte as the Linux build writes it from the same seed. Before that: --version and
# --help print and exit 0 (the help naming the player's folder), a bad option exits 2, and the
# executable imports only Windows' own DLLs. After it: the session's end (wineboot --end-session)
# saves the table before the process ends, a damaged table's copy taking the next free name
# beside an earlier one; and a lock another program holds makes the save at the end give up with
# its reason. Links cannot be shown: Wine shows a Unix symbolic link as the file it leads to and
# has no mklink, so the link and owner rules go untested here. A missing skypop.exe fails the
# test; a machine without Wine, Xvfb, xdotool, ImageMagick or Python skips it.
# Usage: windows_under_wine.sh SKYPOP_EXE LINUX_SKYPOP REFERENCE_TOOL
set -u
exe=$1
linux_game=$2
reference_tool=$3

fail() {
  [ -n "${work:-}" ] && [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/windows_under_wine_fail.png
  echo "FAIL: $*"
  exit 1
}
[ -f "$exe" ] || fail "$exe is missing: build it with 'make windows'"
exe=$(realpath "$exe")

wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
for tool in "$wine" Xvfb xdotool xwininfo xprop import convert compare x86_64-w64-mingw32-objdump \
  python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (tools/install_deps.sh test windows installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# A sound device for Wine where the machine has none: ALSA's default output becomes a file, so
# the game's sound thread has a WASAPI device to feed.
export HOME="$work/home"
mkdir -p "$HOME"
cat >"$HOME/.asoundrc" <<ALSA
pcm.!default { type file slave.pcm "null" file "$work/sound.raw" format "raw" }
ALSA
# No Mono or Gecko installer dialogs while the prefix is made: the game needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "${holder:-}" ] && kill "$holder" 2>/dev/null
  "$(dirname "$(realpath "$wine")")/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# ---- The executable needs nothing beside Windows ----
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
[ -n "$imports" ] || fail "objdump lists no imports"
for dll in $imports; do
  case "$dll" in
    kernel32.dll | user32.dll | gdi32.dll | winmm.dll | ole32.dll | oleaut32.dll | shell32.dll | \
      advapi32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*) ;;
    *) fail "skypop.exe needs $dll, which is not part of Windows" ;;
  esac
done
echo "imports: $(echo $imports)"

# ---- The seeded table; the reference: the desktop code's own frames from it ----
# The title's score column shows the table's best score, so the reference plays with it too.
printf '5000 ACE\r\n4000 B@@@@@@@@@\r\n3000 NORVE.@@@@\r\n2500 X@Y\r\n1000 @@@@@@@@@@\r\n' \
  >"$work/seed"
mkdir -p "$work/reference"
cp "$work/seed" "$work/reference/KIPO.INI"
printf '0 focus\n100 move 240 300\n101 down\n103 up\n' >"$work/reference/script.txt"
"$reference_tool" "$work/reference/script.txt" "$work/reference" 131 60 130 >/dev/null ||
  fail "the reference tool failed"
for tick in 60 130; do
  convert -size 640x480 -depth 8 "rgba:$work/reference/tick_$tick.rgba" -alpha off \
    "$work/reference/tick_$tick.png" || fail "cannot read the reference frame of tick $tick"
done

# ---- A screen of its own ----
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

# ---- The command line (the first run also makes the Wine prefix, some seconds) ----
# Standard output is text on Windows: its lines end in CRLF.
"$wine" "$exe" --version 2>/dev/null | tr -d '\r' >"$work/out"
code=${PIPESTATUS[0]}
[ "$code" -eq 0 ] || fail "--version exited $code"
grep -qE '^skypop [0-9]+\.[0-9]+\.[0-9]+$' "$work/out" || fail "--version printed: $(cat "$work/out")"
"$wine" "$exe" --help 2>/dev/null | tr -d '\r' >"$work/out"
code=${PIPESTATUS[0]}
[ "$code" -eq 0 ] || fail "--help exited $code"
grep -q '^Usage: skypop \[OPTION\]' "$work/out" || fail "--help printed: $(head -3 "$work/out")"
grep -q "(default C:/users/$(id -un)/AppData/Roaming/skypop)" "$work/out" ||
  fail "--help does not name the data folder: $(grep default "$work/out")"
"$wine" "$exe" --no-such-option >"$work/out" 2>"$work/err"
code=$?
[ "$code" -eq 2 ] || fail "a bad option exited $code"
grep -q "unknown option '--no-such-option'" "$work/err" || fail "a bad option said: $(cat "$work/err")"
echo "--version, --help and a bad option: exit codes 0, 0, 2"

# ---- What the Linux build makes of the seeded table ----
mkdir -p "$work/linux"
cp "$work/seed" "$work/linux/KIPO.INI"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/linux" \
  "$linux_game" --data-dir "$work/linux" --nosound 2>/dev/null &
linux_pid=$!
sleep 1.5
kill -TERM "$linux_pid"
wait "$linux_pid" || fail "the Linux build did not quit cleanly"
cmp -s "$work/seed" "$work/linux/KIPO.INI" && fail "the Linux build left the CRLF seed as it was"

roaming="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming"
[ -d "$roaming" ] || fail "the Wine prefix has no $roaming"
mkdir -p "$roaming/skypop"
cp "$work/seed" "$roaming/skypop/KIPO.INI"

# ---- The game ----
"$wine" "$exe" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!
started=$SECONDS
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' | head -1)
[ -n "$window" ] || fail "no visible window named SKYPOP FRENZY"
geometry=$(xwininfo -id "$window")
echo "$geometry" | grep -q "Width: 640" || fail "the window is not full screen: $geometry"
echo "$geometry" | grep -q "Height: 480" || fail "the window is not full screen: $geometry"
# The icon compiled into the executable (its resource MYICON), as Wine hands it to X.
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no icon"
xdotool windowfocus --sync "$window" || fail "could not focus the window"
xdotool mousemove 4 476  # the pointer waits in the field's lower-left corner

# Waits until every area (WxH+X+Y) of the screen shows the reference frame's pixels; a rising
# balloon may cover the title for a moment.
screen_shows() {
  local reference=$1 seconds=$2
  shift 2
  local end=$((SECONDS + seconds)) area differing
  while [ "$SECONDS" -le "$end" ]; do
    import -window root "$work/shot.png" 2>/dev/null
    differing=0
    for area in "$@"; do
      convert "$work/shot.png" -crop "$area" +repage "$work/a.png"
      convert "$reference" -crop "$area" +repage "$work/b.png"
      differing=$((differing + $(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | cut -d' ' -f1)))
    done
    [ "$differing" -eq 0 ] && return 0
    sleep 0.2
  done
  echo "last screenshot: $differing pixels differ"
  return 1
}

title_text=224x16+128+64
score_column=160x480+480+0
start_text=112x16+176+192
screen_shows "$work/reference/tick_60.png" 10 "$title_text" "$score_column" ||
  fail "the title's text and score column are not the desktop's pixels"
echo "title: the title text and the score column match the desktop's frame"

xdotool mousemove 240 300 mousedown 1
sleep 0.06
xdotool mouseup 1 mousemove 4 476
screen_shows "$work/reference/tick_130.png" 5 "$start_text" "$score_column" ||
  fail "START did not appear after the click"
echo "a click starts the game: START shows as the desktop draws it"

xdotool keydown Escape
sleep 0.06
xdotool keyup Escape
for _ in $(seq 100); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not quit within 10 s of Escape"
wait "$game_pid"
code=$?
game_pid=""
[ "$code" -eq 0 ] || fail "exit code $code after Escape: $(cat "$work/game.err")"
echo "Escape quits with exit code 0"

# The sound thread fed the device all along: at least 16-bit stereo at 44.1 kHz (176,400 bytes
# a second) for half the run, whatever format Wine's device took.
grep -q "no audio device" "$work/game.err" && fail "WASAPI found no device: $(cat "$work/game.err")"
sound=$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)
[ "$sound" -ge $((176400 * (SECONDS - started) / 2)) ] ||
  fail "the sound device got $sound bytes in $((SECONDS - started)) s"
echo "sound: the device got $sound bytes in $((SECONDS - started)) s"

cmp "$work/linux/KIPO.INI" "$roaming/skypop/KIPO.INI" ||
  fail "KIPO.INI differs from the Linux build's: $(od -c "$roaming/skypop/KIPO.INI" | head -5)"
echo "KIPO.INI written back byte for byte as the Linux build writes it"

# ---- The session's end, with a damaged table and an earlier copy of one beside it ----
data=$roaming/skypop
# Plays until Wine ends the session (WM_QUERYENDSESSION, then WM_ENDSESSION, after which Windows
# may end the process at any moment); the game's standard error goes to $work/game.err.
play_until_session_end() {
  "$wine" "$exe" >/dev/null 2>"$work/game.err" &
  game_pid=$!
  timeout 30 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' >/dev/null ||
    fail "no window for the session's end"
  "$wine" wineboot --end-session
  wait "$game_pid"
  game_pid=""
}
printf 'not a score table\n' >"$data/KIPO.INI"
printf 'an earlier copy\n' >"$data/KIPO.INI.bad"
play_until_session_end
[ "$(cat "$data/KIPO.INI.bad")" = "an earlier copy" ] || fail "the earlier copy was replaced"
[ "$(cat "$data/KIPO.INI.bad.1" 2>/dev/null)" = "not a score table" ] ||
  fail "the damaged table has no copy in KIPO.INI.bad.1: $(cat "$work/game.err")"
head -1 "$data/KIPO.INI" | grep -q '^3000 NORVE\.@@@@$' || fail "the session's end saved nothing"
echo "session end: the table saved before the process ended, the damaged one kept as .bad.1"

# ---- Another program holds the folder's lock (a Unix one: Wine's locks are POSIX locks) ----
cp "$data/KIPO.INI" "$work/saved"
python3 -c 'import fcntl, sys, time
f = open(sys.argv[1], "a"); fcntl.lockf(f, fcntl.LOCK_EX); open(sys.argv[2], "w"); time.sleep(60)' \
  "$data/skypop.lock" "$work/locked" &
holder=$!
for _ in $(seq 50); do [ -e "$work/locked" ] && break; sleep 0.1; done
play_until_session_end
kill "$holder"
grep -q "KIPO.INI: another program holds the lock on its folder" "$work/game.err" ||
  fail "a held lock was not told: $(cat "$work/game.err")"
cmp -s "$work/saved" "$data/KIPO.INI" || fail "the table changed while another program held the lock"
echo "PASS: a held lock is told at the end and the table left as it was"
