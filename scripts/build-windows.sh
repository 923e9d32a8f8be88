#!/usr/bin/env bash
# Cross-builds the Windows plug-in with Debian's mingw-w64 compilers:
# build-win64/sorvelt.dll (64-bit hosts) and build-win32/sorvelt.dll (32-bit hosts).
# Installs what it needs, builds libpng for each target from Debian's source package,
# and passes further arguments to the 64-bit build (e.g. --target all for the tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(cmake dpkg-dev g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 libz-mingw-w64-dev
          googletest wine64 fonts-liberation xvfb x11-utils xdotool)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libpng's source comes from Debian: a deb-src entry beside the machine's own entries.
ensure_source_entries() {
  if grep -Eqs '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/*; then
    return
  fi
  local list=/etc/apt/sources.list.d/debian.sources
  [ -f "$list" ] || { echo "build-windows: no deb-src entry and no $list to mirror" >&2; exit 1; }
  echo "Adding deb-src entries mirroring $list"
  sed -n 's/^Types: deb$/Types: deb-src/; /^Types:/,/^$/p' "$list" | $sudo tee /etc/apt/sources.list.d/sorvelt-deb-src.sources >/dev/null
  $sudo apt-get update -qq
}

# build_libpng <toolchain file> <build folder>: libpng as a static library for that
# target, installed under <build folder>/deps/prefix where the toolchain looks.
build_libpng() {
  local toolchain=$1 build=$2
  local deps=$root/$build/deps
  [ -f "$deps/prefix/lib/libpng16.a" ] && return
  ensure_source_entries
  mkdir -p "$deps/src"
  if ! ls -d "$deps"/src/libpng1.6-*/ >/dev/null 2>&1; then
    # The release suite by name: the security suite's copy of the source may be gone.
    (cd "$deps/src" && { apt-get source -qq libpng1.6/bookworm 2>/dev/null ||
      { $sudo apt-get update -qq && apt-get source -qq libpng1.6/bookworm; }; }) >/dev/null
  fi
  local src
  src=$(ls -d "$deps"/src/libpng1.6-*/ | head -n 1)
  echo "Building libpng for $build from $src"
  cmake -S "$src" -B "$deps/libpng-build" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON >/dev/null
  cmake --build "$deps/libpng-build" -j 2 >/dev/null
  cmake --install "$deps/libpng-build" >/dev/null
}

# build <triple> <folder> [cmake --build arguments...]
build() {
  local triple=$1 build=$2
  shift 2
  local toolchain=$root/cmake/toolchain-$triple.cmake
  build_libpng "$toolchain" "$build"
  cmake -S "$root" -B "$root/$build" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/$build" -j 2 "$@"
}

if [ $# -gt 0 ]; then
  build x86_64-w64-mingw32 build-win64 "$@"
else
  build x86_64-w64-mingw32 build-win64 --target sorvelt
fi
build i686-w64-mingw32 build-win32 --target sorvelt

echo "64-bit Windows: $root/build-win64/sorvelt.dll"
echo "32-bit Windows: $root/build-win32/sorvelt.dll"
