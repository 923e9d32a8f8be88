#!/usr/bin/env bash
# Shared by demo.sh and test.sh: installs the Debian packages the build needs
# when any is missing, then configures and builds into the folder given
# (default build/) with any further CMake arguments.
# SORVELT_EXTRA_PACKAGES adds Debian packages a caller needs; SORVELT_TARGETS builds only
# those targets instead of everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(build-essential cmake pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev
          libpng-dev zlib1g-dev libcairo2-dev fonts-liberation libx11-dev
          libsndfile1-dev g++-multilib
          xvfb xauth xdotool imagemagick x11-utils
          lv2-dev lilv-utils jalv jackd2)
read -r -a extra <<<"${SORVELT_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=${1:-build}
shift || true
# The caller chooses the build type (-DCMAKE_BUILD_TYPE=...); CMake's own default applies otherwise.
cmake -S "$root" -B "$root/$build" "$@" >/dev/null
read -r -a targets <<<"${SORVELT_TARGETS:-}"
cmake --build "$root/$build" -j "$(nproc)" ${targets[@]:+--target "${targets[@]}"}
