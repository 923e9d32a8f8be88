#!/usr/bin/env bash
# Builds Sorvelt and runs its main job: the built-in demo encoded to UHJ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" build
cd "$root"
build/sorvelt-render --info
echo
build/sorvelt-render -o sorvelt-demo-uhj.wav
cat <<TEXT

The demo is $root/sorvelt-demo-uhj.wav: 8 s at 48 kHz, four channels L, R, T, Q.
Its first two channels are UHJ stereo and play on any stereo system, for example:
  play $root/sorvelt-demo-uhj.wav remix 1 2      (sox)
  ffplay -af "pan=stereo|c0=c0|c1=c1" $root/sorvelt-demo-uhj.wav
A UHJ decoder (or an Ambisonic decoder fed from L, R, T, Q) turns it into surround.
TEXT
