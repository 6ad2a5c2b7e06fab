#!/usr/bin/env bash
# Fails when anything outside src/platform/sdl/ includes SDL or FluidSynth headers.
set -u
root=$1
leaks=$(grep -rlE '#include *[<"](SDL|fluidsynth)' "$root/src" | grep -v "^$root/src/platform/sdl/")
if [ -n "$leaks" ]; then
  echo "SDL or FluidSynth included outside src/platform/sdl/:"
  echo "$leaks"
  exit 1
fi
echo "1 passed, 0 failed"
