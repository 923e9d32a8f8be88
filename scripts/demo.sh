#!/usr/bin/env bash
# Builds Sorvelt and runs its main job: the built-in demo encoded to UHJ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" build
cd "$root"
if [ -x build/sorvelt-render ]; then
  build/sorvelt-render --info
  build/sorvelt-render sorvelt-demo-uhj.wav
  echo "Wrote $root/sorvelt-demo-uhj.wav (L, R, T, Q). Listen to its first two channels (UHJ stereo), e.g.: play sorvelt-demo-uhj.wav remix 1 2"
else
  build/sorvelt-probe build/sorvelt.so
fi
