#!/usr/bin/env bash
# Checks the .deb and the tarball `make package` wrote, as a distribution would before shipping
# them: the file list, the control fields, the desktop entry, the metainfo and the manual page
# through their validators, lintian, and the game itself run from the unpacked tree.
# Usage: check_package.sh PACKAGE_DIR VERSION SOURCE_DIR
set -u
package_dir=$1
version=$2
source_dir=$3
app_id=net.norve.SkypopFrenzy

deb=$(ls "$package_dir"/skypop_"$version"_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
  echo "SKIPPED: no skypop_${version}_*.deb in $package_dir (run 'make package' first)"
  exit 77
fi
tarball=${deb%.deb}.tar.gz

work=$(mktemp -d)
game_pid=""
failures=0
cleanup() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Every check runs, so one run lists every problem.
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }

expected=$(
  cat <<LIST
./usr/games/skypop
./usr/share/applications/$app_id.desktop
./usr/share/doc/skypop/CHANGELOG.md
./usr/share/doc/skypop/LICENSE
./usr/share/doc/skypop/README.md
./usr/share/doc/skypop/changelog.gz
./usr/share/doc/skypop/copyright
./usr/share/games/skypop/skypop.sf2
LIST
  for size in 16 24 32 48 64 128 256; do
    echo "./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  done
  echo "./usr/share/man/man6/skypop.6.gz"
  echo "./usr/share/metainfo/$app_id.metainfo.xml"
)
expected=$(echo "$expected" | LC_ALL=C sort)
in_deb=$(cd "$root" && find . ! -type d | LC_ALL=C sort)
[ "$in_deb" = "$expected" ] || fail "files in the .deb differ:
$(diff <(echo "$expected") <(echo "$in_deb"))"
if [ -f "$tarball" ]; then
  in_tar=$(tar -tzf "$tarball" | grep -v '/$' | sed 's|^\./||; s|^|./|' | LC_ALL=C sort)
  [ "$in_tar" = "$expected" ] || fail "files in the tarball differ:
$(diff <(echo "$expected") <(echo "$in_tar"))"
else
  fail "no tarball beside the .deb: $tarball"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = skypop ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
for lib in 'libsdl2-2\.0-0' 'libfluidsynth[0-9]' 'libc6' 'libstdc\+\+6'; do
  field Depends | grep -Eq "(^|, )$lib( |,|$)" || fail "Depends lacks $lib: $(field Depends)"
done
# The game brings its own soundfont, under its own licence.
[ -z "$(field Recommends)" ] || fail "Recommends is '$(field Recommends)'"
cmp -s "$root/usr/share/games/skypop/skypop.sf2" "$source_dir/resources/skypop.sf2" ||
  fail "the installed soundfont is not resources/skypop.sf2"
grep -q '^Files: resources/skypop.sf2$' "$root/usr/share/doc/skypop/copyright" ||
  fail "the copyright file does not cover the soundfont"
[ "$(field Description | wc -l)" -ge 3 ] || fail "no long description"

file "$root/usr/games/skypop" | grep -q ', stripped' || fail "the game is not stripped"

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop entry"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net --explain "$metainfo" || fail "metainfo does not validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo lacks release $version"
# With a homepage (SKYPOP_HOMEPAGE) the screenshots point into the repository at the release's
# tag: each must be a committed picture of the game's own 640 x 480 screen. Without one there is
# no address anywhere, and no screenshot.
shots=$(grep -o '<image[^>]*>[^<]*' "$metainfo" | sed 's/.*>//')
copyright=$root/usr/share/doc/skypop/copyright
if [ -n "$(field Homepage)" ]; then
  [ "$(echo "$shots" | grep -c .)" -ge 3 ] || fail "fewer than three screenshots"
  grep -q "^Source: $(field Homepage)\$" "$copyright" || fail "the copyright file names no source"
else
  [ -z "$shots" ] && ! grep -q '<url' "$metainfo" && ! grep -q '^Source:' "$copyright" ||
    fail "an address or a screenshot without a homepage"
fi
for url in $shots; do
  picture=$source_dir/${url#*/raw/v"$version"/}
  [ "$(identify -format '%m %wx%h' "$picture" 2>/dev/null)" = "PNG 640x480" ] ||
    fail "screenshot $url is not a committed 640 x 480 PNG ($picture)"
done

man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man6/skypop.6.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "the manual page renders with warnings: $man_warnings"

if command -v lintian >/dev/null; then
  lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
else
  fail "lintian is not installed (tools/install_deps.sh package)"
fi

shown=$("$root/usr/games/skypop" --version)
[ "$shown" = "skypop $version" ] || fail "--version prints '$shown'"

# The unpacked game reaches its title screen without a screen or sound card and ends cleanly
# on SIGTERM, saving the high-score table where it keeps it. Where a mount namespace can be had
# (as root), the system's soundfonts are hidden: the game must find its own from its folder.
mkdir -p "$work/run" "$work/data" "$work/empty"
hide=()
unshare -m true 2>/dev/null && hide=(unshare -m sh -c 'for d in /usr/share/sounds/sf2 \
  /usr/share/sounds/sf3 /usr/share/soundfonts; do [ ! -d $d ] || mount --bind "$0" $d || exit; \
  done; exec "$@"' "$work/empty")
(cd "$work/run" && XDG_DATA_HOME="$work/data" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
  exec "${hide[@]}" "$root/usr/games/skypop") 2>"$work/stderr" &
game_pid=$!
sleep 2
if kill -0 "$game_pid" 2>/dev/null; then
  kill -TERM "$game_pid"
  for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  wait "$game_pid"
  code=$?
  game_pid=""
  [ "$code" -eq 0 ] || fail "the unpacked game ended with $code on SIGTERM: $(cat "$work/stderr")"
  [ -f "$work/run/KIPO.INI" ] || [ -f "$work/data/skypop/KIPO.INI" ] ||
    fail "the unpacked game saved no KIPO.INI"
  ! grep soundfont "$work/stderr" || fail "the unpacked game did not play its own soundfont"
else
  wait "$game_pid"
  fail "the unpacked game ended by itself with $?: $(cat "$work/stderr")"
  game_pid=""
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS: $(basename "$deb"): files, fields, validators, lintian, --version, title and SIGTERM"
