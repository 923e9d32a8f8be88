#!/usr/bin/env bash
# pe_check.sh <objdump> <sorvelt.dll> <x86_64|i686>
# What a Windows host and a bare Windows machine need of the built DLL: the machine
# type of its architecture, exactly VSTPluginMain and main exported at one address,
# only system DLLs imported (anything else is "module not found" on a bare machine),
# and, on 32-bit, the host-facing functions returning the caller-cleans (cdecl) way.
set -euo pipefail
objdump=$1 dll=$2 arch=$3

fail() { echo "pe_check: $dll: $*" >&2; exit 1; }
dump=$("$objdump" -p "$dll")

case $arch in
  x86_64) format=pei-x86-64 magic='020b' ;;
  i686) format=pei-i386 magic='010b' ;;
  *) fail "unknown architecture $arch" ;;
esac
grep -q "file format $format\$" <<<"$dump" || fail "not $format: $(grep -m1 'file format' <<<"$dump")"
grep -Eq "^Magic[[:space:]]+$magic" <<<"$dump" || fail "optional header magic is not $magic"
grep -Eq '^Characteristics .*' <<<"$dump" && grep -q $'^\tDLL$' <<<"$dump" || fail "not marked as a DLL"

# Exports: the name table, and the address table in the same order.
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
[ "$(sort <<<"$names" | tr '\n' ' ')" = "VSTPluginMain main " ] || fail "exports are: $(tr '\n' ' ' <<<"$names")"
addresses=$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" | awk '/Export RVA/ {print $(NF-2)}' | sort -u)
[ "$(wc -l <<<"$addresses")" -eq 1 ] || fail "exports at different addresses: $(tr '\n' ' ' <<<"$addresses")"

# Imports: Windows' own DLLs only.
system='^(kernel32|user32|gdi32|msimg32|ole32|oleaut32|advapi32|shell32|comdlg32|comctl32|msvcrt|ws2_32|uxtheme)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
[ -n "$imports" ] || fail "imports nothing (no import table found)"
while read -r name; do
  grep -Eiq "$system" <<<"$name" || fail "imports $name, which a bare Windows does not have"
done <<<"$imports"

# 32-bit: a cdecl function leaves the arguments to its caller ("ret", never "ret $n").
if [ "$arch" = i686 ]; then
  symbols=(_VSTPluginMain __ZN11AudioEffect19dispatchEffectClassEP7AEffectiiiPvf
           __ZN11AudioEffect17getParameterClassEP7AEffecti __ZN11AudioEffect17setParameterClassEP7AEffectif
           __ZN11AudioEffect24__processClassDeprecatedEP7AEffectPPfS3_i
           __ZN11AudioEffect21processClassReplacingEP7AEffectPPfS3_i
           __ZN11AudioEffect27processClassDoubleReplacingEP7AEffectPPdS3_i)
  for symbol in "${symbols[@]}"; do
    # The function alone: its listing ends at the blank line before the next symbol.
    code=$("$objdump" -d --no-show-raw-insn --disassemble="$symbol" "$dll" | sed -n "/<$symbol>:/,/^\$/p")
    grep -Eq '[[:space:]]ret[[:space:]]*$' <<<"$code" || fail "$symbol: not found, or no plain ret"
    if grep -Eq '[[:space:]]ret[[:space:]]+\$' <<<"$code"; then fail "$symbol pops its own arguments (not cdecl)"; fi
  done
fi

echo "pe_check: $dll: $format, exports VSTPluginMain and main at one address, imports $(tr '\n' ' ' <<<"$imports")"
