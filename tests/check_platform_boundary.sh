#!/usr/bin/env bash
# Fails when SDL or FluidSynth headers are included outside src/platform/sdl/, or Emscripten's
# outside src/platform/web/: the game folders see each machine only through src/platform/*.h.
set -u
root=$1
status=0
check() {  # pattern, the one folder allowed, the libraries' names
  local leaks
  leaks=$(grep -rlE "#include *[<\"]($1)" "$root/src" | grep -v "^$root/src/$2/")
  if [ -n "$leaks" ]; then
    echo "$3 included outside src/$2/:"
    echo "$leaks"
    status=1
  fi
}
check 'SDL|fluidsynth' platform/sdl 'SDL or FluidSynth'
check 'emscripten' platform/web 'Emscripten'
[ $status -eq 0 ] && echo "1 passed, 0 failed"
exit $status
