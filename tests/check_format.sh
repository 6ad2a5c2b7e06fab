#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -u
cd "$1" || exit 1
command -v clang-format >/dev/null || { echo "clang-format missing: skipped"; exit 77; }
bad=0
for f in $(git ls-files '*.cpp' '*.h' 2>/dev/null); do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || { echo "not formatted: $f"; bad=1; }
done
exit $bad
