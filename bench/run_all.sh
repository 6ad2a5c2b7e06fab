#!/usr/bin/env bash
# Runs every benchmark program the build made. Usage: bench/run_all.sh BUILD_DIR
set -u
build=${1:-build}
for b in "$build"/bench/*/bench_*; do
  [ -x "$b" ] || continue
  echo "== $b"
  "$b"
done
echo "== bench/kill/kill_save.sh"
bash "$(dirname "$0")/kill/kill_save.sh" "$build"
