#!/usr/bin/env bash
# Sets up and runs the whole test suite: the normal build, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build, then a short run of
# every fuzz target. GUI tests run in a virtual X display with a session bus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh default asan fuzz

run_suite() {
  local preset=$1
  echo "== tests: $preset"
  xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- ctest --preset "$preset"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite default
run_suite asan
scripts/fuzz.sh 20
