#!/usr/bin/env bash
# Runs every libFuzzer target for the given number of seconds (default 60),
# starting from its seed corpus in fuzz/corpus/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ -d build-fuzz ] || scripts/setup.sh fuzz
shopt -s nullglob
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  work="build-fuzz/corpus/$name"
  mkdir -p "$work"
  seeds="fuzz/corpus/${name#fuzz_}"
  echo "== fuzz: $name (${seconds}s)"
  if [ -d "$seeds" ]; then
    "$target" -max_total_time="$seconds" -print_final_stats=0 "$work" "$seeds" 2>&1 | tail -n 3
  else
    "$target" -max_total_time="$seconds" -print_final_stats=0 "$work" 2>&1 | tail -n 3
  fi
done
