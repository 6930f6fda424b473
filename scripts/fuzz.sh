#!/usr/bin/env bash
# Runs every libFuzzer target for the given number of seconds (default 60),
# starting from its seed corpus in fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ -d build-fuzz ] || scripts/setup.sh fuzz
shopt -s nullglob
status=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  log="build-fuzz/$name.log"
  echo "== fuzz: $name (${seconds}s)"
  if "$target" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="build-fuzz/$name-" \
      "$work" $seeds >"$log" 2>&1; then
    tail -n 1 "$log"
  else
    cat "$log"
    echo "fuzz: $name FAILED (input saved beside build-fuzz/$name-*)"
    status=1
  fi
done
exit $status
