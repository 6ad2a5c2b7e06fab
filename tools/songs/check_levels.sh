#!/usr/bin/env bash
# Renders a song whole and one channel at a time and prints sox's peak and RMS for each, then
# renders two passes back to back and prints the loudness either side of the restart.
# Usage: tools/songs/check_levels.sh BUILD_DIR SONG.mids CHANNEL...
set -eu
build=$1; song=$2; shift 2
render="$build/tools/songs/render_song"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
level() {
  sox "$1" -n stat 2>&1 | awk '/Maximum amplitude/ {peak=$3} /RMS +amplitude/ {rms=$3}
    END {printf "peak %.3f (%.1f dBFS)  RMS %.4f (%.1f dBFS)\n", peak, 20*log(peak)/log(10), rms,
         20*log(rms)/log(10)}'
}
"$render" "$song" "$out/all.wav" > /dev/null
printf "%-10s " all; level "$out/all.wav"
for channel in "$@"; do
  "$render" "$song" "$out/$channel.wav" --only "$channel" > /dev/null
  printf "%-10s " "ch $channel"; level "$out/$channel.wav"
done
"$render" "$song" "$out/loop.wav" --passes 2 | grep -E "restart|clipped"
