#!/usr/bin/env bash
# Installs the .deb for real (dpkg -i, then apt-get -f install for anything missing), starts the
# installed /usr/games/skypop on its own Xvfb screen, quits it with Escape, and removes the
# package again whatever happened. It changes the machine, so it runs only as root and only
# where asked to (SKYPOP_PACKAGE_INSTALL_TEST=1, as CI does on its throwaway machine).
# Usage: install_package.sh PACKAGE_DIR VERSION
set -u
package_dir=$1
version=$2

if [ "$(id -u)" -ne 0 ] || [ "${SKYPOP_PACKAGE_INSTALL_TEST:-}" != 1 ]; then
  echo "SKIPPED: installs the package for real; needs root and SKYPOP_PACKAGE_INSTALL_TEST=1"
  exit 77
fi
deb=$(ls "$package_dir"/skypop_"$version"_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
  echo "SKIPPED: no skypop_${version}_*.deb in $package_dir (run 'make package' first)"
  exit 77
fi
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
# Never replace or remove an install this test did not make.
if dpkg-query -W -f='${Status}' skypop 2>/dev/null | grep -q "install ok installed"; then
  echo "SKIPPED: skypop is already installed on this machine"
  exit 77
fi

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
installed=""
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$installed" ] && dpkg -r skypop >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

installed=yes
export DEBIAN_FRONTEND=noninteractive
if ! dpkg -i "$deb"; then
  apt-get -f install -y -qq --no-install-recommends || fail "apt-get -f install"
fi
dpkg-query -W -f='${Status} ${Version}' skypop | grep -q "install ok installed $version" ||
  fail "skypop $version is not installed after dpkg -i"
[ -x /usr/games/skypop ] || fail "no /usr/games/skypop"

# -displayfd picks a free display number; SKYPOP_XVFB_DISPLAY ("132" or ":132") pins one instead.
if [ -n "${SKYPOP_XVFB_DISPLAY:-}" ]; then
  Xvfb ":${SKYPOP_XVFB_DISPLAY#:}" -screen 0 640x480x24 -nolisten tcp 2>"$work/xvfb.log" &
  echo "${SKYPOP_XVFB_DISPLAY#:}" >"$work/display"
  sleep 1
else
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
fi
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] && kill -0 "$xvfb_pid" 2>/dev/null ||
  fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"

(cd "$work" && XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy exec /usr/games/skypop) &
game_pid=$!
window=$(timeout 15 xdotool search --sync --onlyvisible --name '^SKYPOP FRENZY$' | head -1)
[ -n "$window" ] || fail "the installed game showed no window"
xdotool windowfocus --sync "$window" || fail "could not focus the window"
sleep 0.5
xdotool keydown Escape
sleep 0.06
xdotool keyup Escape
for _ in $(seq 100); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the installed game did not quit on Escape"
wait "$game_pid"
code=$?
game_pid=""
[ "$code" -eq 0 ] || fail "the installed game ended with $code"

dpkg -r skypop >/dev/null || fail "dpkg -r skypop"
installed=""
[ -e /usr/games/skypop ] && fail "/usr/games/skypop is still there after dpkg -r"
echo "PASS: installed $(basename "$deb"), started /usr/games/skypop, quit with Escape, removed"
