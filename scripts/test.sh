#!/usr/bin/env bash
# Builds everything and runs every test three ways: a plain Release build, an
# ASan+UBSan build, and the concurrency tests under ThreadSanitizer.
# Real-window tests run on a private Xvfb display started here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# The plain build is the Release build users get; warnings fail every build here (the
# environment carries that to the builds the Windows and packaging scripts configure).
export SORVELT_WERROR=ON
# The package checks' tools come with the first set-up.
SORVELT_EXTRA_PACKAGES="dpkg-dev file zip unzip lintian man-db" \
  "$root/scripts/setup.sh" build -DCMAKE_BUILD_TYPE=Release -DSORVELT_WERROR=ON
"$root/scripts/setup.sh" build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVELT_WERROR=ON -DSORVELT_SANITIZE=address -DSORVELT_BENCH=OFF
"$root/scripts/setup.sh" build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVELT_WERROR=ON -DSORVELT_SANITIZE=thread -DSORVELT_BENCH=OFF

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1

status=0
echo "== sanitizers: ASan+UBSan"
ctest --test-dir build-asan --output-on-failure -j 2 || status=1
echo "== sanitizers: TSan (concurrency tests)"
ctest --test-dir build-tsan --output-on-failure -L concurrency || status=1
echo "== plain build"
ctest --test-dir build --output-on-failure -j 2 || status=1
echo "== LV2 bundle, installed"
"$root/scripts/test-lv2.sh" build || status=1
echo "== Windows: both DLLs cross-built, the 64-bit suites under Wine"
"$root/scripts/test-windows.sh" || status=1
echo "== packages: the .deb from the Release build, the Windows archive from the DLLs above"
{ "$root/scripts/package.sh" build && "$root/scripts/package-test.sh" build; } || status=1
exit $status
