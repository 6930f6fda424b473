#!/bin/sh
# Runs a Windows program under 64-bit Wine: the emulator behind ctest and
# gtest discovery in the windows preset. Quiet unless WINEDEBUG says
# otherwise; no Mono or Gecko installer prompts when a prefix is created.
# Set WINEPREFIX to use a prefix of your own (scripts/test.sh makes one per
# run); Wine's default is ~/.wine.
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEDEBUG WINEDLLOVERRIDES
for loader in /usr/lib/wine/wine64 /usr/bin/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64; do
  [ -x "$loader" ] && exec "$loader" "$@"
done
exec wine "$@"
