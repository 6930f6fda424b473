#!/usr/bin/env bash
# Sets up and runs the whole test suite: the normal build, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build, then a short run of
# every fuzz target. GUI tests run in a virtual X display with a session bus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh default asan fuzz

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0

run_suite() {
  local preset=$1
  echo "== tests: $preset"
  xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- ctest --preset "$preset" \
    2>&1 | tee "$logs/$preset.log" | grep -vE '^ +Start |^dbus-daemon|a11y|SpiRegistry' || true
  grep -q "100% tests passed" "$logs/$preset.log" || status=1
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite default
run_suite asan
scripts/fuzz.sh "${KESTRUNE_FUZZ_SECONDS:-20}" || status=1

# One closing line over both builds.
passed=0
failed=0
for log in "$logs"/*.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    status=1
    continue
  fi
  f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  t=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
  passed=$((passed + t - f))
  failed=$((failed + f))
done
echo "$passed passed, $failed failed"
exit $status
