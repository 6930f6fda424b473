#!/bin/sh
# Runs a command (a Windows test under Wine) with a test-server broker beside
# it: KESTRUNE_HTTP_BROKER names the broker's loopback port, and the broker
# ends with the command.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
folder=$(mktemp -d "${TMPDIR:-/tmp}/kestrune-broker-XXXXXX")
python3 "$here/http_server_broker.py" --port-file "$folder/port" &
broker=$!
cleanup() {
  kill "$broker" 2>/dev/null || true
  wait "$broker" 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT INT TERM
tries=0
while [ ! -s "$folder/port" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 500 ]; then
    echo "with_http_broker: the broker did not start" >&2
    exit 1
  fi
  sleep 0.02
done
KESTRUNE_HTTP_BROKER=$(cat "$folder/port")
export KESTRUNE_HTTP_BROKER
status=0
"$@" || status=$?
exit "$status"
