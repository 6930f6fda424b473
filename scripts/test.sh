#!/usr/bin/env bash
# Sets up and runs the whole test suite: the static checks (scripts/lint.sh:
# clang-tidy on the changed files, clang-format, the layer rule), the normal
# build, then the AddressSanitizer + UndefinedBehaviorSanitizer build, the
# ThreadSanitizer build of the tests that start threads, a short run of every
# fuzz target, then the Debian package (built, installed with dpkg, run from
# /usr/bin, removed), then the Windows build under Wine (every test program,
# the CLI end-to-end tests against kestrune-cli.exe, the installer and the
# portable zip). GUI tests run in a virtual X display with a session bus. Each
# stage's time is printed at the end.
#   scripts/test.sh           everything
#   scripts/test.sh windows   only the Windows build and its suites under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

logs=$(mktemp -d)
wine_home=""
cleanup() {
  if [ -n "$wine_home" ]; then
    WINEPREFIX="$wine_home/prefix" wineserver -k 2>/dev/null || true
    rm -rf "$wine_home"
  fi
  rm -rf "$logs"
}
trap cleanup EXIT
status=0
timings=""

# stage NAME COMMAND...: runs a command, notes its time (a failure counts).
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@" || status=1
  local took=$((SECONDS - start))
  timings="$timings$(printf '  %-26s %4dm%02ds' "$name" $((took / 60)) $((took % 60)))"$'\n'
}

run_suite() {
  local preset=$1 log=$2
  shift 2
  echo "== tests: $preset $*"
  xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- ctest --preset "$preset" "$@" \
    2>&1 | tee "$logs/$log.log" | grep -vE '^ +Start |^dbus-daemon|a11y|SpiRegistry' || true
  grep -q "100% tests passed" "$logs/$log.log"
}

# One Wine prefix for the whole run, in a temporary folder: created once here
# (the first start of Wine makes it), quiet, without the Mono and Gecko
# installers.
wine_prefix() {
  wine_home=$(mktemp -d)
  export WINEPREFIX="$wine_home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  cmake/wine-run.sh wineboot --init >/dev/null 2>&1
  wineserver -w
}

# The Windows suite: every test program of the windows preset under Wine.
windows_suite() {
  echo "== tests: windows (Wine)"
  ctest --preset windows 2>&1 | tee "$logs/windows.log"
  grep -q "100% tests passed" "$logs/windows.log"
}

