#!/usr/bin/env bash
# The LV2 bundle as users get it: installed from the given build folder into a scratch
# prefix, found there by lv2ls, described by lv2info without a complaint, and run by
# lv2apply. (The bundle's own tests, with lv2apply against sorvelt-render and jalv on a
# display, run in ctest.)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/${1:-build}"
uri="https://sorvelt.example.org/plugins/sorvelt"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --component lv2 >/dev/null
bundle="$prefix/lib/lv2/sorvelt.lv2"
for f in manifest.ttl sorvelt.ttl sorvelt_dsp.so sorvelt_ui.so; do
  [ -f "$bundle/$f" ] || { echo "LV2: $f was not installed into $bundle"; exit 1; }
done

export LV2_PATH="$prefix/lib/lv2:/usr/lib/lv2"
lv2ls | grep -qx "$uri" || { echo "LV2: lv2ls does not find $uri in the installed bundle"; exit 1; }
lv2info "$uri" >"$prefix/info.txt" 2>"$prefix/warnings.txt"
if [ -s "$prefix/warnings.txt" ]; then
  echo "LV2: lv2info complains about the installed bundle:"; cat "$prefix/warnings.txt"; exit 1
fi

# Any four-channel file will do as B-Format input: the demo's render through the VST.
"$build/sorvelt-render" --plugin "$build/sorvelt.so" -o "$prefix/demo.wav" >/dev/null
lv2apply -i "$prefix/demo.wav" -o "$prefix/out.wav" -c input_format 2 -c gain -6 "$uri" 2>"$prefix/apply.txt" || {
  echo "LV2: lv2apply failed:"; cat "$prefix/apply.txt"; exit 1; }
[ -s "$prefix/out.wav" ] || { echo "LV2: lv2apply wrote nothing"; exit 1; }
echo "LV2: the installed bundle is found, described without warnings and runs in lv2apply"
