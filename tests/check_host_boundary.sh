#!/usr/bin/env bash
# Fails when a machine's headers are included outside its host folder: SDL and FluidSynth only in
# src/hosts/sdl/, Emscripten only in src/hosts/web/, Windows only in src/hosts/windows/, the
# POSIX file and user calls only in src/hosts/ (the POSIX piece and the hosts built on it). The
# host interface, src/host/, holds headers and only headers.
set -u
root=$1
status=0
check() {  # pattern, the folder allowed (a regex under src/), what they are
  local leaks
  leaks=$(grep -rlE "#include *[<\"]($1)" "$root/src" | grep -vE "^$root/src/($2)/")
  if [ -n "$leaks" ]; then
    echo "$3 included outside src/$2/:"
    echo "$leaks"
    status=1
  fi
}
check 'SDL|fluidsynth' 'hosts/sdl' 'SDL or FluidSynth'
check 'emscripten' 'hosts/web' 'Emscripten'
windows_headers='windows\.h|winuser\.h|mmsystem\.h|audioclient\.h|mmdeviceapi\.h|xinput\.h'
windows_headers+='|shellscalingapi\.h|aclapi\.h|shlobj\.h|winioctl\.h'
check "$windows_headers" 'hosts/windows' 'Windows'
check 'fcntl\.h|unistd\.h|sys/|pwd\.h|dirent\.h' 'hosts/[a-z]+' 'POSIX'
others=$(find "$root/src/host" -type f ! -name '*.h' ! -name README.md)
if [ -n "$others" ]; then
  echo "src/host/ holds only the interface's headers:"
  echo "$others"
  status=1
fi
[ $status -eq 0 ] && echo "every machine's headers stay in its host folder"
exit $status
