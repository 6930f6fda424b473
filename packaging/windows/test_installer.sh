#!/usr/bin/env bash
# Installs Kestrune with its installer, silently, into a new Wine prefix;
# runs the installed kestrune-cli.exe; then uninstalls and checks that the
# program is gone while the player's files stay: the backups in
# %LOCALAPPDATA%\Kestrune, the game's files and Config.dat.
# With a portable zip too, the zip's kestrune-cli.exe is run from its
# unpacked folder.
#   test_installer.sh INSTALLER VERSION [ZIP]
# Prints ctest's closing line so that scripts/test.sh counts the checks.
set -uo pipefail
installer=$(realpath "$1")
version=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
home=$(mktemp -d)
export WINEPREFIX=$home/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
wine() { "$root/cmake/wine-run.sh" "$@"; }

checks=0
failed=0
check() {
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "  ok: $what"
  else
    echo "  FAILED: $what"
    failed=$((failed + 1))
  fi
}

wine wineboot --init >/dev/null 2>&1
wineserver -w
local_app_data=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Local' | head -n 1)
start_menu=$(dirname "$local_app_data")/Roaming/Microsoft/Windows/Start\ Menu/Programs
dir=$local_app_data/Programs/Kestrune

wine "$installer" /S >/dev/null 2>&1
wineserver -w
check "the installer puts kestrune-cli.exe into %LOCALAPPDATA%\\Programs\\Kestrune" test -f "$dir/kestrune-cli.exe"
check "the sibling libraries and the renderer beside it" \
  test -f "$dir/Gauge3.dll" -a -f "$dir/Nodemark.dll" -a -f "$dir/Lumeshade.dat" -a -f "$dir/Uninstall.exe"
check "a Start-menu shortcut" test -f "$start_menu/Kestrune/Kestrune 命令行.lnk"
check "the uninstaller is registered for the user" \
  bash -c '"$0" reg query "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrune" /v UninstallString 2>/dev/null | grep -q Uninstall.exe' "$root/cmake/wine-run.sh"
out=$(cd "$dir" && wine ./kestrune-cli.exe --version 2>&1 | tr -d '\r')
check "the installed kestrune-cli.exe prints its version ('$out')" test "$out" = "kestrune-cli $version"

# The player's files: a backup as the program keeps them, the game's
# configuration, and settings beside the program.
backup=$local_app_data/Kestrune/BackupFiles/20261210_101500000
game=$local_app_data/TslGame/Saved/Config/WindowsNoEditor
mkdir -p "$backup" "$game"
printf '[Backup]\r\nID0=C:\\backup\r\n' >"$local_app_data/Kestrune/BackupFiles/config.dat"
printf '[/Script/Engine.Engine]\r\n' | tee "$backup/Engine.ini" >"$game/Engine.ini"
printf '[general]\r\nUsageReport=0\r\n' >"$dir/Config.dat"

wine "$dir/Uninstall.exe" /S >/dev/null 2>&1
wineserver -w
# The uninstaller runs from a copy in the temporary folder and may finish after its starter.
for _ in $(seq 1 50); do
  [ -e "$dir/Uninstall.exe" ] || break
  sleep 0.2
done
check "the uninstaller removes the program" \
  bash -c '! ls "$0"/*.exe "$0"/*.dll "$0"/Lumeshade.dat 2>/dev/null | grep -q .' "$dir"
check "and its shortcuts" test ! -e "$start_menu/Kestrune"
check "and its registration" \
  bash -c '! "$0" reg query "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrune" >/dev/null 2>&1' "$root/cmake/wine-run.sh"
check "the backup folder stays" test -f "$backup/Engine.ini" -a -f "$local_app_data/Kestrune/BackupFiles/config.dat"
check "the game's files stay" test -f "$game/Engine.ini"
check "Config.dat stays" test -f "$dir/Config.dat"

if [ -n "${3:-}" ]; then
  mkdir -p "$home/portable"
  unzip -q "$3" -d "$home/portable"
  out=$(cd "$home/portable/Kestrune" && wine ./kestrune-cli.exe --version 2>&1 | tr -d '\r')
  check "the portable zip's kestrune-cli.exe prints its version ('$out')" test "$out" = "kestrune-cli $version"
fi

echo "$((checks - failed)) tests passed, $failed tests failed out of $checks"
[ $failed -eq 0 ] && echo "100% tests passed"
[ $failed -eq 0 ]
