#!/usr/bin/env bash
# Installs every Debian package Kestrune needs, then configures and builds.
# Idempotent; run as root (or with sudo available) on Debian 12.
#   scripts/setup.sh            install + build the normal preset
#   scripts/setup.sh asan fuzz  install + build the named presets
# The windows preset's PCRE2 and libpng come from Debian's source packages,
# so a deb-src entry of our own is added beside the machine's sources.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
src_list=/etc/apt/sources.list.d/kestrune-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  echo "setup: adding $src_list (deb-src for the Windows build's libraries)"
  $SUDO tee "$src_list" >/dev/null <<'SOURCES'
# Added by Kestrune's scripts/setup.sh: source packages of the libraries the
# Windows build cross-compiles (PCRE2, libpng).
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  need_update=1
fi

packages=$(grep -v '^#' scripts/packages.txt | xargs)
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ] || [ "$need_update" -eq 1 ]; then
  $SUDO apt-get update -qq
fi
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

# Sources of the Windows build's libraries, fetched once into .cache/ (the
# windows preset cross-builds them when it is first configured).
scripts/windows-deps.sh --fetch-only

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(default)
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
