#!/usr/bin/env bash
# Cross-builds the Windows build's libraries from Debian's own source
# packages (PCRE2, libpng) into an ignored cache folder:
#   .cache/windows-deps/src/       the fetched .dsc/.orig/.debian files
#   .cache/windows-deps/x86_64/    include/ and lib/ of the static libraries
# zlib comes from libz-mingw-w64-dev. Idempotent: fetched and built once;
# CMake runs this when it configures the windows preset and finds nothing.
#   scripts/windows-deps.sh [--fetch-only]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=$root/.cache/windows-deps
src=$cache/src
prefix=$cache/x86_64
toolchain=$root/cmake/toolchains/mingw-w64-x86_64.cmake
mkdir -p "$src"

# Fetches one source package. The newest version apt knows may be one whose
# files the mirror no longer has (a security update's .dsc gone), so each
# version is tried in turn, newest first.
fetch() {
  local package=$1
  if ls "$src/${package}"_*.dsc >/dev/null 2>&1; then
    return 0
  fi
  local versions
  versions=$(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vr -u)
  if [ -z "$versions" ]; then
    echo "windows-deps: no source package '$package' known to apt (scripts/setup.sh adds the deb-src entry)" >&2
    return 1
  fi
  for version in $versions; do
    if (cd "$src" && apt-get source --download-only -qq "$package=$version" >/dev/null 2>&1); then
      echo "windows-deps: fetched $package $version"
      return 0
    fi
    rm -f "$src/${package}_${version#*:}".dsc
  done
  echo "windows-deps: could not fetch any version of '$package'" >&2
  return 1
}

# Unpacks a fetched package with Debian's patches applied (the security fixes
# are in them) and prints the unpacked folder.
unpack() {
  local package=$1 dsc
  dsc=$(ls "$src/${package}"_*.dsc | sort -V | tail -n 1)
  local dir=$cache/build/$package
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir"
    mkdir -p "$cache/build"
    dpkg-source --no-check -x "$dsc" "$dir" >/dev/null
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

# Configures, builds and installs one CMake project into the prefix.
build() {
  local name=$1 dir=$2
  shift 2
  local out=$cache/build/$name-build
  cmake -S "$dir" -B "$out" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$out.log" 2>&1 || { cat "$out.log" >&2; return 1; }
  cmake --build "$out" --target install >>"$out.log" 2>&1 || { tail -n 40 "$out.log" >&2; return 1; }
}

fetch pcre2
fetch libpng1.6
[ "${1:-}" = "--fetch-only" ] && exit 0

if [ ! -f "$prefix/lib/libpcre2-8.a" ]; then
  echo "windows-deps: building PCRE2"
  build pcre2 "$(unpack pcre2)" -DBUILD_STATIC_LIBS=ON -DPCRE2_BUILD_PCRE2_8=ON \
    -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_LIBBZ2=OFF \
    -DPCRE2_SUPPORT_LIBZ=OFF -DPCRE2_SUPPORT_LIBREADLINE=OFF -DPCRE2_SHOW_REPORT=OFF
fi
if [ ! -f "$prefix/lib/libpng16.a" ]; then
  echo "windows-deps: building libpng"
  build libpng "$(unpack libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF
fi
