#!/usr/bin/env bash
# Writes the release artefacts into dist/: the Debian package sorvelt_<version>_amd64.deb,
# made by CPack from a Release build, and the Windows archive sorvelt-<version>-windows.zip
# with the 64-bit and 32-bit DLLs. The version is the CMake project's.
#   scripts/package.sh [BUILD_DIR]   (default build-release; test.sh passes its own Release tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-release}
dist="$root/dist"

# Only what the package holds is built; installing must not wait for every test program.
SORVELT_EXTRA_PACKAGES="dpkg-dev file zip" \
SORVELT_TARGETS="sorvelt sorvelt_lv2 sorvelt-render sorvelt-render-manual sorvelt-package-docs" \
  "$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package.sh: no project version in $build" >&2; exit 1; }
mkdir -p "$dist"

echo "== Debian package"
(cd "$root/$build" && cpack -G DEB >/dev/null)
deb="sorvelt_${version}_amd64.deb"
cp "$root/$build/package/$deb" "$dist/$deb"
echo "wrote dist/$deb"

echo "== Windows archive"
# The DLLs come from the Windows cross builds; build them when they are not there yet.
dll64="$root/build-win64/sorvelt.dll"
dll32="$root/build-win32/sorvelt.dll"
if [ ! -f "$dll64" ] || [ ! -f "$dll32" ]; then
  if [ ! -x "$root/scripts/build-windows.sh" ]; then
    echo "package.sh: no Windows build (scripts/build-windows.sh) in this tree; the archive is not written" >&2
    exit 1
  fi
  "$root/scripts/build-windows.sh"
fi
zip="sorvelt-${version}-windows.zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86" "$stage/licences"
cp "$dll64" "$stage/x64/sorvelt.dll"
cp "$dll32" "$stage/x86/sorvelt.dll"
sed "s/@PROJECT_VERSION@/$version/g" "$root/packaging/windows-README.txt" >"$stage/README.txt"
cp "$root/LICENSE" "$stage/LICENSE.txt"
# What is linked into the DLLs, with the notices of the Debian packages it was built from.
# libpng's is the licence in the very source the Windows build compiled, when it is at hand.
png_licence=$(ls "$root"/build-win64/deps/src/libpng1.6-*/LICENSE 2>/dev/null | head -n 1)
cp "${png_licence:-/usr/share/doc/libpng16-16/copyright}" "$stage/licences/libpng.txt"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/licences/zlib.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licences/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licences/mingw-w64-runtime.txt"
# Same bytes for the same inputs: fixed times, no extra attributes, texts with Windows line ends.
find "$stage" -exec touch -h -d "@${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)}" {} +
rm -f "$dist/$zip"
(cd "$stage" && zip -X -q "$dist/$zip" x64/sorvelt.dll x86/sorvelt.dll &&
  zip -X -q -l "$dist/$zip" README.txt LICENSE.txt licences/*.txt)
echo "wrote dist/$zip"
