#!/usr/bin/env bash
# Installs every Debian package Kestrune needs, then configures and builds.
# Idempotent; run as root (or with sudo available) on Debian 12.
#   scripts/setup.sh            install + build the normal preset
#   scripts/setup.sh asan fuzz  install + build the named presets
set -euo pipefail
cd "$(dirname "$0")/.."

packages=$(grep -v '^#' scripts/packages.txt | xargs)
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default)
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
