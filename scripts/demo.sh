#!/usr/bin/env bash
# Builds Sorvelt and runs its main job: the built-in demo encoded to UHJ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" build
cd "$root"
build/sorvelt-render --info
echo
build/sorvelt-render -o sorvelt-demo-uhj.wav
# The editor's picture: the plug-in paints its own window, which is read back from
# the X server; without a desktop a private Xvfb stands in.
snapshot=(build/sorvelt-render --snapshot sorvelt-editor.png --azimuth 30 --elevation 15 --width 60 --format stereo --gain -3)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "${snapshot[@]}"
else
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "${snapshot[@]}"
fi
cat <<TEXT

The demo is $root/sorvelt-demo-uhj.wav: 8 s at 48 kHz, four channels L, R, T, Q.
Its first two channels are UHJ stereo and play on any stereo system, for example:
  play $root/sorvelt-demo-uhj.wav remix 1 2      (sox)
  ffplay -af "pan=stereo|c0=c0|c1=c1" $root/sorvelt-demo-uhj.wav
A UHJ decoder (or an Ambisonic decoder fed from L, R, T, Q) turns it into surround.

The editor's picture is $root/sorvelt-editor.png; try the editor itself with:
  build/sorvelt-render --gui
TEXT
