#!/usr/bin/env bash
# Checks what scripts/package.sh wrote into dist/: the Debian package's files and control
# fields, the package unpacked into a throwaway root and run from there, lintian, the manual
# page against --help, and the Windows archive's listing. test.sh runs it.
#   scripts/package-test.sh [BUILD_DIR]   (the tree package.sh built, default build-release)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/${1:-build-release}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$root/dist/sorvelt_${version}_amd64.deb"
zip="$root/dist/sorvelt-${version}-windows.zip"

failures=0
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/     /'
    failures=$((failures + 1))
  fi
}
contains() { # contains NAME NEEDLE HAYSTACK
  if grep -qF -- "$2" <<<"$3"; then echo "ok   $1"; else
    echo "FAIL $1: no '$2' in:"; sed 's/^/     /' <<<"$3"; failures=$((failures + 1)); fi
}

echo "== package files (dpkg-deb -c)"
check "files, folders and modes" "$(cat <<LIST
drwxr-xr-x ./usr/
drwxr-xr-x ./usr/bin/
-rwxr-xr-x ./usr/bin/sorvelt-render
drwxr-xr-x ./usr/lib/
drwxr-xr-x ./usr/lib/lv2/
drwxr-xr-x ./usr/lib/lv2/sorvelt.lv2/
-rw-r--r-- ./usr/lib/lv2/sorvelt.lv2/manifest.ttl
-rw-r--r-- ./usr/lib/lv2/sorvelt.lv2/sorvelt.ttl
-rw-r--r-- ./usr/lib/lv2/sorvelt.lv2/sorvelt_dsp.so
-rw-r--r-- ./usr/lib/lv2/sorvelt.lv2/sorvelt_ui.so
drwxr-xr-x ./usr/lib/vst/
-rw-r--r-- ./usr/lib/vst/sorvelt.so
drwxr-xr-x ./usr/share/
drwxr-xr-x ./usr/share/doc/
drwxr-xr-x ./usr/share/doc/sorvelt/
-rw-r--r-- ./usr/share/doc/sorvelt/README.md
-rw-r--r-- ./usr/share/doc/sorvelt/THIRD-PARTY-NOTICES.md
-rw-r--r-- ./usr/share/doc/sorvelt/changelog.gz
-rw-r--r-- ./usr/share/doc/sorvelt/copyright
drwxr-xr-x ./usr/share/man/
drwxr-xr-x ./usr/share/man/man1/
-rw-r--r-- ./usr/share/man/man1/sorvelt-render.1.gz
LIST
)" "$(dpkg-deb -c "$deb" | awk '{print $1, $6}' | sort -k2)"
check "owned by root" "root/root" "$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)"

echo "== control fields (dpkg-deb -f)"
field() { dpkg-deb -f "$deb" "$1"; }
check "Package" "sorvelt" "$(field Package)"
check "Version is the project's" "$version" "$(field Version)"
check "Architecture" "amd64" "$(field Architecture)"
check "Section" "sound" "$(field Section)"
contains "Maintainer has an address" "@" "$(field Maintainer)"
contains "Description names the plug-in interface" "VST 2.4" "$(field Description)"
# Computed from the binaries by dpkg-shlibdeps, with the versions their symbols need.
depends=$(field Depends)
for library in libc6 libcairo2 libpng16-16 libsndfile1 libstdc++6 libx11-6; do
  contains "Depends on $library" "$library" "$depends"
done
contains "Depends carries minimum versions" "libc6 (>= " "$depends"

echo "== installed into a throwaway root (dpkg -x)"
target=$(mktemp -d)
trap 'rm -rf "$target"' EXIT
dpkg -x "$deb" "$target"
command="$target/usr/bin/sorvelt-render"
check "--version: the command's and the installed plug-in's versions" \
  "sorvelt-render $version
Plug-in: $target/usr/lib/vst/sorvelt.so (Sorvelt, vendor version 1000)" "$("$command" --version 2>&1)"
info=$("$command" --info 2>&1)
contains "--info loads the installed plug-in" "Plug-in: $target/usr/lib/vst/sorvelt.so" "$info"
contains "--info sees its unique ID" "Unique ID: SVLT" "$info"
contains "--info sees its five parameters" "Parameters: 5" "$info"
lv2uri="https://sorvelt.example.org/plugins/sorvelt"
check "lv2ls finds the installed LV2 bundle" "$lv2uri" \
  "$(LV2_PATH="$target/usr/lib/lv2:/usr/lib/lv2" lv2ls 2>&1 | grep -F sorvelt)"
check "lv2info describes it without a warning" "" \
  "$(LV2_PATH="$target/usr/lib/lv2:/usr/lib/lv2" lv2info "$lv2uri" 2>&1 >/dev/null)"

echo "== lintian"
if lint=$(lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges'); then
  echo "ok   no errors"
else
  echo "FAIL lintian reports errors"
  failures=$((failures + 1))
fi
[ -z "$lint" ] || sed 's/^/     /' <<<"$lint"

echo "== manual page"
page="$target/usr/share/man/man1/sorvelt-render.1.gz"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
check "renders without warnings" "" "$warnings"
# The option lines: "  -h, --help" in --help, the same at the tag indent of the page.
help_options=$("$command" --help | grep -oE '^  (-[a-z], )?--[a-z0-9-]+')
man_options=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | sed -n '/^OPTIONS/,/^[A-Z]/p' |
  grep -oE '^       (-[a-z], )?--[a-z0-9-]+' | sed 's/^     //')
check "the page lists --help's options, in its order" "$help_options" "$man_options"
contains "the page is of this version" "Sorvelt $version" "$(LC_ALL=C.UTF-8 man -l "$page" 2>/dev/null | tail -1)"

echo "== Windows archive"
if [ -f "$zip" ]; then
  check "listing" "LICENSE.txt
README.txt
licences/gcc-runtime.txt
licences/libpng.txt
licences/mingw-w64-runtime.txt
licences/zlib.txt
x64/sorvelt.dll
x86/sorvelt.dll" "$(unzip -Z1 "$zip" | sort)"
  unzip -q -d "$target/zip" "$zip" 'x*/sorvelt.dll'
  check "x64 holds the 64-bit DLL, x86 the 32-bit one" "x86-64 DLL
Intel 80386 DLL" "$(for d in x64 x86; do file -b "$target/zip/$d/sorvelt.dll" |
      grep -oE '^PE32\+? executable \(DLL\).*(x86-64|Intel 80386)' | grep -oE '(x86-64|Intel 80386)$' | sed 's/$/ DLL/'; done)"
else
  echo "FAIL no $zip"
  failures=$((failures + 1))
fi

echo "== $failures packaging check(s) failed"
[ "$failures" -eq 0 ]
