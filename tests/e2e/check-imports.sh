#!/usr/bin/env bash
# Checks a built program's import list against the system DLLs we allow, and
# with --saver also its two exports: check-imports.sh OBJDUMP FILE [--saver]
set -euo pipefail
objdump=$1; file=$2; mode=${3:-}
dump=$("$objdump" -p "$file")
status=0

allowed='^(kernel32|user32|gdi32|winmm|advapi32|msvcrt)\.dll$'
while read -r dll; do
  if ! [[ ${dll,,} =~ $allowed ]]; then
    echo "FAIL: $file imports $dll"
    status=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

if [ "$mode" = --saver ]; then
  # Ordinal base 1: row [0] is ordinal 1, row [1] ordinal 2, by name exactly.
  names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p')
  expected=$'0 ScreenSaverConfigureDialog\n1 ScreenSaverProc'
  if [ "$names" != "$expected" ]; then
    echo "FAIL: exports of $file are:"; echo "$names"; status=1
  fi
  grep -q "Ordinal Base 1" <<<"$dump" || { echo "FAIL: ordinal base is not 1"; status=1; }
fi
[ $status = 0 ] && echo "ok: $file"
exit $status
