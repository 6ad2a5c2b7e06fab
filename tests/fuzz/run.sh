#!/usr/bin/env bash
# Runs every fuzz target over its committed corpus (seeds and every input that ever failed), then
# fuzzes it afresh for SECONDS. New inputs go to a scratch folder, not the committed corpus; a
# failing input is kept in BUILD/fuzz-findings/<target>/ to be added to tests/fuzz/corpus/.
#   tests/fuzz/run.sh BUILD SECONDS [TARGET...]
set -uo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(score_file effect song sheet)

status=0
for t in "${targets[@]}"; do
  binary="$build/tests/fuzz/fuzz_$t"
  [ -x "$binary" ] || { echo "fuzz: $binary is not built" >&2; exit 2; }
  scratch=$(mktemp -d)
  findings="$build/fuzz-findings/$t"
  mkdir -p "$findings"
  echo "== fuzz_$t: corpus of $(ls "$here/corpus/$t" | wc -l) inputs, then ${seconds} s"
  if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=64 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$scratch" "$here/corpus/$t" \
    >"$build/fuzz-$t.log" 2>&1; then
    echo "fuzz_$t FAILED; the input is in $findings/, the log in $build/fuzz-$t.log" >&2
    tail -40 "$build/fuzz-$t.log" >&2
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$build/fuzz-$t.log"
  fi
  rm -rf "$scratch"
done
exit $status
