#!/usr/bin/env bash
# Screenshots of the main window on each tab and of every dialog, taken from
# the real program in a virtual display: docs/screenshots/*.png.
# Usage: scripts/screenshots.sh [build-folder]   (default: build)
set -euo pipefail
[ -n "${KESTRUNE_SHOTS_TRACE:-}" ] && set -x
cd "$(dirname "$0")/.."
REPO=$PWD
BUILD=$(cd "${1:-build}" && pwd)
OUT=$REPO/docs/screenshots

if [ -z "${KESTRUNE_SHOTS_INNER:-}" ]; then
  export KESTRUNE_SHOTS_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$BUILD"
fi

WORLD=$(mktemp -d /tmp/kestrune-shots-XXXXXX)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$WORLD"
}
trap cleanup EXIT

mkdir -p "$WORLD/bin" "$WORLD/home/.config/KestruneTools" "$WORLD/home/.local/share" "$WORLD/run" "$OUT"
chmod 700 "$WORLD/run"
cp "$BUILD/bin/kestrune" "$BUILD/bin/Lumeshade.dat" "$WORLD/bin/"
cp "$BUILD"/bin/*.so "$WORLD/bin/" 2>/dev/null || true
export HOME=$WORLD/home XDG_CONFIG_HOME=$WORLD/home/.config XDG_DATA_HOME=$WORLD/home/.local/share
export XDG_RUNTIME_DIR=$WORLD/run LANG=C.UTF-8
unset LC_ALL LC_MESSAGES

# A loopback partner site and update server (a manifest with a newer version).
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 - "$PORT" >/dev/null 2>&1 <<'PY' &
import http.server, sys
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path == "/sa.cab":
            body = b'<version="99.0.0.0"><url="http://127.0.0.1:1/kestrune-setup">'
        else:
            body = ("<html><body style='font-family:sans-serif;background:#f4f6fa'><h2>%s</h2>"
                    "<p>partner page on the loopback site</p></body></html>" % self.path).encode()
        self.send_response(200); self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body))); self.end_headers(); self.wfile.write(body)
    def log_message(self, *a): pass
http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), H).serve_forever()
PY
PIDS+=($!)
printf '[general]\r\nPartnerHost=127.0.0.1:%s\r\nUpdateHost=127.0.0.1:1\r\nStatsHost=127.0.0.1:%s\r\n' \
  "$PORT" "$PORT" > "$WORLD/home/.config/KestruneTools/Config.dat"

start() {  # start the program, wait for its window
  (cd "$WORLD" && exec "$WORLD/bin/kestrune" "$@" >>"$WORLD/log" 2>&1) &
  APP=$!
  PIDS+=($APP)
  for _ in $(seq 100); do grep -q "first frame" "$WORLD/log" 2>/dev/null && break; sleep 0.1; done
  wait_window Kestrune 880x600; WIN=$W
}
stop() {
  kill "$APP" 2>/dev/null || true
  wait "$APP" 2>/dev/null || true
  : >"$WORLD/log"
}
origin() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
click() {  # window x y
  origin "$1"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1
  sleep 0.4
}
shot() {  # name window: the screen, cropped to the window with a margin
  sleep "${3:-0.6}"
  origin "$2"
  import -window root -crop "$((WIDTH + 24))x$((HEIGHT + 24))+$((X - 12))+$((Y - 12))" +repage \
    -define png:exclude-chunks=date,time "$OUT/$1.png"
  echo "docs/screenshots/$1.png"
}
wait_window() {  # title [WxH]: the desktop shows the program's name or a dialog's caption
  W=
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true); do
      if [ -z "${2:-}" ] || xdotool getwindowgeometry "$id" | grep -q "$2"; then W=$id; break; fi
    done
    [ -n "$W" ] && break
    sleep 0.1
  done
}

# Main window on each tab.
start
shot main-home "$WIN" 1
# A long list opened: eight rows and its scroll bar.
click "$WIN" 182 380
origin "$WIN"
import -window root -crop 320x260+$((X + 60))+$((Y + 340)) +repage \
  -define png:exclude-chunks=date,time "$OUT/main-list-open.png"
echo docs/screenshots/main-list-open.png
xdotool key Escape; sleep 0.3
click "$WIN" 139 73; shot main-video "$WIN"
click "$WIN" 229 73; shot main-search "$WIN" 3
click "$WIN" 319 73; shot main-skill "$WIN" 3
click "$WIN" 409 73; shot main-tv "$WIN" 3
click "$WIN" 49 73

# The general dialog (Apply's question), then the about box from the options menu.
click "$WIN" 664 535
wait_window "绝地求生：大逃杀"; shot dialog-message "$W"
xdotool windowfocus --sync "$W"; xdotool key alt+F4; sleep 0.5
click "$WIN" 811 11
# The last entry ("关于我们") highlighted from the keyboard.
xdotool key Up; sleep 0.3
origin "$WIN"
import -window root -crop 900x320+$((X + 380))+$((Y - 10)) +repage "$OUT/menu-options.png"
xdotool key Return; sleep 0.5
wait_window Kestrune 490x246; shot dialog-about "$W"
xdotool windowfocus --sync "$W"; xdotool key alt+F4; sleep 0.3
stop

# The restore history after an Apply whose keys the game then reset: the
# drift notice, "查看变化" and "删除" beside the history, the list of changes
# and the question before a backup is deleted.
GAMEDIR=$WORLD/home/.local/share/TslGame/Saved/Config/WindowsNoEditor
rm -rf "$WORLD/home/.local/share/TslGame" "$WORLD/home/.local/share/Kestrune"
mkdir -p "$GAMEDIR"
cp "$REPO"/tests/fixtures/opti/player/*.ini "$GAMEDIR/"  # a player's files
start
click "$WIN" 664 535
wait_window "绝地求生：大逃杀"; xdotool windowfocus --sync "$W"; xdotool key alt+F4; sleep 0.5
stop
python3 - "$GAMEDIR/GameUserSettings.ini" <<'PY'
import re, sys
path = sys.argv[1]
text = open(path, newline="").read()
for key in ("sg.ViewDistanceQuality", "sg.ShadowQuality"):
    text = re.sub(r"(?m)^(%s=)(\d+)" % re.escape(key),
                  lambda m: m.group(1) + ("0" if m.group(2) != "0" else "4"), text)
open(path, "w", newline="").write(text)
PY
start
shot main-history "$WIN" 1
click "$WIN" 734 243
wait_window 查看变化 600x440; shot dialog-changes "$W"
xdotool windowfocus --sync "$W"; xdotool key Escape; sleep 0.5
click "$WIN" 789 243
wait_window "绝地求生：大逃杀"; shot dialog-delete-backup "$W"
xdotool windowfocus --sync "$W"; xdotool key alt+F4; sleep 0.3
stop
rm -rf "$WORLD/home/.local/share/TslGame" "$WORLD/home/.local/share/Kestrune"

# The game-running notice.
cp /bin/sleep "$WORLD/TslGame.exe"
"$WORLD/TslGame.exe" 60 & PIDS+=($!)
GAME=$!
start
click "$WIN" 664 535
wait_window 提醒; shot dialog-game-running "$W"
kill "$GAME" 2>/dev/null || true
stop

# The companion-program prompt: another program holds the maker's mutex.
hold_companion_mutex() {  # in the background, for 20 seconds
python3 - <<'PY' &
import os, socket, time
def fnv(s):
    h = 1469598103934665603
    for c in s.encode():
        h ^= c; h = (h * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return h
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind("\0kestrune/%u-%016x/mutex/orvaneOrvaneRunningMutex" % (os.getuid(), fnv(os.environ["HOME"])))
time.sleep(20)
PY
HOLDER=$!
}
hold_companion_mutex
PIDS+=($HOLDER)
sleep 0.3
start
wait_window Kestrune 540x328; shot dialog-companion "$W"
kill "$HOLDER" 2>/dev/null || true
stop

# The upgrade notice: the update server announces a newer version.
printf '[general]\r\nPartnerHost=127.0.0.1:%s\r\nUpdateHost=127.0.0.1:%s\r\nStatsHost=127.0.0.1:%s\r\n' \
  "$PORT" "$PORT" "$PORT" > "$WORLD/home/.config/KestruneTools/Config.dat"
start
wait_window 升级; shot dialog-update "$W"
stop

# A browser tab while the partner site cannot be reached: our own notice.
# (A free port nothing listens on; the browser refuses low ports outright.)
DEAD=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf '[general]\r\nPartnerHost=127.0.0.1:%s\r\nUpdateHost=127.0.0.1:1\r\nStatsHost=127.0.0.1:%s\r\n' \
  "$DEAD" "$PORT" > "$WORLD/home/.config/KestruneTools/Config.dat"
start
click "$WIN" 229 73
for _ in $(seq 200); do grep -q "notice shown" "$WORLD/log" && break; sleep 0.1; done
shot main-offline "$WIN" 2
stop

# The English interface (an English system): the main window on its first
# two tabs, the options menu, Apply's question and the game-running notice.
printf '[general]\r\nPartnerHost=127.0.0.1:%s\r\nUpdateHost=127.0.0.1:1\r\nStatsHost=127.0.0.1:%s\r\n' \
  "$PORT" "$PORT" > "$WORLD/home/.config/KestruneTools/Config.dat"
export LANG=en_US.UTF-8
start
shot en-main-home "$WIN" 1
click "$WIN" 139 73; shot en-main-video "$WIN"
click "$WIN" 49 73
click "$WIN" 811 11
xdotool key Up; sleep 0.3
origin "$WIN"
import -window root -crop 900x320+$((X + 380))+$((Y - 10)) +repage "$OUT/en-menu-options.png"
echo docs/screenshots/en-menu-options.png
xdotool key Escape; sleep 0.3
click "$WIN" 664 535
wait_window "PUBG: Battlegrounds"; shot en-dialog-message "$W"
xdotool windowfocus --sync "$W"; xdotool key alt+F4; sleep 0.5
stop
"$WORLD/TslGame.exe" 60 & PIDS+=($!)
GAME=$!
start
click "$WIN" 664 535
wait_window Notice; shot en-dialog-game-running "$W"
kill "$GAME" 2>/dev/null || true
stop
hold_companion_mutex
PIDS+=($HOLDER)
sleep 0.3
start
wait_window Kestrune 540x328; shot en-dialog-companion "$W"
kill "$HOLDER" 2>/dev/null || true
stop
