#!/usr/bin/env bash
# Runs a 64-bit Windows program under wine64 (CMAKE_CROSSCOMPILING_EMULATOR of the
# x86_64 Windows build). The Wine prefix is private to the build folder
# (SORVELT_WINEPREFIX, else ./wineprefix beside the build's CMakeCache.txt found from
# the program's folder upwards) and created once: creating one takes 10 to 15 s.
set -euo pipefail
program=$1
shift

wine=${SORVELT_WINE64:-}
if [ -z "$wine" ]; then
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && wine=$candidate && break
  done
fi
[ -n "$wine" ] || { echo "wine64-run: wine64 not found (apt-get install wine64)" >&2; exit 127; }

prefix=${SORVELT_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  dir=$(cd "$(dirname "$program")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" != / ] || { echo "wine64-run: no build folder above $program" >&2; exit 127; }
  prefix=$dir/wineprefix
fi

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer dialogs, no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ ! -f "$prefix/.sorvelt-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  # ctest may start several programs at once: one of them creates the prefix.
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.sorvelt-ready" ]; then
    "$wine" wineboot.exe --init >/dev/null 2>&1
    # Hidden top-level windows must not wait for a window manager.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    touch "$prefix/.sorvelt-ready"
  fi
  flock -u 9
  exec 9>&-
fi

exec "$wine" "$program" "$@"
