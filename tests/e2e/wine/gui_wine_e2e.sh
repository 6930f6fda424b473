#!/usr/bin/env bash
# End-to-end test of the Windows program, kestrune.exe, under Wine in a
# virtual X display: start and first frame, every tab, an opened list, Apply
# compared byte for byte with kestrune-cli.exe on the same choices, the list
# of changes since the backup, the game-running notice with a stand-in
# TslGame.exe, hiding to the tray and coming back (tray click, second
# start), and exit. The program's debug lines (OutputDebugStringW) come
# through Wine's "seh" warning channel, where Wine reports the debug-print
# exception; wine_probe.exe answers questions about windows from inside the
# same Wine session.
#   tests/e2e/wine/gui_wine_e2e.sh BUILD-WINDOWS [SCREENSHOT-FOLDER]
# Runs itself in xvfb-run when no display is set. WINEPREFIX: an existing
# prefix to use (scripts/test.sh makes one); without it a private one is made.
# Prints the start-up time (launch to first painted frame) and the resident
# memory of the running program.
set -uo pipefail
cd "$(dirname "$0")/../../.."
ROOT=$PWD
BUILD=$(cd "${1:?usage: gui_wine_e2e.sh BUILD-WINDOWS [SCREENSHOTS]}" && pwd)
SHOTS=${2:-}
[ -n "$SHOTS" ] && mkdir -p "$SHOTS" && SHOTS=$(cd "$SHOTS" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$BUILD" "$SHOTS"
fi

WORLD=$(mktemp -d /tmp/kestrune-wine-gui-XXXXXX)
OWN_PREFIX=""
if [ -z "${WINEPREFIX:-}" ]; then
  OWN_PREFIX=1
  export WINEPREFIX=$WORLD/prefix
else
  # A Wine session of the shared prefix that an earlier suite started without
  # this display (its server lingers a few seconds) could create no window:
  # end it, so this one starts afresh on the display.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
WINE=$ROOT/cmake/wine-run.sh
SITE_PID=""
GAME_PID=""
MAIN_PID=""
cleanup() {
  for p in $GAME_PID $MAIN_PID $SITE_PID; do kill "$p" 2>/dev/null || true; done
  if [ -n "$OWN_PREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  rm -rf "$WORLD"
}
trap cleanup EXIT

failures=0
pass() { echo "ok   $1"; }
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

# ---- the world: program folder, partner site, prefix ----
mkdir -p "$WORLD/gui" "$WORLD/cli" "$WORLD/site/zs"
for f in "$BUILD"/bin/*; do
  case "$f" in *.exe | *.dll | *.dat) cp "$f" "$WORLD/gui/" ;; esac
done
cp "$BUILD/test-tools/wine_probe.exe" "$WORLD/probe.exe"
cp "$BUILD/test-tools/game_stand_in.exe" "$WORLD/TslGame.exe"
for page in search skill live; do echo "<html><body>$page</body></html>" >"$WORLD/site/zs/$page"; done
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 "$PORT" --directory "$WORLD/site" >/dev/null 2>&1 &
SITE_PID=$!
HOST=127.0.0.1:$PORT
printf '[general]\r\nPartnerHost=%s\r\nUpdateHost=%s\r\nStatsHost=%s\r\n' "$HOST" "$HOST" "$HOST" \
  >"$WORLD/gui/Config.dat"

if [ -n "$OWN_PREFIX" ]; then
  WINEDEBUG=-all "$WINE" wineboot --init >/dev/null 2>&1
  wineserver -w
fi
USERDIR=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
GAME=$USERDIR/AppData/Local/TslGame/Saved/Config/WindowsNoEditor
rm -rf "$USERDIR/AppData/Local/TslGame"
WINEDEBUG=-all "$WINE" reg delete 'HKCU\SOFTWARE\KestruneTools' /f >/dev/null 2>&1

probe() { WINEDEBUG=-all "$WINE" "$WORLD/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
LOG=$WORLD/log
log_has() { grep -q -- "$1" "$LOG" 2>/dev/null; }
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local until=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ $SECONDS -ge $until ] && return 1
    sleep 0.3
  done
}
visible() { [ "$(probe visible "$1")" = 1 ]; }
hidden() { [ "$(probe visible "$1")" = 0 ]; }
MAIN=PUBGMainForm
click() {  # click WINDOW-TEXT X Y (client coordinates)
  local r
  r=($(probe rect "$1"))
  [ ${#r[@]} -eq 4 ] || return 1
  xdotool mousemove --sync $((r[0] + $2)) $((r[1] + $3)) click 1
}
shot() {  # shot WINDOW-TEXT NAME
  [ -n "$SHOTS" ] || return 0
  local r
  sleep 0.5
  r=($(probe rect "$1"))
  [ ${#r[@]} -eq 4 ] || return 1
  import -window root -crop "${r[2]}x${r[3]}+${r[0]}+${r[1]}" +repage "$SHOTS/$2.png"
}

# ---- start ----
xdotool mousemove 0 0  # no hover left over from an earlier run
start_ns=$(date +%s%N)
WINEDEBUG=-all,warn+seh "$WINE" "$WORLD/gui/kestrune.exe" 2>"$WORLD/log" &
MAIN_PID=$!
check "starts and paints its first frame" wait_for 60 log_has "first frame at"
first_us=$(grep -o 'first frame at [0-9]*' "$WORLD/log" | head -n 1 | grep -o '[0-9]*$')
if [ -n "$first_us" ]; then
  echo "start-up to first painted frame: $(((first_us * 1000 - start_ns) / 1000000)) ms"
fi
check "the main window (text PUBGMainForm) is visible" wait_for 10 visible "$MAIN"
check "it is 880 x 600" bash -c "[ \"\$(echo $(probe rect "$MAIN") | cut -d' ' -f3-)\" = '880 600' ]"
check "the taskbar's window carries the title Kestrune" \
  bash -c "WINEDEBUG=-all '$WINE' '$WORLD/probe.exe' windows 2>/dev/null | grep -q '\"Kestrune\" KestruneApplication'"
shot "$MAIN" main-home
shadow_rect() { probe windows | sed -n 's/^\([-0-9]* [-0-9]* [0-9]* [0-9]*\) "" TShadowFormEx$/\1/p' | head -n 1; }
r=($(probe rect "$MAIN"))
check "the drop shadow follows the window (5, 3, 5, 7 pixels around it)" \
  [ "$(shadow_rect)" = "$((r[0] - 5)) $((r[1] - 3)) $((r[2] + 10)) $((r[3] + 10))" ]
# Dragging the caption strip moves the frameless window: the system's move
# loop takes over at the first motion with the button held and follows the
# rest.
xdotool mousemove --sync $((r[0] + 500)) $((r[1] + 12)) mousedown 1
for step in 10 20 30 40; do
  xdotool mousemove --sync $((r[0] + 500 + step)) $((r[1] + 12 + step / 2))
  sleep 0.2
done
xdotool mouseup 1
moved() { [ "$(probe rect "$MAIN")" = "$((r[0] + 30)) $((r[1] + 15)) 880 600" ]; }
check "dragging the caption strip moves the window" wait_for 5 moved
sleep 1
rss=$(ps -o rss= -p "$MAIN_PID" 2>/dev/null | head -n 1)
[ -n "$rss" ] && echo "resident memory of kestrune.exe: $((rss / 1024)) MiB"

# ---- tabs ----
click "$MAIN" 139 73
check "the picture tab answers" wait_for 5 log_has "tab VideoTab"
shot "$MAIN" main-video
for tab in "229 search" "319 skill" "409 live"; do
  set -- $tab
  click "$MAIN" "$1" 73
  check "the $2 tab navigates to /zs/$2" wait_for 10 log_has "browser: navigate http://$HOST/zs/$2"
done
check "without a browser engine the tab shows our notice" wait_for 10 log_has "browser: notice shown for http://$HOST/zs/live"
shot "$MAIN" main-tv-notice
click "$MAIN" 49 73
check "the home tab comes back" wait_for 5 log_has "tab HomeTab"

# ---- a list opened ----
popup_visible() { probe windows | grep -q 'KestrunePopup$'; }
popup_gone() { ! popup_visible; }
click "$MAIN" 182 380
check "a combo box opens its list" wait_for 5 popup_visible
if [ -n "$SHOTS" ] && popup_visible; then
  sleep 0.5
  r=($(probe rect "$MAIN"))
  # The same part of the window as the Linux picture: the list and its combo box.
  import -window root -crop "320x260+$((r[0] + 60))+$((r[1] + 340))" +repage \
    -define png:exclude-chunks=date,time "$SHOTS/main-list-open.png"
fi
xdotool key Escape
check "Escape closes the list" wait_for 5 popup_gone

# ---- the options menu and the about box ----
click "$MAIN" 811 11
check "the options button opens its menu" wait_for 5 log_has "menu: popped up"
xdotool key Up Return  # the last entry: 关于我们
about_shown() { probe windows | grep -q '^[-0-9]* [-0-9]* 490 246 '; }
about_gone() { ! about_shown; }
check "its last entry opens the 490 x 246 about box" wait_for 10 about_shown
xdotool key alt+F4
check "Alt+F4 closes the about box" wait_for 5 about_gone
check "the main window stays" visible "$MAIN"

# ---- a hot key captured on the picture tab ----
click "$MAIN" 139 73
sleep 1
hot_key_saved() { tr -d '\r' <"$WORLD/gui/Config.dat" | grep -qx 'HotKeyShow=805306481'; }
# Held a moment, as a hand does: the capture reads the modifiers' state. A
# press that reached no focused editor (a loaded machine) is made again.
for attempt in 1 2 3; do
  click "$MAIN" 340 409
  sleep 0.5
  xdotool keydown ctrl+shift+F2
  sleep 0.5
  xdotool keyup ctrl+shift+F2
  wait_for 3 hot_key_saved && break
done
check "a captured Ctrl+Shift+F2 is stored as the show key" hot_key_saved
check "and the renderer is told" wait_for 5 log_has "lumeshade: hot keys HotKeyShow=805306481"
click "$MAIN" 49 73

# ---- Apply, compared with the CLI ----
click "$MAIN" 664 535
DIALOG="绝地求生：大逃杀"
check "Apply asks whether to start the game" wait_for 20 visible "$DIALOG"
check "the question is a 400 x 168 dialog" \
  bash -c "[ \"\$(echo $(probe rect "$DIALOG") | cut -d' ' -f3-)\" = '400 168' ]"
shot "$DIALOG" dialog-message
xdotool key alt+F4
check "closing the dialog answers Cancel" wait_for 5 log_has "dialog result: 2"
mkdir -p "$WORLD/from-gui"
cp "$GAME"/*.ini "$WORLD/from-gui/" 2>/dev/null
rm -rf "$USERDIR/AppData/Local/TslGame"
cp "$WORLD/gui/"*.exe "$WORLD/gui/"*.dll "$WORLD/gui/Config.dat" "$WORLD/cli/" 2>/dev/null
WINEDEBUG=-all "$WINE" "$WORLD/cli/kestrune-cli.exe" apply </dev/null >/dev/null 2>&1
same=1
for f in Engine.ini GameUserSettings.ini Scalability.ini; do
  if [ ! -s "$WORLD/from-gui/$f" ] || ! cmp -s "$WORLD/from-gui/$f" "$GAME/$f"; then same=0; fi
done
check "Apply wrote the same bytes as kestrune-cli.exe apply" [ $same = 1 ]

# ---- what changed since the backup (查看变化 under the restore history) ----
CHANGES="查看变化"
click "$MAIN" 734 243
check "查看变化 opens the list of changes" wait_for 10 visible "$CHANGES"
check "the list names the game's files" wait_for 5 log_has "changes: Engine.ini"
check "the list is a 600 x 440 dialog" \
  bash -c "[ \"\$(echo $(probe rect "$CHANGES") | cut -d' ' -f3-)\" = '600 440' ]"
shot "$CHANGES" dialog-changes
xdotool key Escape
check "Escape closes it" wait_for 5 hidden "$CHANGES"

# ---- the game-running notice ----
WINEDEBUG=-all "$WINE" "$WORLD/TslGame.exe" 60 >/dev/null 2>&1 &
GAME_PID=$!
game_runs() { [ "$(probe running TslGame.exe)" = 1 ]; }
wait_for 20 game_runs
click "$MAIN" 664 535
NOTICE="提醒"
check "Apply while the game runs shows the notice" wait_for 20 visible "$NOTICE"
shot "$NOTICE" dialog-game-running
click "$NOTICE" 75 176
check "一键关闭游戏 ends the game" wait_for 10 bash -c "! kill -0 $GAME_PID 2>/dev/null"
GAME_PID=""
check "the notice stays open" visible "$NOTICE"
click "$NOTICE" 387 175
check "确定 closes the notice" wait_for 5 hidden "$NOTICE"

# ---- tray and single instance ----
before=$(probe rect "$MAIN")
click "$MAIN" 866 11
check "the close button hides the window to the tray" wait_for 5 hidden "$MAIN"
check "the program keeps running" kill -0 $MAIN_PID
probe tray-click
check "a tray click brings it back" wait_for 5 visible "$MAIN"
check "where it was" [ "$(probe rect "$MAIN")" = "$before" ]
click "$MAIN" 839 11
check "the minimise button takes the window off the screen" wait_for 5 hidden "$MAIN"
probe tray-double-click
check "a double click on the tray icon restores it" wait_for 5 visible "$MAIN"
check "where it was, again" [ "$(probe rect "$MAIN")" = "$before" ]
tray_adds() { grep -c 'tray: icon added' "$WORLD/log"; }
adds=$(tray_adds)
probe taskbar-created
check "a new taskbar gets the icon again" wait_for 5 bash -c "[ \$(grep -c 'tray: icon added' '$WORLD/log') -gt $adds ]"
click "$MAIN" 866 11
wait_for 5 hidden "$MAIN"
WINEDEBUG=-all "$WINE" "$WORLD/gui/kestrune.exe" >/dev/null 2>&1
check "a second start hands over and ends" [ $? = 0 ]
check "the first instance shows itself" wait_for 10 visible "$MAIN"
# Processes of this world's program (other Wine programs may run beside).
ours() { pgrep -f "$(basename "$WORLD").gui.kestrune.exe" | wc -l; }
check "only one instance runs" [ "$(ours)" = 1 ]

# ---- exit ----
probe post "$MAIN" 0x409
check "message 0x409 ends the program" wait_for 15 bash -c "! kill -0 $MAIN_PID 2>/dev/null"
MAIN_PID=""

# ---- a monitor set to 150 % ----
# The system's scale comes from the prefix's LogPixels (Wine sends no
# WM_DPICHANGED: a move between monitors cannot be shown here).
WINEDEBUG=-all "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
  >/dev/null 2>&1
LOG=$WORLD/log150
WINEDEBUG=-all,warn+seh "$WINE" "$WORLD/gui/kestrune.exe" 2>"$LOG" &
MAIN_PID=$!
check "at 150 % it starts" wait_for 60 log_has "first frame at"
check "and says it draws at 144 dpi" log_has "gui: drawn at 144 dpi"
size_is() { [ "$(probe rect "$MAIN" | cut -d' ' -f3-)" = "$1" ]; }
check "the window is 1320 x 900" wait_for 10 size_is "1320 900"
shot "$MAIN" main-home-150
click "$MAIN" $((139 * 3 / 2)) $((73 * 3 / 2))
check "a click lands on the control under it (the picture tab)" wait_for 5 log_has "tab VideoTab"
probe post "$MAIN" 0x409
wait_for 15 bash -c "! kill -0 $MAIN_PID 2>/dev/null"
MAIN_PID=""
WINEDEBUG=-all "$WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

if [ $failures -ne 0 ]; then
  echo "---- program log"
  grep -a 'kestrune' "$WORLD/log" | tail -n 60
fi
echo "$failures failed"
[ $failures -eq 0 ]
