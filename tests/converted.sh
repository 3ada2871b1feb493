#!/bin/sh
# tests/converted.sh MAP COPY...: fails unless each COPY is the Q3A map MAP made for RTCW: byte 5
# alone differs, the low byte of the version, 46 (octal 056) in MAP and 47 (057) in the copy.
map=$1
shift
for copy; do
  [ "$(cmp -l "$map" "$copy" | tr -s ' ')" = " 5 56 57" ] || { echo "$copy is not $map converted" >&2; exit 1; }
done
