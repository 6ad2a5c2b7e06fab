#!/usr/bin/env bash
# Installs the Debian packages one kind of work needs, and nothing when they are all there
# already. Uses sudo when not run as root.
#
#   tools/install_deps.sh run       building and playing the game
#   tools/install_deps.sh test      the above, plus the test and benchmark tool chain
#   tools/install_deps.sh package   the above for run, plus what makes and checks a .deb
#   tools/install_deps.sh web       the browser build and its tests
#   tools/install_deps.sh windows   the Windows build (MinGW-w64) and Wine to test it under
#
# Several groups may be named at once; no group means `run`.
set -euo pipefail

run_packages=(build-essential cmake pkg-config libsdl2-dev libfluidsynth-dev)
test_packages=(
  clang-format git
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils x11-apps imagemagick sox time openbox
  clang libclang-rt-14-dev
  # The full soundfont resources/skypop.sf2 is cut from: tests/soundfont plays the songs on both.
  timgm6mb-soundfont
)
package_packages=(dpkg-dev file fakeroot lintian desktop-file-utils appstream man-db)
# npm comes with Node.js where Node.js is not Debian's own; the web build adds Debian's when absent.
web_packages=(emscripten chromium)
command -v npm >/dev/null 2>&1 || web_packages+=(npm)
# mingw-w64-common brings the runtime's copyright file the Windows zip ships.
windows_packages=(cmake g++-mingw-w64-x86-64-posix mingw-w64-tools mingw-w64-common wine64 zip python3)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(run)
packages=()
for g in "${groups[@]}"; do
  case "$g" in
    run) packages+=("${run_packages[@]}") ;;
    test) packages+=("${run_packages[@]}" "${test_packages[@]}") ;;
    package) packages+=("${run_packages[@]}" "${package_packages[@]}") ;;
    web) packages+=("${web_packages[@]}") ;;
    windows) packages+=("${windows_packages[@]}") ;;
    *) echo "install_deps.sh: unknown group '$g' (run, test, package, web, windows)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