# The Windows packages: built, then the installer run silently in a prefix of
# its own, the installed and the portable kestrune-cli.exe run, the
# uninstaller checked to keep the player's files.
windows_packages() {
  echo "== tests: Windows installer and portable zip (Wine)"
  local version
  scripts/package-windows.sh >"$logs/windows-packages-build.txt" 2>&1 ||
    { cat "$logs/windows-packages-build.txt" && return 1; }
  version=$(sed -n 's/^project(Kestrune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  packaging/windows/test_installer.sh "build-windows/packages/Kestrune-$version-setup.exe" "$version" \
    "build-windows/packages/Kestrune-$version-portable.zip" 2>&1 | tee "$logs/windows-packages.log"
  grep -q "100% tests passed" "$logs/windows-packages.log"
}

# The CLI end-to-end tests of the Linux build, driving kestrune-cli.exe under
# Wine on the same player's files and expected results.
windows_cli_e2e() {
  echo "== tests: kestrune-cli.exe end to end (Wine)"
  KESTRUNE_E2E_WINDOWS_BIN="$root/build-windows/bin" ctest --preset default -R '^CliE2E\.' 2>&1 |
    tee "$logs/windows-cli-e2e.log" | grep -vE '^ +Start ' || true
  grep -q "100% tests passed" "$logs/windows-cli-e2e.log"
}

# The Debian package, installed into this machine (as root, or through sudo)
# and run from /usr/bin, then removed again; its log ends in ctest's closing
# line so that the run's total counts it.
deb_package() {
  echo "== tests: Debian package"
  local sudo="" log=$logs/deb-package.log checks=0 failed=0
  [ "$(id -u)" -ne 0 ] && sudo="sudo -n"
  check() {
    local what=$1
    shift
    checks=$((checks + 1))
    if "$@" >>"$log" 2>&1; then echo "  ok: $what"; else echo "  FAILED: $what" && failed=$((failed + 1)); fi
  }
  : >"$log"
  scripts/package-linux.sh >>"$log" 2>&1 || { echo "  FAILED: building the package" && return 1; }
  local deb
  deb=$(ls build/packages/kestrune_*.deb)
  check "dpkg -i $(basename "$deb")" $sudo dpkg -i "$deb"
  local version
  version=$(dpkg-deb -f "$deb" Version)
  check "/usr/bin/kestrune-cli --version prints $version" \
    bash -c '[ "$(HOME=$1 /usr/bin/kestrune-cli --version)" = "kestrune-cli $0" ]' "$version" "$logs"
  check "the package holds kestrune-cli's manual page" bash -c 'dpkg-deb -c "$0" | grep -q "/man1/kestrune-cli.1.gz$"' "$deb"
  check "installed metainfo valid" appstreamcli validate --no-net /usr/share/metainfo/org.kestrune.Kestrune.metainfo.xml
  check "installed desktop file valid" desktop-file-validate /usr/share/applications/org.kestrune.Kestrune.desktop
  check "dpkg -r kestrune" $sudo dpkg -r kestrune
  check "nothing left in /usr/lib/kestrune" test ! -e /usr/lib/kestrune
  echo "$((checks - failed)) tests passed, $failed tests failed out of $checks" | tee -a "$log"
  [ $failed -eq 0 ] && echo "100% tests passed" >>"$log"
  [ $failed -eq 0 ]
}

# The windowed program, kestrune.exe, end to end under Wine in a virtual
# display: tabs, a list, Apply against kestrune-cli.exe, the game-running
# notice, tray and second start, exit.
windows_gui_e2e() {
  echo "== tests: kestrune.exe end to end (Wine)"
  tests/e2e/wine/gui_wine_e2e.sh build-windows 2>&1 | tee "$logs/windows-gui-e2e.txt"
  local failed
  failed=$(sed -n 's/^\([0-9]*\) failed$/\1/p' "$logs/windows-gui-e2e.txt" | tail -n 1)
  local total
  total=$(grep -cE '^(ok  |FAIL) ' "$logs/windows-gui-e2e.txt")
  failed=${failed:-$total}
  # Counted in the closing line like a ctest suite.
  echo "$(((total - failed) * 100 / (total > 0 ? total : 1)))% tests passed, $failed tests failed out of $total" \
    >"$logs/windows-gui-e2e.log"
  [ "$total" -gt 0 ] && [ "$failed" = 0 ]
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# The Linux build's end-to-end harness drives the Windows CLI.
e2e_harness() {
  cmake --preset default >/dev/null
  cmake --build --preset default --target cli_e2e_tests
}

if [ "${1:-}" = "windows" ]; then
  stage "setup and windows build" scripts/setup.sh windows
  stage "e2e harness (Linux)" e2e_harness
else
  stage "setup and builds" scripts/setup.sh default asan tsan fuzz windows
  stage "lint" scripts/lint.sh
  stage "tests: default" run_suite default default
  stage "tests: asan" run_suite asan asan
  stage "tests: tsan (threads)" run_suite tsan tsan
  stage "fuzz" scripts/fuzz.sh "${KESTRUNE_FUZZ_SECONDS:-20}"
  stage "debian package" deb_package
fi
stage "wine prefix" wine_prefix
stage "tests: windows (Wine)" windows_suite
stage "cli e2e: windows (Wine)" windows_cli_e2e
stage "gui e2e: windows (Wine)" windows_gui_e2e
stage "windows packages (Wine)" windows_packages

# One closing line over every suite.
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
echo "== time per stage"
printf '%s' "$timings"
echo "$passed passed, $failed failed"
exit $status
