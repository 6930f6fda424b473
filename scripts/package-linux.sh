#!/usr/bin/env bash
# Builds the Debian package from the default preset:
#   scripts/package-linux.sh     -> build/packages/kestrune_<version>_<arch>.deb
# (CPack with dpkg-shlibdeps for the library dependencies; the programs are
# stripped in the package, the debug information stays in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target kestrune_install_files
rm -rf build/packages
cpack --config build/CPackConfig.cmake -G DEB -B build/packages >/dev/null
rm -rf build/packages/_CPack_Packages
ls build/packages/*.deb
