#!/usr/bin/env bash
# Builds the Windows packages from the windows preset (MinGW-w64; run
# scripts/setup.sh windows once on a new machine for the packages):
#   scripts/package-windows.sh
#     -> build-windows/packages/Kestrune-<version>-setup.exe      per-user installer (NSIS)
#        build-windows/packages/Kestrune-<version>-portable.zip   the same program folder
# Both hold what the preset builds: kestrune.exe when the build makes it,
# kestrune-cli.exe, the sibling libraries and the renderer. Unsigned.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/windows-deps.sh --fetch-only
cmake --preset windows >/dev/null
cmake --build --preset windows --target kestrune_windows_packages
ls build-windows/packages/*
