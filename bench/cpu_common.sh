# Shared by the CPU measuring scripts (sourced, not run): finds the game and the floor program in
# $build, makes a scratch folder, kills what the script started when it ends, and reads a
# process's CPU time.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case "$build" in /*) ;; *) build="$root/$build" ;; esac
game="$build/skypop"
floor="$build/bench/cpu_floor/cpu_floor"
for f in "$game" "$floor"; do
  [ -x "$f" ] || { echo "missing $f: build it first (cmake --build $build)"; exit 1; }
done
hz=$(getconf CLK_TCK)
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# utime + stime of a process (all its threads), in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
