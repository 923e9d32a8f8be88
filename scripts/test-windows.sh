#!/usr/bin/env bash
# The Windows half of the test run: cross-builds both DLLs and the 64-bit test
# programs (scripts/build-windows.sh), runs the 64-bit suites under wine64 with ctest,
# and checks the 32-bit DLL's PE file (this machine cannot run 32-bit programs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/build-windows.sh" --target all

# The editor's real-window tests need an X server; run alone, the script starts its own.
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  display=":$(( 90 + RANDOM % 100 ))"
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
# One Wine session for the whole run, its services started here with their output
# going nowhere: a service started by a test would hold that test's output open and
# ctest would wait for it. The prefix is the one the test programs' wrapper uses.
export WINEPREFIX=$root/build-win64/wineprefix WINEDEBUG=-all SORVELT_WINEPREFIX=$root/build-win64/wineprefix
wineserver=/usr/lib/wine/wineserver
quiet() { "$@" >/dev/null 2>&1 </dev/null || true; }
quiet "$root/cmake/wine64-run.sh" cmd.exe /c exit # creates the prefix the first time
quiet "$wineserver" -w
quiet "$wineserver" -p
quiet "$root/cmake/wine64-run.sh" cmd.exe /c exit
trap '"$wineserver" -k >/dev/null 2>&1 || true; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

status=0
echo "== Windows 64-bit (wine64)"
ctest --test-dir build-win64 --output-on-failure -j 2 || status=1
echo "== Windows 32-bit (PE check)"
ctest --test-dir build-win32 --output-on-failure || status=1
exit $status
