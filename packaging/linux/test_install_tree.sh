#!/usr/bin/env bash
# Installs the build into a temporary root and checks the layout: the
# programs and their sibling libraries together in lib/kestrune/, links in
# bin/ that run, the desktop files, icons, manual page and completion.
#   test_install_tree.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
usr=$root/usr
for f in lib/kestrune/kestrune-cli lib/kestrune/Gauge3.so lib/kestrune/Nodemark.so lib/kestrune/KestruneCurl.so \
  share/man/man1/kestrune-cli.1.gz share/bash-completion/completions/kestrune-cli; do
  [ -f "$usr/$f" ] || fail "$f not installed"
done
# The windowed program and what belongs to it, when this build makes it.
if [ -f "$build/bin/kestrune" ]; then
  for f in lib/kestrune/kestrune lib/kestrune/Lumeshade.dat \
    share/applications/org.kestrune.Kestrune.desktop share/metainfo/org.kestrune.Kestrune.metainfo.xml; do
    [ -f "$usr/$f" ] || fail "$f not installed"
  done
  for s in 16 22 24 32 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${s}x$s/apps/org.kestrune.Kestrune.png
    [ -f "$icon" ] || fail "no ${s} px icon"
    [ -f "$icon" ] && ! file "$icon" | grep -q "PNG image data, $s x $s" && fail "$icon is not $s x $s"
  done
  [ "$(readlink "$usr/bin/kestrune")" = ../lib/kestrune/kestrune ] || fail "bin/kestrune is not the link"
fi
[ "$(readlink "$usr/bin/kestrune-cli")" = ../lib/kestrune/kestrune-cli ] || fail "bin/kestrune-cli is not the link"

# Through the link the program finds itself in lib/kestrune/ (its version
# resource is read from the real file).
version=$("$usr/bin/kestrune-cli" --version) || fail "kestrune-cli --version failed"
[ "$version" = "kestrune-cli $KESTRUNE_VERSION" ] || fail "version '$version', expected $KESTRUNE_VERSION"
# Nothing the build leaves beside its programs (tests, benchmarks) is installed.
extra=$(find "$usr/lib/kestrune" -type f ! -name kestrune ! -name kestrune-cli ! -name '*.so' ! -name Lumeshade.dat)
[ -z "$extra" ] || fail "unexpected files: $extra"
# The manual page is well formed.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/kestrune-cli.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"

[ $failures -eq 0 ] && echo "install tree: as expected"
exit $((failures > 0))
